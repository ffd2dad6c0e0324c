#include "app/UnitFormBlogTypeHelp.h"

TFormBlogTypeHelp::TFormBlogTypeHelp(QWidget *parent)
    : TFormHelp(parent, QStringLiteral("FormBlogTypeHelp"), QStringLiteral("ブログの種類のヘルプ"),
                QStringLiteral("ブログの種類"),
                {QStringLiteral("ブログの設定名"), QStringLiteral("一行ヘルプ")})
{
}

void TFormBlogTypeHelp::SetBlogConfigs(const TBlogConfigList &blogConfigs)
{
    FBlogConfigs = blogConfigs;
    QList<QStringList> rows;
    QStringList helpPaths;
    for (const TBlogConfig &config : FBlogConfigs) {
        rows.append({config.GetName(), config.GetSimpleText()});
        helpPaths.append(config.GetHelpPath());
    }
    SetRows(rows, helpPaths);
}
