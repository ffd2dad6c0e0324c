#include "app/UnitFormHtmlTemplateHelp.h"

TFormHtmlTemplateHelp::TFormHtmlTemplateHelp(QWidget *parent)
    : TFormHelp(parent, QStringLiteral("FormHtmlTemplateHelp"),
                QStringLiteral("HTMLテンプレートのヘルプ"), QStringLiteral("HTMLテンプレート"),
                {QStringLiteral("ブログの設定名")})
{
}

void TFormHtmlTemplateHelp::SetTemplates(const THtmlTemplateList &templates)
{
    FTemplates = templates;
    QList<QStringList> rows;
    QStringList helpPaths;
    for (const THtmlTemplate &htmlTemplate : FTemplates) {
        rows.append({htmlTemplate.GetName()});
        helpPaths.append(htmlTemplate.GetHelpPath());
    }
    SetRows(rows, helpPaths);
}
