#pragma once

#include "platform/Varnokierror.h"
#include "retrieval/Tcodepage.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

// What a fetch may ask of the job that runs it. Every callback may be left empty.
struct TFetchControl
{
    // Asked while a transfer or a Retry-After wait is in progress; true aborts the
    // fetch with EFetchCancelled.
    std::function<bool()> IsCancelled;
    // Called every few tens of milliseconds during a transfer so the window stays alive.
    std::function<void()> ProcessEvents;
    // Called once when the answer is not there yet and the fetch has to wait for it.
    std::function<void()> Idle;
    // Receives one line for each Retry-After wait.
    std::function<void(const QString &)> Log;
    // Waits the given milliseconds (the job's own wait). When empty the fetch sleeps in
    // short slices, letting events run and watching IsCancelled.
    std::function<void(int)> Wait;

    int ConnectTimeoutMs = 30000;
    // The transfer fails when no byte arrives for this long.
    int StallTimeoutMs = 60000;
    // ...and when the whole page takes longer than this, however slowly the bytes come.
    int TotalTimeoutMs = 5 * 60 * 1000;
    // The plain HTTP proxy of the direct fetches; an empty server connects directly.
    // (THttpClient is given its own once per run.)
    QString ProxyServer;
    int ProxyPort = 0;
    // Without a server: the proxy of the environment (http_proxy, https_proxy,
    // no_proxy), as the desktop's programs use it, instead of none.
    bool SystemProxy = false;
    // A body larger than this, counted after content decoding, fails the transfer: a
    // small compressed answer must not grow into gigabytes.
    qint64 MaxBodyBytes = 32 * 1024 * 1024;
};

// How a direct fetch ended, beyond its body.
struct TFetchOutcome
{
    // Empty when the transfer completed; otherwise what went wrong, in the program's words.
    QString NetworkError;
    // The final answer's status after redirects (0 when none arrived), and the message
    // naming its status line when that is not 2xx.
    long Status = 0;
    QString HttpError;
    // The final answer's header lines ("Name: value").
    QList<QByteArray> Headers;

    // The value of the named header (case ignored), or empty.
    QByteArray Header(const QByteArray &name) const;

    // Why the body is not a page of the blog: the network error, or the status when it
    // is not 2xx; empty for a good page.
    QString Problem() const;
};

// Raised by both fetches when IsCancelled answered true during the fetch.
class EFetchCancelled : public EVarnokiError
{
public:
    EFetchCancelled();
};

// The HTTP client of a category run: one connection setup kept for the whole run,
// cookies kept between its requests, redirects not followed, a proxy only when set.
class THttpClient
{
public:
    THttpClient();
    ~THttpClient();
    THttpClient(const THttpClient &) = delete;
    THttpClient &operator=(const THttpClient &) = delete;

    // An empty server means a direct connection (the default).
    // systemProxy: with no server, the environment's proxy instead of none.
    void SetProxy(const QString &server, int port, bool systemProxy = false);

    // One GET. Non-2xx answers (redirects included) and network failures raise
    // EVarnokiError naming the status line or the network error.
    QByteArray Get(const QString &url, const TFetchControl &control);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// A direct fetch (below) whose request goes out when it is made, so that the caller can
// do other work until it needs the page. Destroyed unfinished, it abandons the request.
class TDirectFetch
{
public:
    TDirectFetch(const QString &url, const TFetchControl &control);
    ~TDirectFetch();
    TDirectFetch(TDirectFetch &&) noexcept;
    TDirectFetch &operator=(TDirectFetch &&) noexcept;

    // Waits for the page, once; raises only EFetchCancelled.
    QByteArray Finish(TFetchOutcome *outcome = nullptr);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// The entry download's fetch: a handle of its own (through the control's proxy, if any),
// redirects followed, cookies and connections shared by every direct fetch of the
// process. Raises only
// EFetchCancelled: a network failure yields what arrived (usually nothing) and an error
// page yields its body; outcome, when given, says which it was.
QByteArray FetchPageBytesDirect(const QString &url, const TFetchControl &control = {},
                                TFetchOutcome *outcome = nullptr);
QString FetchPageDirect(const QString &url, TCodePageId codePage,
                        const TFetchControl &control = {}, TFetchOutcome *outcome = nullptr);

// The category download's fetch through the run's client.
QString FetchPage(THttpClient &client, const QString &url, TCodePageId codePage,
                  const TFetchControl &control = {});

// NoCodePage detects the encoding from the bytes.
QString DecodePage(const QByteArray &bytes, TCodePageId codePage);
