#include "Httptestproxy.h"
#include "Httptestserver.h"
#include "retrieval/Thttputility.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <QUrl>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// What both fetches send: plain ASCII naming the program and its version.
const QByteArray ExpectedUserAgent = "Varnoki/" VARNOKI_VERSION " (+blog table of contents)";

// A port on 127.0.0.1 that refuses connections: bound, never listening.
class TClosedPort
{
public:
    TClosedPort()
    {
        FFd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(FFd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::getsockname(FFd, reinterpret_cast<sockaddr *>(&address), &length);
        FPort = ntohs(address.sin_port);
    }
    ~TClosedPort() { ::close(FFd); }
    QString Url() const { return QStringLiteral("http://127.0.0.1:%1/").arg(FPort); }

private:
    int FFd = -1;
    quint16 FPort = 0;
};

// A port on 127.0.0.1 whose connections never complete: its one-place queue is taken
// by a connection nobody accepts, so further connection attempts go unanswered.
class TFullPort
{
public:
    TFullPort()
    {
        FListener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(FListener, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::listen(FListener, 0);
        ::getsockname(FListener, reinterpret_cast<sockaddr *>(&address), &length);
        FPort = ntohs(address.sin_port);
        FFiller = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(FFiller, reinterpret_cast<sockaddr *>(&address), sizeof address);
    }
    ~TFullPort()
    {
        ::close(FFiller);
        ::close(FListener);
    }
    QString Url() const { return QStringLiteral("http://127.0.0.1:%1/").arg(FPort); }

private:
    int FListener = -1;
    int FFiller = -1;
    quint16 FPort = 0;
};

QString ErrorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const EVarnokiError &error) {
        return error.Message();
    }
    return QStringLiteral("(no error)");
}

// Cancels once the fetch has let events run a few times, i.e. while it is under way.
TFetchControl CancelDuringFetch(int *eventRuns)
{
    TFetchControl control;
    control.ProcessEvents = [eventRuns] { ++*eventRuns; };
    control.IsCancelled = [eventRuns] { return *eventRuns >= 3; };
    return control;
}

const QByteArray BytesWithNuls("head\0middle\0\0tail", 17);

} // namespace

TEST(HttpUtility, DirectFetchReturnsErrorPagesAndFollowsRedirects)
{
    THttpTestServer site;
    site.SetRoute("/gone", THttpTestResponse::WithStatus(404, "<p>missing page</p>"));
    site.SetRoute("/old", THttpTestResponse::Redirect(site.Url(QStringLiteral("/older")), 301));
    site.SetRoute("/older", THttpTestResponse::Redirect(QStringLiteral("/new")));
    site.SetRoute("/new", THttpTestResponse::Html("<p>new place</p>"));

    TFetchOutcome outcome;
    outcome.NetworkError = QStringLiteral("stale");
    EXPECT_EQ(FetchPageDirect(site.Url(QStringLiteral("/gone")), NoCodePage, {}, &outcome),
              QStringLiteral("<p>missing page</p>"));
    EXPECT_TRUE(outcome.NetworkError.isEmpty());
    EXPECT_EQ(outcome.Status, 404);
    EXPECT_EQ(outcome.Problem(), QStringLiteral("HTTP エラー: HTTP/1.1 404 Not Found"));
    EXPECT_EQ(FetchPageDirect(site.Url(QStringLiteral("/old")), NoCodePage, {}, &outcome),
              QStringLiteral("<p>new place</p>"));
    EXPECT_EQ(outcome.Status, 200);
    EXPECT_TRUE(outcome.Problem().isEmpty());
    EXPECT_EQ(site.RequestCount("/new"), 1);
}

TEST(HttpUtility, ClientRaisesOnErrorStatusAndDoesNotFollowRedirects)
{
    THttpTestServer site;
    site.SetRoute("/gone", THttpTestResponse::WithStatus(404, "<p>missing page</p>"));
    site.SetRoute("/old", THttpTestResponse::Redirect(site.Url(QStringLiteral("/new"))));
    site.SetRoute("/new", THttpTestResponse::Html("<p>new place</p>"));
    THttpClient client;

    EXPECT_EQ(ErrorOf([&] { FetchPage(client, site.Url(QStringLiteral("/gone")), NoCodePage); }),
              QStringLiteral("HTTP エラー: HTTP/1.1 404 Not Found"));
    const QString redirect =
        ErrorOf([&] { FetchPage(client, site.Url(QStringLiteral("/old")), NoCodePage); });
    EXPECT_TRUE(redirect.startsWith(QStringLiteral("HTTP エラー: HTTP/1.1 302 Found"))) << redirect.toStdString();
    EXPECT_TRUE(redirect.contains(site.Url(QStringLiteral("/new")))) << redirect.toStdString();
    EXPECT_EQ(site.RequestCount("/new"), 0);
    // The client is still usable after a failure.
    EXPECT_EQ(FetchPage(client, site.Url(QStringLiteral("/new")), NoCodePage),
              QStringLiteral("<p>new place</p>"));
}

TEST(HttpUtility, BodiesKeepNulBytes)
{
    THttpTestServer site;
    QByteArray large = BytesWithNuls.repeated(500); // spans many reads
    site.SetRoute("/nul", THttpTestResponse::Html(BytesWithNuls));
    site.SetRoute("/large", THttpTestResponse::Html(large));
    THttpClient client;

    EXPECT_EQ(FetchPageBytesDirect(site.Url(QStringLiteral("/nul"))), BytesWithNuls);
    EXPECT_EQ(FetchPageBytesDirect(site.Url(QStringLiteral("/large"))), large);
    EXPECT_EQ(client.Get(site.Url(QStringLiteral("/nul")), {}), BytesWithNuls);
    EXPECT_EQ(client.Get(site.Url(QStringLiteral("/large")), {}), large);
}

TEST(HttpUtility, Utf16PageIsDecoded)
{
    // Every ASCII character of UTF-16 text carries a NUL byte.
    const QString text = QStringLiteral("<title>日記</title>");
    QByteArray utf16le("\xFF\xFE", 2);
    utf16le.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    THttpTestServer site;
    site.SetRoute("/u16", THttpTestResponse::Html(utf16le));
    THttpClient client;

    EXPECT_EQ(FetchPageDirect(site.Url(QStringLiteral("/u16")), NoCodePage), text);
    EXPECT_EQ(FetchPage(client, site.Url(QStringLiteral("/u16")), NoCodePage), text);
}

TEST(HttpUtility, RequestHeadersAndCookies)
{
    THttpTestServer site;
    site.SetRoute("/login", THttpTestResponse::Html("in").Header("Set-Cookie", "clientsid=42; Path=/"));
    site.SetRoute("/direct-login",
                  THttpTestResponse::Html("in").Header("Set-Cookie", "directsid=7; Path=/"));
    site.SetRoute("/page", THttpTestResponse::Html("page"));

    {
        THttpClient client;
        FetchPage(client, site.Url(QStringLiteral("/login")), NoCodePage);
        FetchPage(client, site.Url(QStringLiteral("/page")), NoCodePage);
        const THttpTestRequest second = site.Requests().at(1);
        EXPECT_EQ(second.RequestLine, "GET /page HTTP/1.1");
        EXPECT_EQ(second.Header("Accept"), "text/html, */*");
        EXPECT_EQ(second.Header("User-Agent"), ExpectedUserAgent);
        EXPECT_TRUE(second.Header("Cookie").contains("clientsid=42"));
    }
    {
        // A new run starts with no cookies.
        THttpClient client;
        site.ClearRequests();
        FetchPage(client, site.Url(QStringLiteral("/page")), NoCodePage);
        EXPECT_FALSE(site.Requests().at(0).Header("Cookie").contains("clientsid"));
    }

    // The window program's title is not ASCII; it stays out of the header.
    const QString title = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("ブログ目次作成ソフト Varnoki"));
    site.ClearRequests();
    FetchPageDirect(site.Url(QStringLiteral("/direct-login")), NoCodePage);
    FetchPageDirect(site.Url(QStringLiteral("/page")), NoCodePage);
    QCoreApplication::setApplicationName(title);
    const THttpTestRequest direct = site.Requests().at(1);
    EXPECT_EQ(direct.Header("User-Agent"), ExpectedUserAgent);
    EXPECT_TRUE(direct.Header("Cookie").contains("directsid=7"));
    EXPECT_FALSE(direct.Header("Cookie").contains("clientsid"));
}

TEST(HttpUtility, BothFetchesUseTheProxyOnlyWhenTold)
{
    THttpTestServer site;
    site.SetRoute("/page?id=1", THttpTestResponse::Html("through"));
    site.SetRoute("/moved", THttpTestResponse::Redirect(site.Url(QStringLiteral("/page?id=1")), 301));
    THttpTestProxy proxy;
    // The environment must not route anything: only the settings do.
    const QByteArray environmentProxy = "http://127.0.0.1:" + QByteArray::number(proxy.Port());
    ::setenv("http_proxy", environmentProxy.constData(), 1);
    ::setenv("HTTP_PROXY", environmentProxy.constData(), 1);
    {
        THttpClient client;
        EXPECT_EQ(FetchPage(client, site.Url(QStringLiteral("/page?id=1")), NoCodePage),
                  QStringLiteral("through"));
    }
    EXPECT_EQ(FetchPageDirect(site.Url(QStringLiteral("/page?id=1")), NoCodePage),
              QStringLiteral("through"));
    EXPECT_TRUE(proxy.Requests().isEmpty());
    ::unsetenv("http_proxy");
    ::unsetenv("HTTP_PROXY");

    THttpClient client;
    client.SetProxy(QStringLiteral("127.0.0.1"), proxy.Port());
    EXPECT_EQ(FetchPage(client, site.Url(QStringLiteral("/page?id=1")), NoCodePage),
              QStringLiteral("through"));
    ASSERT_EQ(proxy.Requests().size(), 1);
    EXPECT_EQ(proxy.Requests().at(0).Target, site.Url(QStringLiteral("/page?id=1")).toUtf8());
    EXPECT_EQ(site.RequestCount("/page?id=1"), 3);

    // The direct fetch follows a redirect through the proxy too.
    TFetchControl control;
    control.ProxyServer = QStringLiteral("127.0.0.1");
    control.ProxyPort = proxy.Port();
    EXPECT_EQ(FetchPageDirect(site.Url(QStringLiteral("/moved")), NoCodePage, control),
              QStringLiteral("through"));
    ASSERT_EQ(proxy.Requests().size(), 3);
    EXPECT_EQ(proxy.Requests().at(1).Target, site.Url(QStringLiteral("/moved")).toUtf8());
    EXPECT_EQ(proxy.Requests().at(2).Target, site.Url(QStringLiteral("/page?id=1")).toUtf8());
    EXPECT_EQ(proxy.Requests().at(2).Header("User-Agent"), ExpectedUserAgent);
}

// A proxy that is not there is named as the one at fault, not the blog's server.
TEST(HttpUtility, AProxyThatCannotBeReachedIsNamed)
{
    THttpTestServer site;
    site.SetRoute("/", THttpTestResponse::Html("never"));
    TClosedPort closed;
    TFetchControl control;
    control.ProxyServer = QStringLiteral("127.0.0.1");
    control.ProxyPort = QUrl(closed.Url()).port();
    const QString expected = QStringLiteral("通信エラー: プロキシ 127.0.0.1:%1 に接続できません。").arg(control.ProxyPort);
    TFetchOutcome outcome;
    EXPECT_EQ(FetchPageDirect(site.Url(), NoCodePage, control, &outcome), QString());
    EXPECT_TRUE(outcome.NetworkError.startsWith(expected)) << outcome.NetworkError.toStdString();
    // The library's own words follow, for whoever must look further.
    EXPECT_TRUE(outcome.NetworkError.endsWith(QLatin1Char(')'))) << outcome.NetworkError.toStdString();
    THttpClient client;
    client.SetProxy(control.ProxyServer, control.ProxyPort);
    EXPECT_EQ(ErrorOf([&] { client.Get(site.Url(), control); }), outcome.NetworkError);
    EXPECT_EQ(site.RequestCount("/"), 0);
}

TEST(HttpUtility, RetryAfterIsWaitedOutAndBounded)
{
    THttpTestServer site;
    site.SetRouteSequence("/busy", {THttpTestResponse::RetryAfter(503, "2"),
                                    THttpTestResponse::RetryAfter(429, "99999"),
                                    THttpTestResponse::Html("finally")});
    QList<int> waits;
    QStringList log;
    TFetchControl control;
    control.Wait = [&](int ms) { waits.append(ms); };
    control.Log = [&](const QString &line) { log.append(line); };

    EXPECT_EQ(FetchPageDirect(site.Url(QStringLiteral("/busy")), NoCodePage, control),
              QStringLiteral("finally"));
    EXPECT_EQ(waits, (QList<int>{2000, 300000}));
    ASSERT_EQ(log.size(), 2);
    EXPECT_EQ(log.at(0), QStringLiteral("Wait: ") + site.Url(QStringLiteral("/busy"))
                             + QStringLiteral(" HTTP/1.1 503 Service Unavailable 2 秒待ってから取得し直します。"));

    // Three waits per page at most; then the answer counts as it is.
    const QList<THttpTestResponse> alwaysBusy{THttpTestResponse::RetryAfter(503, "0")};
    site.SetRouteSequence("/always", alwaysBusy);
    waits.clear();
    EXPECT_EQ(FetchPageDirect(site.Url(QStringLiteral("/always")), NoCodePage, control),
              QStringLiteral("busy"));
    EXPECT_EQ(waits.size(), 3);
    EXPECT_EQ(site.RequestCount("/always"), 4);

    THttpClient client;
    waits.clear();
    EXPECT_EQ(ErrorOf([&] { client.Get(site.Url(QStringLiteral("/always")), control); }),
              QStringLiteral("HTTP エラー: HTTP/1.1 503 Service Unavailable"));
    EXPECT_EQ(waits.size(), 3);

    // Without Retry-After a 503 is an ordinary answer; an HTTP date in the past waits nothing.
    site.SetRoute("/down", THttpTestResponse::WithStatus(503, "down"));
    site.SetRouteSequence("/dated", {THttpTestResponse::RetryAfter(503, "Sun, 06 Nov 1994 08:49:37 GMT"),
                                     THttpTestResponse::Html("dated")});
    waits.clear();
    EXPECT_EQ(FetchPageDirect(site.Url(QStringLiteral("/down")), NoCodePage, control),
              QStringLiteral("down"));
    EXPECT_EQ(client.Get(site.Url(QStringLiteral("/dated")), control), "dated");
    EXPECT_EQ(waits, QList<int>{0});

    // The fetch's own wait, used when the job gives none.
    site.SetRouteSequence("/quick", {THttpTestResponse::RetryAfter(429, "0"),
                                     THttpTestResponse::Html("quick")});
    EXPECT_EQ(client.Get(site.Url(QStringLiteral("/quick")), {}), "quick");
}

TEST(HttpUtility, CancelStopsAFetchAndARetryWait)
{
    THttpTestServer site;
    site.SetRoute("/stall", THttpTestResponse::Stall());
    THttpTestResponse halfway = THttpTestResponse::Html(QByteArray(1000, 'x'));
    halfway.StallAfter = 200;
    site.SetRoute("/halfway", halfway);

    QElapsedTimer clock;
    clock.start();
    int eventRuns = 0;
    EXPECT_THROW(FetchPageDirect(site.Url(QStringLiteral("/stall")), NoCodePage,
                                 CancelDuringFetch(&eventRuns)),
                 EFetchCancelled);
    EXPECT_GE(eventRuns, 3);
    eventRuns = 0;
    THttpClient client;
    EXPECT_THROW(client.Get(site.Url(QStringLiteral("/halfway")), CancelDuringFetch(&eventRuns)),
                 EFetchCancelled);
    EXPECT_LT(clock.elapsed(), 5000);

    site.SetRoute("/busy", THttpTestResponse::RetryAfter(503, "120"));
    bool cancelled = false;
    TFetchControl control;
    control.Wait = [&](int) { cancelled = true; };
    control.IsCancelled = [&] { return cancelled; };
    EXPECT_THROW(client.Get(site.Url(QStringLiteral("/busy")), control), EFetchCancelled);
    EXPECT_EQ(site.RequestCount("/busy"), 1);
}

TEST(HttpUtility, NetworkFailures)
{
    THttpTestServer site;
    site.SetRoute("/stall", THttpTestResponse::Stall());
    THttpTestResponse halfway = THttpTestResponse::Html(QByteArray(1000, 'x'));
    halfway.StallAfter = 200; // the headers and part of the body
    site.SetRoute("/halfway", halfway);
    TClosedPort closed;
    TFetchControl control;
    control.StallTimeoutMs = 300;
    THttpClient client;

    TFetchOutcome outcome;
    const QString &networkError = outcome.NetworkError;
    EXPECT_EQ(FetchPageDirect(closed.Url(), NoCodePage, control, &outcome), QString());
    EXPECT_TRUE(networkError.startsWith(QStringLiteral("通信エラー: サーバーに接続できません。")))
        << networkError.toStdString();
    EXPECT_EQ(ErrorOf([&] { client.Get(closed.Url(), control); }), networkError);

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(FetchPageDirect(site.Url(QStringLiteral("/stall")), NoCodePage, control, &outcome),
              QString());
    EXPECT_EQ(networkError, QStringLiteral("通信エラー: 1 秒間データが届きませんでした。"));
    EXPECT_EQ(ErrorOf([&] { client.Get(site.Url(QStringLiteral("/halfway")), control); }), networkError);
    EXPECT_LT(clock.elapsed(), 5000);

    TFullPort full;
    TFetchControl patient;
    patient.ConnectTimeoutMs = 300;
    EXPECT_EQ(FetchPageDirect(full.Url(), NoCodePage, patient, &outcome), QString());
    EXPECT_TRUE(networkError.startsWith(QStringLiteral("通信エラー: 時間切れになりました。")))
        << networkError.toStdString();
    EXPECT_LT(clock.elapsed(), 5000);

    // Only web addresses are fetched: a page cannot make us read local files.
    EXPECT_EQ(FetchPageDirect(QStringLiteral("file:///etc/hostname"), NoCodePage, control, &outcome),
              QString());
    EXPECT_TRUE(networkError.startsWith(QStringLiteral("通信エラー: URL が正しくありません。")))
        << networkError.toStdString();
    EXPECT_TRUE(ErrorOf([&] { client.Get(QStringLiteral("file:///etc/hostname"), control); })
                    .startsWith(QStringLiteral("通信エラー: URL が正しくありません。")));
}

TEST(HttpUtility, UrlsTravelAsGivenWithNonAsciiEscaped)
{
    THttpTestServer site;
    site.SetHandler([](const THttpTestRequest &request) {
        return std::optional(THttpTestResponse::Html(request.Target));
    });
    THttpClient client;
    EXPECT_EQ(client.Get(site.Url(QStringLiteral("/archive/category/日記?q=a b&x=%41")), {}),
              "/archive/category/%E6%97%A5%E8%A8%98?q=a%20b&x=%41");
    EXPECT_EQ(FetchPageBytesDirect(site.Url(QStringLiteral("/Entry/12/?p=1#top"))), "/Entry/12/?p=1");
}

TEST(HttpUtility, TestServerServesAFolder)
{
    QTemporaryDir folder;
    QDir(folder.path()).mkpath(QStringLiteral("entry"));
    QFile page(folder.path() + QStringLiteral("/entry/1.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("\x93\xfa\x8b\x4c"); // "日記" in Shift_JIS
    page.close();
    THttpTestServer site;
    site.ServeFolder(folder.path());
    THttpClient client;

    EXPECT_EQ(FetchPage(client, site.Url(QStringLiteral("/entry/1.html?from=top")), 932),
              QStringLiteral("日記"));
    EXPECT_TRUE(ErrorOf([&] { client.Get(site.Url(QStringLiteral("/entry/2.html")), {}); })
                    .contains(QStringLiteral("404")));
}

TEST(HttpUtility, PagesAreBoundedInSizeAndTime)
{
    THttpTestServer site;
    // 8 MiB that travel as some 8 KB of deflate.
    THttpTestResponse bomb = THttpTestResponse::Html(qCompress(QByteArray(8 * 1024 * 1024, 'a'), 9).mid(4));
    bomb.Header("Content-Encoding", "deflate");
    site.SetRoute("/bomb", bomb);
    site.SetRoute("/declared", THttpTestResponse::Html(QByteArray(2 * 1024 * 1024, 'b')));
    THttpTestResponse endless = THttpTestResponse::Html(QByteArray(64 * 1024, 'c'));
    endless.Endless = true;
    site.SetRoute("/endless", endless);
    THttpTestResponse trickle = THttpTestResponse::Html(QByteArray(200, 'd'));
    trickle.TrickleMs = 20; // always some byte arriving, never the end in time
    site.SetRoute("/trickle", trickle);
    site.SetRoute("/small", THttpTestResponse::Html(QByteArray(1000, 'e')));

    TFetchControl control;
    control.MaxBodyBytes = 1024 * 1024;
    control.TotalTimeoutMs = 1000;
    const QString tooLarge = QStringLiteral("通信エラー: ページが大きすぎます (1 MiB を超えました)。");
    const QString tooSlow = QStringLiteral("通信エラー: 1 秒以内にページを読み終えられませんでした。");
    THttpClient client;
    const std::pair<const char *, QString> cases[] = {
        {"/bomb", tooLarge}, {"/declared", tooLarge}, {"/endless", tooLarge}, {"/trickle", tooSlow}};
    for (const auto &[path, message] : cases) {
        SCOPED_TRACE(path);
        TFetchOutcome outcome;
        QElapsedTimer clock;
        clock.start();
        EXPECT_LE(FetchPageBytesDirect(site.Url(QString::fromLatin1(path)), control, &outcome).size(),
                  control.MaxBodyBytes);
        EXPECT_EQ(outcome.NetworkError, message);
        EXPECT_EQ(outcome.Problem(), message);
        EXPECT_EQ(ErrorOf([&] { client.Get(site.Url(QString::fromLatin1(path)), control); }), message);
        EXPECT_LT(clock.elapsed(), 4000);
    }
    TFetchOutcome outcome;
    EXPECT_EQ(FetchPageBytesDirect(site.Url(QStringLiteral("/small")), control, &outcome).size(), 1000);
    EXPECT_TRUE(outcome.Problem().isEmpty());
}

TEST(HttpUtility, DirectFetchesReuseTheirConnection)
{
    THttpTestServer site;
    site.SetKeepAlive(true);
    for (int i = 1; i <= 5; ++i)
        site.SetRoute("/entry/" + QByteArray::number(i), THttpTestResponse::Html("entry " + QByteArray::number(i)));
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(FetchPageBytesDirect(site.Url(QStringLiteral("/entry/%1").arg(i))), "entry " + QByteArray::number(i));
    EXPECT_EQ(site.ConnectionCount(), 1);
}
