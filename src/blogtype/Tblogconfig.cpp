#include "blogtype/Tblogconfig.h"

#include "platform/Tappdirs.h"
#include "platform/Tinifile.h"

#include <QFileInfo>

TBlogConfig::TBlogConfig(const QString &iniPath)
    : FDirectory(QFileInfo(iniPath).absolutePath())
{
    const TIniFile ini(iniPath);
    const QString config = QStringLiteral("CONFIG");
    const QString script = QStringLiteral("SCRIPT");
    FName = ini.ReadString(config, QStringLiteral("name"), QString());
    FHelp = ini.ReadString(config, QStringLiteral("help"), QString());
    FSimpleText = ini.ReadString(config, QStringLiteral("simpletext"), QString());
    FEncode = ini.ReadString(config, QStringLiteral("encode"), QStringLiteral("EUC-JP"));
    FFile = ini.ReadString(script, QStringLiteral("file"), QString());
    FLanguage = ini.ReadString(script, QStringLiteral("language"), QStringLiteral("JScript"));
}

QString TBlogConfig::GetHelpPath() const
{
    return IniRelativePath(FDirectory, FHelp);
}

QString TBlogConfig::GetScriptPath() const
{
    return IniRelativePath(FDirectory, FFile);
}

TBlogConfigManager::TBlogConfigManager(const QString &folder)
    : FFolder(folder)
{
}

void TBlogConfigManager::Load()
{
    FBlogConfigs.clear();
    for (const QString &path : ListFilesByName(FFolder.isEmpty() ? GetBlogDir() : FFolder, false)) {
        if (!path.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive))
            continue;
        TBlogConfig config(path);
        if (!config.GetName().isEmpty())
            FBlogConfigs.append(std::move(config));
    }
}
