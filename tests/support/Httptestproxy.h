#pragma once

#include "Httptestserver.h"

// A tiny forward HTTP proxy on 127.0.0.1 for tests: it takes requests in absolute form
// ("GET http://127.0.0.1:8123/a HTTP/1.1"), records them, passes them on to the named
// host (plain http only, no CONNECT) and relays the answer. An unreachable upstream
// answers 502.
//
//   THttpTestServer site;
//   THttpTestProxy proxy;
//   client.SetProxy("127.0.0.1", proxy.Port());
//   ... fetch site.Url("/a") ...
//   proxy.Requests().first().Target == site.Url("/a").toUtf8()
class THttpTestProxy
{
public:
    THttpTestProxy();

    quint16 Port() const;
    // What reached the proxy, in order, with the full URLs as targets.
    QList<THttpTestRequest> Requests() const;

private:
    THttpTestServer FServer;
};
