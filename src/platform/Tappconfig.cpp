#include "platform/Tappconfig.h"

TAppConfig &TAppConfig::GetInstance()
{
    static TAppConfig instance;
    return instance;
}

void TAppConfig::SetDefaults()
{
    FUseProxy = false;
    FProxyServer = QStringLiteral("127.0.0.1");
    FProxyPort = 8080;
    FSleepTime = 0;
}

QString TAppConfig::GetIniFileName() { return QString(); }
void TAppConfig::Load(const QString &fileName) { Q_UNUSED(fileName); }
void TAppConfig::Save(const QString &fileName) { Q_UNUSED(fileName); }
