#include "blogtype/Tblogconfig.h"

#include "platform/Tappdirs.h"
#include "platform/Tinifile.h"
#include "platform/Varnokierror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

TBlogConfig::TBlogConfig(const QString &iniPath)
    : FDirectory(QFileInfo(iniPath).absolutePath()), FIniPath(iniPath)
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
    FWarnings.clear();
    const QString user = FFolder.isEmpty() ? GetUserBlogDir() : QString();
    const QStringList paths = FFolder.isEmpty() ? ListDefinitionFiles(user, GetBlogDir(), false)
                                                : ListFilesByName(FFolder, false);
    for (const QString &path : paths) {
        if (!path.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive))
            continue;
        TBlogConfig config(path);
        if (!config.GetName().isEmpty())
            FBlogConfigs.append(std::move(config));
    }
    if (user.isEmpty())
        return;
    // A name is looked up as the first of the list, so of a shipped blog type and the
    // user's own of one name, the user's goes in front; either way the user hears of it.
    auto usersOwn = [&user](const TBlogConfig &config) {
        return QString(config.GetDirectory() + QLatin1Char('/')).startsWith(user);
    };
    for (qsizetype i = 0; i < FBlogConfigs.size(); ++i) {
        if (!usersOwn(FBlogConfigs[i]))
            continue;
        const QString name = FBlogConfigs[i].GetName();
        qsizetype first = -1;
        bool twice = false;
        for (qsizetype j = 0; j < FBlogConfigs.size(); ++j) {
            if (FBlogConfigs[j].GetName() != name)
                continue;
            if (first < 0)
                first = j;
            twice = twice || j != i;
        }
        if (!twice)
            continue;
        if (first < i && usersOwn(FBlogConfigs[first]))
            continue; // the same name twice in the user's folder: said for the first one
        FWarnings.append(QStringLiteral("ブログの種類「%1」が二つあります。自分のフォルダーの %2 を使います。")
                             .arg(name, QDir::toNativeSeparators(FBlogConfigs[i].GetIniPath())));
        if (first < i)
            FBlogConfigs.move(i, first);
    }
}

QString ReadScriptFile(const QString &path)
{
    // Scripts are small; anything this large is not a script and would only stall.
    constexpr qint64 MaxScriptSize = 16 * 1024 * 1024;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxScriptSize)
        throw EVarnokiError(QStringLiteral("スクリプトファイルを読み込めません: ") + path);
    const QString text = TIniFile::DecodeText(file.readAll());
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineBreak);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(QStringLiteral("\r\n"));
}

QString ReadBlogTypeScript(const TBlogConfig &config)
{
    const QString path = config.GetScriptPath();
    if (QFileInfo(path).isFile() && !ResolvesInside(path, DefinitionFolders(config.GetIniPath())))
        throw EVarnokiError(QStringLiteral("ブログの種類のスクリプトがブログの種類のフォルダーの外にあるため、読み込みません: ")
                            + QDir::toNativeSeparators(path));
    return ReadScriptFile(path);
}

QList<TScriptSource> ReadHelperScripts(const TBlogConfig &config)
{
    const QStringList folders = {GetUserBlogDir(), QFileInfo(config.GetScriptPath()).absolutePath() + QLatin1Char('/'),
                                 GetBlogDir()};
    QList<TScriptSource> helpers;
    for (const QString &name : {QStringLiteral("common.js"), QStringLiteral("services.js")}) {
        for (const QString &folder : folders) {
            if (QFileInfo(folder + name).isFile()) {
                helpers.append({name, ReadScriptFile(folder + name)});
                break;
            }
        }
    }
    return helpers;
}
