#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// A small HTTP/1.1 server on 127.0.0.1 for tests. It runs on its own thread with plain
// sockets, so the code under test may block the test's thread while it fetches.
// Every answer carries "Connection: close" (one request per connection) unless
// SetKeepAlive(true) lets a client send request after request on one connection.
//
//   THttpTestServer server;                       // listening once constructed
//   server.SetRoute("/a?x=1", THttpTestResponse::Html("<p>hi</p>"));
//   server.SetRoute("/old", THttpTestResponse::Redirect(server.Url("/new")));
//   server.SetRouteSequence("/busy", {THttpTestResponse::RetryAfter(503, "0"),
//                                     THttpTestResponse::Html("ok")});
//   server.ServeFolder(TestPaths::FixturesDir() + "/blog");  // GET /x/y.html -> file
//   FetchPageDirect(server.Url("/a?x=1"), ...);
//   server.Requests();                             // what arrived, in order
//
// How a request is answered: the route whose target (path with query, exactly as in
// the request line) matches; otherwise the handler, if set and it gives an answer;
// otherwise a file of the served folder (path without query, "/" -> index.html);
// otherwise 404.

struct THttpTestResponse
{
    int Status = 200;
    QByteArray Reason;                         // empty: the usual phrase for Status
    QList<QPair<QByteArray, QByteArray>> Headers; // sent in order, as given
    QByteArray Body;                           // any bytes; Content-Length is added
    // -1: send everything. n >= 0: send only the first n bytes of the whole answer
    // (status line, headers and body together), then hold the connection open without
    // sending more until ReleaseStalled() or the server's end.
    int StallAfter = -1;
    // > 0: the body goes out one byte at a time with this pause between bytes.
    int TrickleMs = 0;
    // The body is sent again and again without end (and without Content-Length) until
    // the client goes away.
    bool Endless = false;

    THttpTestResponse &Header(const QByteArray &name, const QByteArray &value);

    static THttpTestResponse Html(const QByteArray &body, const QByteArray &contentType = "text/html");
    static THttpTestResponse WithStatus(int status, const QByteArray &body = {});
    static THttpTestResponse Redirect(const QString &location, int status = 302);
    static THttpTestResponse RetryAfter(int status, const QByteArray &retryAfter);
    static THttpTestResponse Stall();          // sends nothing at all
};

struct THttpTestRequest
{
    QByteArray RequestLine; // "GET /a?x=1 HTTP/1.1"
    QByteArray Method;
    QByteArray Target;      // as in the request line: a path, or a full URL through a proxy
    QList<QPair<QByteArray, QByteArray>> Headers;

    // The first header of that name (case-insensitive), empty when absent.
    QByteArray Header(const QByteArray &name) const;
};

class THttpTestServer
{
public:
    // Runs on the server's thread; return nothing to fall through to the folder.
    using THandler = std::function<std::optional<THttpTestResponse>(const THttpTestRequest &)>;

    THttpTestServer();
    ~THttpTestServer(); // closes stalled connections, stops and joins the thread
    THttpTestServer(const THttpTestServer &) = delete;
    THttpTestServer &operator=(const THttpTestServer &) = delete;

    quint16 Port() const;
    // "http://127.0.0.1:<port>" + target
    QString Url(const QString &target = QStringLiteral("/")) const;

    void SetRoute(const QByteArray &target, const THttpTestResponse &response);
    // Answers in turn; the last one repeats once the others are used up.
    void SetRouteSequence(const QByteArray &target, const QList<THttpTestResponse> &responses);
    void SetHandler(const THandler &handler);
    void ServeFolder(const QString &folder);
    void SetKeepAlive(bool keepAlive);

    // Connections accepted so far.
    int ConnectionCount() const;

    QList<THttpTestRequest> Requests() const;
    int RequestCount(const QByteArray &target) const;
    void ClearRequests();

    // Closes every held (stalled) connection.
    void ReleaseStalled();

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
