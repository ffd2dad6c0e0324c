#include "platform/Tappconfig.h"

#include "platform/Tapptitle.h"
#include "platform/Tinifile.h"
#include "platform/Tspecialfolder.h"
#include "platform/Varnokierror.h"

#include <QDir>

namespace {
const QString Section = QStringLiteral("HTTP_PROXY");
const QString KeyUseProxy = QStringLiteral("UseProxy");
const QString KeyProxyServer = QStringLiteral("ProxyServer");
const QString KeyProxyPort = QStringLiteral("ProxyPort");
const QString KeySleepTime = QStringLiteral("SleepTime");
const QString KeyUseSystemProxy = QStringLiteral("UseSystemProxy");

constexpr bool DefaultUseProxy = false;
const QString DefaultProxyServer = QStringLiteral("127.0.0.1");
constexpr int DefaultProxyPort = 8080;
constexpr int DefaultSleepTime = 0;

QString WithSlash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}
} // namespace

TAppConfig &TAppConfig::GetInstance()
{
    static TAppConfig instance;
    return instance;
}

void TAppConfig::SetDefaults()
{
    FUseProxy = DefaultUseProxy;
    FUseSystemProxy = false;
    FProxyServer = DefaultProxyServer;
    FProxyPort = DefaultProxyPort;
    FSleepTime = DefaultSleepTime;
}

QString TAppConfig::GetIniFileName()
{
    QString base = GetSpecialFolderPath(1);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    const QString folder = WithSlash(base) + QStringLiteral("Quillfen/") + GetApplicationTitle();
    QDir().mkpath(folder);
    return WithSlash(folder) + GetApplicationTitle() + QStringLiteral(".ini");
}

void TAppConfig::Load(const QString &fileName)
{
    const TIniFile ini(fileName);
    FUseProxy = ini.ReadBool(Section, KeyUseProxy, DefaultUseProxy);
    FUseSystemProxy = !FUseProxy && ini.ReadBool(Section, KeyUseSystemProxy, false);
    FProxyServer = ini.ReadString(Section, KeyProxyServer, DefaultProxyServer);
    FProxyPort = ini.ReadInteger(Section, KeyProxyPort, DefaultProxyPort);
    FSleepTime = ini.ReadInteger(Section, KeySleepTime, DefaultSleepTime);
}

void TAppConfig::Save(const QString &fileName) const
{
    auto fail = [&fileName](const QString &why) {
        return EVarnokiError(QStringLiteral("設定ファイルを保存できませんでした。\n%1\n%2")
                                 .arg(QDir::toNativeSeparators(fileName), why));
    };
    TIniFile ini;
    QString why;
    if (ini.LoadFromFile(fileName, &why) == TIniFile::TLoadResult::Unreadable)
        throw fail(why);
    ini.WriteBool(Section, KeyUseProxy, FUseProxy);
    // Written only once chosen, so that a file of someone who never did stays as it was.
    const bool system = !FUseProxy && FUseSystemProxy;
    if (system || !ini.ReadString(Section, KeyUseSystemProxy, QString()).isEmpty())
        ini.WriteBool(Section, KeyUseSystemProxy, system);
    ini.WriteString(Section, KeyProxyServer, FProxyServer);
    ini.WriteInteger(Section, KeyProxyPort, FProxyPort);
    ini.WriteInteger(Section, KeySleepTime, FSleepTime);
    if (!ini.SaveToFile(fileName, &why))
        throw fail(why);
}
