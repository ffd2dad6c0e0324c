#include "retrieval/Tdownloadhost.h"

#include "platform/Tappconfig.h"
#include "platform/Tinifile.h"
#include "platform/Varnokierror.h"
#include "retrieval/Thttputility.h"

#include <QFile>
#include <QRegularExpression>

TFetchControl MakeFetchControl(TDownloadHost &host)
{
    TFetchControl control;
    control.IsCancelled = [&host] { return host.IsCancelled(); };
    control.ProcessEvents = [&host] { host.ProcessMessages(); };
    control.Log = [&host](const QString &line) { host.AddLog(line); };
    control.Wait = [&host](int milliseconds) { host.Wait(milliseconds); };
    const TAppConfig &config = TAppConfig::GetInstance();
    if (config.GetUseProxy()) {
        control.ProxyServer = config.GetProxyServer();
        control.ProxyPort = config.GetProxyPort();
    }
    control.SystemProxy = config.GetUseSystemProxy();
    return control;
}

void LogScriptLoadWarning(TDownloadHost &host, const QString &warning)
{
    if (!warning.isEmpty())
        host.AddLog(QStringLiteral("Warning: スクリプトの読み込み中にエラーが起きましたが、"
                                   "スクリプトの関数はそのまま使います: ")
                    + warning);
}
