#include "retrieval/Thttputility.h"

#include "retrieval/Tstringutility.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QLocale>
#include <QTimeZone>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

namespace {

constexpr int MaxRetryAfterWaits = 3;
constexpr qint64 MaxRetryAfterMs = 5 * 60 * 1000;
constexpr int PollSliceMs = 20;
constexpr long MaxRedirects = 20;

const char *const ClientAccept = "Accept: text/html, */*";
// One plain ASCII agent for both fetches that names the program: servers refuse
// non-ASCII header values, and bad-bot lists refuse the agents of HTTP libraries.
const char *const UserAgent = "Varnoki/" VARNOKI_VERSION " (+blog table of contents)";

void InitCurlOnce()
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!initialised)
        throw EVarnokiError(QStringLiteral("通信ライブラリを初期化できません。"));
}

// The direct fetches share cookies and a connection cache for the whole process, the
// way the platform's internet library keeps them between calls.
struct TDirectState
{
    CURLSH *Share = nullptr;
    CURLM *Multi = nullptr;
    std::mutex Locks[CURL_LOCK_DATA_LAST];

    TDirectState()
    {
        Share = curl_share_init();
        curl_share_setopt(Share, CURLSHOPT_LOCKFUNC, &TDirectState::Lock);
        curl_share_setopt(Share, CURLSHOPT_UNLOCKFUNC, &TDirectState::Unlock);
        curl_share_setopt(Share, CURLSHOPT_USERDATA, this);
        curl_share_setopt(Share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_share_setopt(Share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
        Multi = curl_multi_init();
    }
    ~TDirectState()
    {
        curl_multi_cleanup(Multi);
        curl_share_cleanup(Share);
    }

    static void Lock(CURL *, curl_lock_data data, curl_lock_access, void *self)
    {
        static_cast<TDirectState *>(self)->Locks[data].lock();
    }
    static void Unlock(CURL *, curl_lock_data data, void *self)
    {
        static_cast<TDirectState *>(self)->Locks[data].unlock();
    }

    static TDirectState &Get()
    {
        InitCurlOnce();
        static TDirectState state;
        return state;
    }
};

QByteArray HeaderValue(const QList<QByteArray> &headers, const QByteArray &name)
{
    for (const QByteArray &line : headers) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

// What one transfer brought back.
struct TTransfer
{
    QByteArray Body;
    QByteArray StatusLine;
    QList<QByteArray> Headers;
    long Status = 0;
    CURLcode Result = CURLE_OK;
    bool Stalled = false;
    bool TimedOut = false;
    bool TooLarge = false;
    qint64 MaxBody = 0;
    QByteArray CurlError;
    QString RedirectUrl;

    QElapsedTimer Clock;
    qint64 LastActivityMs = 0;

    QByteArray Header(const QByteArray &name) const { return HeaderValue(Headers, name); }
    bool Failed() const { return Stalled || TimedOut || TooLarge || Result != CURLE_OK; }
};

size_t WriteBody(char *data, size_t size, size_t count, void *user)
{
    auto *transfer = static_cast<TTransfer *>(user);
    transfer->LastActivityMs = transfer->Clock.elapsed();
    if (transfer->Body.size() + qint64(size * count) > transfer->MaxBody) {
        transfer->TooLarge = true;
        return 0; // aborts the transfer
    }
    transfer->Body.append(data, qsizetype(size * count));
    return size * count;
}

size_t WriteHeader(char *data, size_t size, size_t count, void *user)
{
    auto *transfer = static_cast<TTransfer *>(user);
    const QByteArray line = QByteArray(data, qsizetype(size * count)).trimmed();
    // Each response of a redirect chain starts over with its own status line.
    if (line.startsWith("HTTP/")) {
        transfer->StatusLine = line;
        transfer->Headers.clear();
        transfer->Body.clear();
    } else if (!line.isEmpty()) {
        transfer->Headers.append(line);
    }
    transfer->LastActivityMs = transfer->Clock.elapsed();
    return size * count;
}

// Non-ASCII characters and blanks cannot travel in a request line; everything else,
// existing escapes included, goes out as given.
QByteArray UrlBytes(const QString &url)
{
    const QByteArray utf8 = url.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F) {
            out += '%';
            out += QByteArray::number(b, 16).rightJustified(2, '0').toUpper();
        } else {
            out += c;
        }
    }
    return out;
}

void SetCommonOptions(CURL *easy, TTransfer &transfer, char *errorBuffer,
                      const TFetchControl &control)
{
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(std::max(1, control.ConnectTimeoutMs)));
    // Refused before any byte of the body when the answer announces its size.
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(control.MaxBodyBytes));
    transfer.MaxBody = control.MaxBodyBytes;
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &WriteHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
}

// A plain HTTP proxy, or none for an empty server. Set either way, so that curl never
// takes one from the *_proxy environment variables, unless the user chose those.
void SetProxyOptions(CURL *easy, const QString &server, int port, bool systemProxy)
{
    if (server.isEmpty() && systemProxy) {
        curl_easy_setopt(easy, CURLOPT_PROXY, nullptr); // back to curl's own reading of them
        curl_easy_setopt(easy, CURLOPT_NOPROXY, nullptr);
        return;
    }
    curl_easy_setopt(easy, CURLOPT_PROXY, server.toUtf8().constData()); // libcurl keeps a copy
    curl_easy_setopt(easy, CURLOPT_PROXYPORT, long(port));
    curl_easy_setopt(easy, CURLOPT_PROXYTYPE, long(CURLPROXY_HTTP));
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
}

bool AskCancelled(const TFetchControl &control)
{
    return control.IsCancelled && control.IsCancelled();
}

// One transfer of easy on multi. The request goes out when it is made; Complete runs it
// to its end, letting events run and watching Cancel and the limits between slices.
// Destroyed unfinished, it abandons the transfer.
class TRunningTransfer
{
public:
    TRunningTransfer(CURLM *multi, CURL *easy, bool ownsEasy, const QString &url,
                     const TFetchControl &control)
        : FMulti(multi), FEasy(easy), FOwnsEasy(ownsEasy), FUrl(UrlBytes(url))
    {
        SetCommonOptions(FEasy, FTransfer, FErrorBuffer, control);
        curl_easy_setopt(FEasy, CURLOPT_URL, FUrl.constData());
        FTransfer.Clock.start();
        curl_multi_add_handle(FMulti, FEasy);
        FAdded = true;
        int running = 0;
        curl_multi_perform(FMulti, &running);
    }
    ~TRunningTransfer()
    {
        if (FAdded)
            curl_multi_remove_handle(FMulti, FEasy);
        if (FOwnsEasy) {
            curl_easy_cleanup(FEasy);
        } else {
            // The client's handle outlives this object.
            curl_easy_setopt(FEasy, CURLOPT_ERRORBUFFER, nullptr);
            curl_easy_setopt(FEasy, CURLOPT_WRITEDATA, nullptr);
            curl_easy_setopt(FEasy, CURLOPT_HEADERDATA, nullptr);
        }
    }
    TRunningTransfer(const TRunningTransfer &) = delete;
    TRunningTransfer &operator=(const TRunningTransfer &) = delete;

    TTransfer Complete(const TFetchControl &control)
    {
        TTransfer &transfer = FTransfer;
        bool cancelled = false;
        bool waited = false;
        for (;;) {
            // Asked first too, so that Cancel pressed before the answer came is honoured
            // however fast the answer then is.
            if (AskCancelled(control)) {
                cancelled = true;
                break;
            }
            int running = 0;
            if (curl_multi_perform(FMulti, &running) != CURLM_OK) {
                transfer.Result = CURLE_FAILED_INIT;
                break;
            }
            int queued = 0;
            bool done = false;
            while (CURLMsg *message = curl_multi_info_read(FMulti, &queued)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == FEasy) {
                    transfer.Result = message->data.result;
                    done = true;
                }
            }
            if (done)
                break;
            if (!waited && control.Idle) {
                waited = true;
                control.Idle();
            }
            curl_multi_poll(FMulti, nullptr, 0, PollSliceMs, nullptr);
            if (control.ProcessEvents)
                control.ProcessEvents();
            if (transfer.Clock.elapsed() - transfer.LastActivityMs > control.StallTimeoutMs) {
                transfer.Stalled = true;
                break;
            }
            if (transfer.Clock.elapsed() > control.TotalTimeoutMs) {
                transfer.TimedOut = true;
                break;
            }
        }
        curl_easy_getinfo(FEasy, CURLINFO_RESPONSE_CODE, &transfer.Status);
        char *redirect = nullptr;
        if (curl_easy_getinfo(FEasy, CURLINFO_REDIRECT_URL, &redirect) == CURLE_OK && redirect)
            transfer.RedirectUrl = QString::fromUtf8(redirect);
        curl_multi_remove_handle(FMulti, FEasy);
        FAdded = false;
        transfer.CurlError = QByteArray(FErrorBuffer);
        if (cancelled)
            throw EFetchCancelled();
        return std::move(transfer);
    }

private:
    CURLM *FMulti;
    CURL *FEasy;
    bool FOwnsEasy;
    bool FAdded = false;
    QByteArray FUrl;
    TTransfer FTransfer;
    char FErrorBuffer[CURL_ERROR_SIZE] = {};
};

TTransfer Perform(CURLM *multi, CURL *easy, const QString &url, const TFetchControl &control)
{
    return TRunningTransfer(multi, easy, false, url, control).Complete(control);
}

// A handle of the direct fetch: the process's cookies and connections, the control's
// proxy, redirects followed.
CURL *NewDirectHandle(const TFetchControl &control)
{
    TDirectState &state = TDirectState::Get();
    CURL *easy = curl_easy_init();
    if (!easy)
        throw EVarnokiError(QStringLiteral("通信ライブラリを初期化できません。"));
    curl_easy_setopt(easy, CURLOPT_SHARE, state.Share);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, UserAgent);
    SetProxyOptions(easy, control.ProxyServer, control.ProxyPort, control.SystemProxy);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, MaxRedirects);
    return easy;
}

std::unique_ptr<TRunningTransfer> StartDirect(const QString &url, const TFetchControl &control)
{
    return std::make_unique<TRunningTransfer>(TDirectState::Get().Multi, NewDirectHandle(control),
                                              true, url, control);
}

QString HttpStatusMessage(const TTransfer &transfer)
{
    const QString statusLine = transfer.StatusLine.isEmpty()
                                   ? QStringLiteral("HTTP ") % QString::number(transfer.Status)
                                   : QString::fromLatin1(transfer.StatusLine);
    QString message = QStringLiteral("HTTP エラー: ") % statusLine;
    if (!transfer.RedirectUrl.isEmpty())
        message += QStringLiteral("（転送先: ") % transfer.RedirectUrl % QStringLiteral("）");
    return message;
}

bool IsSuccess(long status)
{
    return status >= 200 && status < 300;
}

QString NetworkErrorMessage(const TTransfer &transfer, const TFetchControl &control)
{
    if (transfer.Stalled) {
        return QStringLiteral("通信エラー: ")
               % QString::number((control.StallTimeoutMs + 999) / 1000)
               % QStringLiteral(" 秒間データが届きませんでした。");
    }
    if (transfer.TimedOut) {
        return QStringLiteral("通信エラー: ")
               % QString::number((control.TotalTimeoutMs + 999) / 1000)
               % QStringLiteral(" 秒以内にページを読み終えられませんでした。");
    }
    if (transfer.TooLarge || transfer.Result == CURLE_FILESIZE_EXCEEDED) {
        return QStringLiteral("通信エラー: ページが大きすぎます (")
               % QString::number(double(control.MaxBodyBytes) / (1024 * 1024), 'g', 3)
               % QStringLiteral(" MiB を超えました)。");
    }
    // Through a proxy every connection is one to the proxy, so a failure to connect
    // is the proxy's: saying the blog's server is down would send the user the wrong way.
    const bool proxied = !control.ProxyServer.isEmpty();
    const QString proxy = control.ProxyServer
                          % (control.ProxyPort > 0 ? QLatin1Char(':') + QString::number(control.ProxyPort) : QString());
    QString what;
    switch (transfer.Result) {
    case CURLE_COULDNT_RESOLVE_HOST:
        what = QStringLiteral("ホスト名を解決できません。URL のホスト名が正しいか、ネットワークにつながっているか確かめてください。");
        break;
    case CURLE_COULDNT_RESOLVE_PROXY:
        what = QStringLiteral("プロキシ %1 のホスト名を解決できません。全般設定のプロキシを確かめてください。").arg(proxy);
        break;
    case CURLE_COULDNT_CONNECT:
        what = proxied ? QStringLiteral("プロキシ %1 に接続できません。全般設定のプロキシを確かめてください。").arg(proxy)
                       : QStringLiteral("サーバーに接続できません。");
        break;
    case CURLE_PROXY:
        what = QStringLiteral("プロキシ %1 との通信に失敗しました。").arg(proxy);
        break;
    case CURLE_OPERATION_TIMEDOUT:
        what = QStringLiteral("時間切れになりました。");
        break;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        what = QStringLiteral("URL が正しくありません。");
        break;
    case CURLE_PEER_FAILED_VERIFICATION:
        what = QStringLiteral("サーバーの証明書を確かめられないため、安全な接続 (TLS) を確立できません。");
        break;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ISSUER_ERROR:
        what = QStringLiteral("安全な接続 (TLS) を確立できません。");
        break;
    case CURLE_TOO_MANY_REDIRECTS:
        what = QStringLiteral("転送が多すぎます。");
        break;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        what = QStringLiteral("通信が途中で切れました。");
        break;
    default:
        what = QStringLiteral("通信に失敗しました。");
        break;
    }
    const QByteArray detail = transfer.CurlError.isEmpty()
                                  ? QByteArray(curl_easy_strerror(transfer.Result))
                                  : transfer.CurlError;
    return QStringLiteral("通信エラー: ") % what % QStringLiteral(" (")
           % QString::fromUtf8(detail) % QStringLiteral(")");
}

// Milliseconds that a 429 or 503 answer asks us to wait, capped; -1 when the answer
// carries no usable Retry-After.
qint64 RetryAfterMs(const TTransfer &transfer)
{
    if (transfer.Failed() || (transfer.Status != 429 && transfer.Status != 503))
        return -1;
    const QByteArray value = transfer.Header("Retry-After");
    if (value.isEmpty())
        return -1;
    bool isNumber = !value.isEmpty();
    for (const char c : value)
        isNumber = isNumber && c >= '0' && c <= '9';
    if (isNumber) {
        if (value.size() > 9)
            return MaxRetryAfterMs;
        return std::min(value.toLongLong() * 1000, MaxRetryAfterMs);
    }
    QDateTime when = QLocale::c().toDateTime(QString::fromLatin1(value),
                                              QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
    if (!when.isValid())
        return -1;
    when.setTimeZone(QTimeZone::utc());
    return std::clamp(QDateTime::currentDateTimeUtc().msecsTo(when), qint64(0), MaxRetryAfterMs);
}

void WaitForRetry(qint64 ms, const TFetchControl &control)
{
    if (control.Wait) {
        control.Wait(int(ms));
    } else {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms && !AskCancelled(control)) {
            const qint64 slice = std::min<qint64>(ms - clock.elapsed(), PollSliceMs);
            if (slice > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(slice));
            if (control.ProcessEvents)
                control.ProcessEvents();
        }
    }
    if (AskCancelled(control))
        throw EFetchCancelled();
}

// One page, fetched again (by once) after each Retry-After wait the server asks for.
template <typename PerformOnce>
TTransfer RetryWhenAsked(TTransfer transfer, const QString &url, const TFetchControl &control,
                         PerformOnce once)
{
    for (int waits = 0;; ++waits) {
        const qint64 ms = waits < MaxRetryAfterWaits ? RetryAfterMs(transfer) : -1;
        if (ms < 0)
            return transfer;
        if (control.Log) {
            control.Log(QStringLiteral("Wait: ") % url % QLatin1Char(' ')
                        % QString::fromLatin1(transfer.StatusLine) % QStringLiteral(" ")
                        % QString::number((ms + 999) / 1000)
                        % QStringLiteral(" 秒待ってから取得し直します。"));
        }
        WaitForRetry(ms, control);
        transfer = once();
    }
}

} // namespace

EFetchCancelled::EFetchCancelled()
    : EVarnokiError(QStringLiteral("取得を中止しました。"))
{
}

struct THttpClient::TImpl
{
    CURLM *Multi = nullptr;
    CURL *Easy = nullptr;
    curl_slist *RequestHeaders = nullptr;
};

THttpClient::THttpClient()
    : FImpl(std::make_unique<TImpl>())
{
    InitCurlOnce();
    FImpl->Multi = curl_multi_init();
    FImpl->Easy = curl_easy_init();
    if (!FImpl->Multi || !FImpl->Easy)
        throw EVarnokiError(QStringLiteral("通信ライブラリを初期化できません。"));
    FImpl->RequestHeaders = curl_slist_append(nullptr, ClientAccept);
    curl_easy_setopt(FImpl->Easy, CURLOPT_HTTPHEADER, FImpl->RequestHeaders);
    curl_easy_setopt(FImpl->Easy, CURLOPT_USERAGENT, UserAgent);
    curl_easy_setopt(FImpl->Easy, CURLOPT_FOLLOWLOCATION, 0L);
    SetProxy(QString(), 0);
}

THttpClient::~THttpClient()
{
    curl_easy_cleanup(FImpl->Easy);
    curl_multi_cleanup(FImpl->Multi);
    curl_slist_free_all(FImpl->RequestHeaders);
}

void THttpClient::SetProxy(const QString &server, int port, bool systemProxy)
{
    SetProxyOptions(FImpl->Easy, server, port, systemProxy);
}

QByteArray THttpClient::Get(const QString &url, const TFetchControl &control)
{
    auto once = [&] { return Perform(FImpl->Multi, FImpl->Easy, url, control); };
    const TTransfer transfer = RetryWhenAsked(once(), url, control, once);
    if (transfer.Failed())
        throw EVarnokiError(NetworkErrorMessage(transfer, control));
    if (!IsSuccess(transfer.Status))
        throw EVarnokiError(HttpStatusMessage(transfer));
    return transfer.Body;
}

struct TDirectFetch::TImpl
{
    QString Url;
    TFetchControl Control;
    std::unique_ptr<TRunningTransfer> First;
};

TDirectFetch::TDirectFetch(const QString &url, const TFetchControl &control)
    : FImpl(std::make_unique<TImpl>())
{
    FImpl->Url = url;
    FImpl->Control = control;
    FImpl->First = StartDirect(url, control);
}

TDirectFetch::~TDirectFetch() = default;
TDirectFetch::TDirectFetch(TDirectFetch &&) noexcept = default;
TDirectFetch &TDirectFetch::operator=(TDirectFetch &&) noexcept = default;

QByteArray TDirectFetch::Finish(TFetchOutcome *outcome)
{
    const QString &url = FImpl->Url;
    const TFetchControl &control = FImpl->Control;
    if (!FImpl->First)
        throw EVarnokiError(QStringLiteral("取得はすでに終わっています: ") + url);
    TTransfer first = FImpl->First->Complete(control);
    FImpl->First.reset();
    const TTransfer transfer = RetryWhenAsked(std::move(first), url, control, [&] {
        return StartDirect(url, control)->Complete(control);
    });
    if (outcome) {
        outcome->NetworkError = transfer.Failed() ? NetworkErrorMessage(transfer, control) : QString();
        outcome->Status = transfer.Status;
        outcome->HttpError = IsSuccess(transfer.Status) ? QString() : HttpStatusMessage(transfer);
        outcome->Headers = transfer.Headers;
    }
    return transfer.Body;
}

QByteArray FetchPageBytesDirect(const QString &url, const TFetchControl &control,
                                TFetchOutcome *outcome)
{
    return TDirectFetch(url, control).Finish(outcome);
}

QString FetchPageDirect(const QString &url, TCodePageId codePage, const TFetchControl &control,
                        TFetchOutcome *outcome)
{
    return DecodePage(FetchPageBytesDirect(url, control, outcome), codePage);
}

QString TFetchOutcome::Problem() const
{
    return NetworkError.isEmpty() ? HttpError : NetworkError;
}

QByteArray TFetchOutcome::Header(const QByteArray &name) const
{
    return HeaderValue(Headers, name);
}

QString FetchPage(THttpClient &client, const QString &url, TCodePageId codePage,
                  const TFetchControl &control)
{
    return DecodePage(client.Get(url, control), codePage);
}

QString DecodePage(const QByteArray &bytes, TCodePageId codePage)
{
    return codePage == NoCodePage ? DetectAndConvertToUnicode(bytes)
                                  : ConvertToUnicode(bytes, codePage);
}
