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
    // Receives one line for each Retry-After wait.
    std::function<void(const QString &)> Log;
    // Waits the given milliseconds (the job's own wait). When empty the fetch sleeps in
    // short slices, letting events run and watching IsCancelled.
    std::function<void(int)> Wait;

    int ConnectTimeoutMs = 30000;
    // The transfer fails when no byte arrives for this long.
    int StallTimeoutMs = 60000;
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
    void SetProxy(const QString &server, int port);

    // One GET. Non-2xx answers (redirects included) and network failures raise
    // EVarnokiError naming the status line or the network error.
    QByteArray Get(const QString &url, const TFetchControl &control);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// The entry download's fetch: a direct connection (never a proxy), redirects followed,
// cookies shared by every direct fetch of the process, the HTTP status not looked at.
// Raises only EFetchCancelled; a network failure yields what arrived (usually nothing)
// and, when networkError is given, a message saying what went wrong (empty on success).
QByteArray FetchPageBytesDirect(const QString &url, const TFetchControl &control = {},
                                QString *networkError = nullptr);
QString FetchPageDirect(const QString &url, TCodePageId codePage,
                        const TFetchControl &control = {}, QString *networkError = nullptr);

// The category download's fetch through the run's client.
QString FetchPage(THttpClient &client, const QString &url, TCodePageId codePage,
                  const TFetchControl &control = {});

// NoCodePage detects the encoding from the bytes.
QString DecodePage(const QByteArray &bytes, TCodePageId codePage);
