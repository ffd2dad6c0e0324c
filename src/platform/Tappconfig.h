#pragma once

#include <QString>

// The program's own settings (proxy and wait time), one instance per program.
class TAppConfig
{
public:
    static TAppConfig &GetInstance();

    void SetDefaults();
    // The settings file under the user's configuration folder; creates its folder.
    static QString GetIniFileName();
    void Load(const QString &fileName);
    void Save(const QString &fileName);

    bool GetUseProxy() const { return FUseProxy; }
    void SetUseProxy(bool value) { FUseProxy = value; }
    QString GetProxyServer() const { return FProxyServer; }
    void SetProxyServer(const QString &value) { FProxyServer = value; }
    int GetProxyPort() const { return FProxyPort; }
    void SetProxyPort(int value) { FProxyPort = value; }
    int GetSleepTime() const { return FSleepTime; }
    void SetSleepTime(int value) { FSleepTime = value; }

private:
    TAppConfig() { SetDefaults(); }

    bool FUseProxy = false;
    QString FProxyServer;
    int FProxyPort = 8080;
    int FSleepTime = 0;
};
