#include "output/Ttemplatemanager.h"

#include "platform/Tappdirs.h"
#include "platform/Tinifile.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <utility>

THtmlTemplate::THtmlTemplate(const QString &iniPath)
    : FPath(iniPath)
{
    const QFileInfo info(iniPath);
    if (!info.isFile())
        return;
    FDirectory = IniRelativePath(info.absolutePath(), QString());

    const TIniFile ini(iniPath);
    const QString section = QStringLiteral("TEMPLATE");
    FName = ini.ReadString(section, QStringLiteral("name"), QString());
    FExe = ini.ReadString(section, QStringLiteral("exe"), QString());
    FHelp = ini.ReadString(section, QStringLiteral("help"), QString());
    const QString kind = ini.ReadString(section, QStringLiteral("kind"), QString()).trimmed().toLower();
    if (kind == QLatin1String("fragment"))
        FKind = TKind::Fragment;
    else if (kind == QLatin1String("markdown"))
        FKind = TKind::Markdown;
    QString ext = ini.ReadString(section, QStringLiteral("ext"), QString()).trimmed();
    while (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    // Only a plain extension: it becomes part of a file name the user is offered.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9]{1,10}$"));
    if (plain.match(ext).hasMatch())
        FExt = ext;
    else if (FKind == TKind::Markdown)
        FExt = QStringLiteral("md");

    const QString config = QStringLiteral("CONFIG");
    for (const QString &key : ini.ReadSection(config)) {
        const QString item = ini.ReadString(config, key, QString());
        if (!item.isEmpty())
            FConfigNames.append(item);
    }

    QSet<QString> items;
    for (const QString &item : std::as_const(FConfigNames))
        items.insert(item.toCaseFolded());
    const QString choices = QStringLiteral("CHOICES");
    for (const QString &key : ini.ReadSection(choices)) {
        const QString item = key.trimmed().toCaseFolded();
        if (!items.contains(item))
            continue;
        QStringList values;
        // A set beside the list: a file of many values must not take time by their square.
        QSet<QString> known;
        const QStringList parts = ini.ReadString(choices, key, QString()).split(QLatin1Char('|'));
        for (const QString &part : parts) {
            const QString value = part.trimmed();
            if (!value.isEmpty() && !known.contains(value)) {
                known.insert(value);
                values.append(value);
            }
        }
        // "|a|b", an empty first part, offers empty as the first choice; an empty part
        // elsewhere is a slip of the pen.
        const bool emptyAllowed = parts.first().trimmed().isEmpty();
        if (!values.isEmpty()) {
            if (emptyAllowed)
                values.prepend(QString());
            FChoices.insert(item, values);
        }
    }
    const QString defaults = QStringLiteral("DEFAULTS");
    for (const QString &key : ini.ReadSection(defaults)) {
        const QString item = key.trimmed().toCaseFolded();
        if (items.contains(item) && !FDefaults.contains(item))
            FDefaults.insert(item, ini.ReadString(defaults, key, QString()).trimmed());
    }
}

QString THtmlTemplate::GetDefault(const QString &itemName) const
{
    return FDefaults.value(itemName.trimmed().toCaseFolded());
}

QString TemplateKindText(THtmlTemplate::TKind kind)
{
    switch (kind) {
    case THtmlTemplate::TKind::Fragment: return QStringLiteral("HTML断片");
    case THtmlTemplate::TKind::Markdown: return QStringLiteral("Markdown");
    case THtmlTemplate::TKind::Page: break;
    }
    return QStringLiteral("HTMLページ");
}

bool ExtensionFitsTemplate(const THtmlTemplate &htmlTemplate, const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    const QString ext = htmlTemplate.GetExt().toLower();
    if (suffix == ext)
        return true;
    if (htmlTemplate.GetKind() == THtmlTemplate::TKind::Markdown)
        return suffix == QLatin1String("md") || suffix == QLatin1String("markdown");
    return suffix == QLatin1String("html") || suffix == QLatin1String("htm");
}

QString TemplateExtensionNote(const THtmlTemplate &htmlTemplate, const QString &fileName)
{
    if (ExtensionFitsTemplate(htmlTemplate, fileName))
        return QString();
    return QStringLiteral("このテンプレートが作るのは%1です。ファイル名の拡張子は .%2 にしてください: %3")
        .arg(TemplateKindText(htmlTemplate.GetKind()), htmlTemplate.GetExt(), QFileInfo(fileName).fileName());
}

QStringList THtmlTemplate::GetChoices(const QString &itemName) const
{
    return FChoices.value(itemName.trimmed().toCaseFolded());
}

QString THtmlTemplate::GetExePath() const
{
    // exe= names a file beside the INI file, else one of the shipped template programs
    // (an installed tree keeps those apart from the INI files, and a user's INI file may
    // name one of them). A program found nowhere is reported beside the INI file.
    const QString besideIni = IniRelativePath(FDirectory, FExe);
    if (FExe.isEmpty() || QFileInfo::exists(besideIni))
        return besideIni;
    const QString shipped = IniRelativePath(GetTemplateProgramDir(), FExe);
    return QFileInfo::exists(shipped) ? shipped : besideIni;
}

QString THtmlTemplate::GetHelpPath() const
{
    return IniRelativePath(FDirectory, FHelp);
}

TTemplateManager::TTemplateManager(const QString &folder)
    : FFolder(folder)
{
}

void TTemplateManager::Load()
{
    FTemplates.clear();
    const QStringList paths = FFolder.isEmpty()
                                  ? ListDefinitionFiles(GetUserTemplateDir(), GetTemplateDir(), true)
                                  : ListFilesByName(FFolder, true);
    for (const QString &path : paths) {
        THtmlTemplate htmlTemplate(path);
        if (!htmlTemplate.GetName().isEmpty())
            FTemplates.append(std::move(htmlTemplate));
    }
}
