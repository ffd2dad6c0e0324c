#pragma once

#include <QString>

// The program's own settings: the HTTP proxy and the wait between downloaded pages,
// kept in section HTTP_PROXY of the settings file.
class TAppConfig
{
public:
    // The program's instance, created with the defaults on first use.
    static TAppConfig &GetInstance();

    void SetDefaults();

    // ⟨configuration folder⟩/Quillfen/⟨title⟩/⟨title⟩.ini; creates its folder.
    static QString GetIniFileName();

    // A missing or unreadable file, and values that do not parse, give the defaults.
    void Load(const QString &fileName);
    // Rewrites its keys and keeps everything else in the file; the file is
    // replaced atomically. Throws EVarnokiError when it cannot be written, or when a
    // file is there that cannot be read (it would otherwise lose its other content).
    void Save(const QString &fileName) const;

    // The proxy of the environment (http_proxy, https_proxy, no_proxy) when no proxy
    // is given; older versions, which do not know the key, connect directly then.
    bool GetUseSystemProxy() const { return FUseSystemProxy; }
    void SetUseSystemProxy(bool value) { FUseSystemProxy = value; }
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
    bool FUseSystemProxy = false;
    QString FProxyServer;
    int FProxyPort = 8080;
    int FSleepTime = 0;
};
