#include "app/UnitFormBlogTypeHelp.h"

#include "app/Tguiutility.h"
#include "platform/Tappdirs.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
// A folder as the user would type it: native separators, the home folder as "~".
QString ShownFolder(QString folder)
{
    if (folder.endsWith(QLatin1Char('/')) && folder.size() > 1)
        folder.chop(1);
    const QString home = QDir::homePath();
    if (folder == home || folder.startsWith(home + QLatin1Char('/')))
        folder = QLatin1Char('~') + folder.mid(home.size());
    return QDir::toNativeSeparators(folder);
}
} // namespace

TFormBlogTypeHelp::TFormBlogTypeHelp(QWidget *parent)
    : TFormHelp(parent, QStringLiteral("FormBlogTypeHelp"), QStringLiteral("ブログの種類のヘルプ"),
                QStringLiteral("ブログの種類"),
                {QStringLiteral("ブログの設定名"), QStringLiteral("一行ヘルプ"), QStringLiteral("フォルダー")})
{
    const QString userFolder = GetUserBlogDir();
    LabelUserFolder = new QLabel(
        QStringLiteral("自分で作ったブログの種類は %1 に置きます。").arg(ShownFolder(userFolder)), this);
    LabelUserFolder->setObjectName(QStringLiteral("LabelUserFolder"));
    LabelUserFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelUserFolder->setWordWrap(true);
    ButtonGuide = new QPushButton(QStringLiteral("ブログの種類の作り方(&G)"), this);
    ButtonGuide->setObjectName(QStringLiteral("ButtonGuide"));
    ButtonOpenFolder = new QPushButton(QStringLiteral("フォルダーを開く(&O)"), this);
    ButtonOpenFolder->setObjectName(QStringLiteral("ButtonOpenFolder"));
    ButtonOpenFolder->setEnabled(!userFolder.isEmpty());
    ButtonRow->insertWidget(0, LabelUserFolder, 1);
    ButtonRow->insertWidget(1, ButtonGuide);
    ButtonRow->insertWidget(2, ButtonOpenFolder);

    connect(ButtonGuide, &QPushButton::clicked, this, [this] {
        ListViewBlog->clearSelection();
        ShowDocument(GetBlogDir() + QStringLiteral("guide.html"));
    });
    connect(ButtonOpenFolder, &QPushButton::clicked, this, [userFolder] { OpenFolder(userFolder); });
}

void TFormBlogTypeHelp::SetBlogConfigs(const TBlogConfigList &blogConfigs)
{
    FBlogConfigs = blogConfigs;
    QList<QStringList> rows;
    QStringList helpPaths;
    for (const TBlogConfig &config : FBlogConfigs) {
        rows.append({config.GetName(), config.GetSimpleText(), ShownFolder(config.GetDirectory())});
        helpPaths.append(config.GetHelpPath());
    }
    SetRows(rows, helpPaths);
}
