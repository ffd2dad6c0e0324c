#include "output/Ttemplatemanager.h"

#include "platform/Tappdirs.h"
#include "platform/Tinifile.h"

#include <QFileInfo>
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
        for (const QString &part : ini.ReadString(choices, key, QString()).split(QLatin1Char('|'))) {
            const QString value = part.trimmed();
            if (!value.isEmpty() && !known.contains(value)) {
                known.insert(value);
                values.append(value);
            }
        }
        if (!values.isEmpty())
            FChoices.insert(item, values);
    }
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
