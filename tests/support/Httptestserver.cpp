#include "Httptestserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

QByteArray ReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 201: return "Created";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 429: return "Too Many Requests";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

QByteArray ContentTypeOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
        return "text/html";
    if (suffix == QLatin1String("txt"))
        return "text/plain";
    if (suffix == QLatin1String("css"))
        return "text/css";
    if (suffix == QLatin1String("js"))
        return "application/javascript";
    return "application/octet-stream";
}

bool SendAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size_t(size), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= sent;
    }
    return true;
}

// Reads up to the blank line that ends the request head.
QByteArray ReadRequestHead(int fd)
{
    QByteArray head;
    char buffer[4096];
    while (!head.contains("\r\n\r\n") && head.size() < 256 * 1024) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        head.append(buffer, got);
    }
    return head;
}

std::optional<THttpTestRequest> ParseRequest(const QByteArray &head)
{
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0)
        return std::nullopt;
    const QList<QByteArray> lines = head.left(end).split('\n');
    THttpTestRequest request;
    request.RequestLine = lines.first().trimmed();
    const QList<QByteArray> parts = request.RequestLine.split(' ');
    if (parts.size() != 3)
        return std::nullopt;
    request.Method = parts[0];
    request.Target = parts[1];
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            request.Headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    return request;
}

QByteArray Serialise(const THttpTestResponse &response, bool keepAlive)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(response.Status) + ' '
                     + (response.Reason.isEmpty() ? ReasonPhrase(response.Status) : response.Reason)
                     + "\r\n";
    bool hasLength = false;
    for (const auto &[name, value] : response.Headers) {
        hasLength = hasLength || name.compare("Content-Length", Qt::CaseInsensitive) == 0;
        out += name + ": " + value + "\r\n";
    }
    if (!hasLength && !response.Endless)
        out += "Content-Length: " + QByteArray::number(response.Body.size()) + "\r\n";
    out += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    if (response.TrickleMs <= 0 && !response.Endless)
        out += response.Body;
    return out;
}

} // namespace

THttpTestResponse &THttpTestResponse::Header(const QByteArray &name, const QByteArray &value)
{
    Headers.append({name, value});
    return *this;
}

THttpTestResponse THttpTestResponse::Html(const QByteArray &body, const QByteArray &contentType)
{
    THttpTestResponse response;
    response.Body = body;
    response.Header("Content-Type", contentType);
    return response;
}

THttpTestResponse THttpTestResponse::WithStatus(int status, const QByteArray &body)
{
    THttpTestResponse response = Html(body);
    response.Status = status;
    return response;
}

THttpTestResponse THttpTestResponse::Redirect(const QString &location, int status)
{
    THttpTestResponse response = WithStatus(status, "moved");
    response.Header("Location", location.toUtf8());
    return response;
}

THttpTestResponse THttpTestResponse::RetryAfter(int status, const QByteArray &retryAfter)
{
    THttpTestResponse response = WithStatus(status, "busy");
    response.Header("Retry-After", retryAfter);
    return response;
}

THttpTestResponse THttpTestResponse::Stall()
{
    THttpTestResponse response;
    response.StallAfter = 0;
    return response;
}

QByteArray THttpTestRequest::Header(const QByteArray &name) const
{
    for (const auto &[key, value] : Headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

struct THttpTestServer::TImpl
{
    int ListenFd = -1;
    int WakeFds[2] = {-1, -1};
    quint16 Port = 0;
    std::thread Thread;
    std::atomic<bool> Stopping = false;

    mutable std::mutex Mutex;
    std::map<QByteArray, std::pair<QList<THttpTestResponse>, int>> Routes;
    THandler Handler;
    QString Folder;
    QList<THttpTestRequest> Requests;
    std::vector<int> Stalled;
    bool KeepAlive = false;
    int Connections = 0;
    // Connections kept open between the requests of a keep-alive client.
    std::vector<int> Open;

    void Run()
    {
        for (;;) {
            std::vector<pollfd> fds = {{ListenFd, POLLIN, 0}, {WakeFds[0], POLLIN, 0}};
            for (const int fd : Open)
                fds.push_back({fd, POLLIN, 0});
            if (::poll(fds.data(), nfds_t(fds.size()), -1) < 0)
                continue;
            if (Stopping) {
                for (const int fd : Open)
                    ::close(fd);
                return;
            }
            for (size_t i = 2; i < fds.size(); ++i) {
                if (fds[i].revents == 0)
                    continue;
                std::erase(Open, fds[i].fd);
                Serve(fds[i].fd);
            }
            if (fds[0].revents & POLLIN) {
                const int client = ::accept(ListenFd, nullptr, nullptr);
                if (client >= 0) {
                    {
                        std::lock_guard lock(Mutex);
                        ++Connections;
                    }
                    // A client that never finishes its request must not block the server for good.
                    timeval timeout{5, 0};
                    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
                    Serve(client);
                }
            }
        }
    }

    void Serve(int client)
    {
        const QByteArray head = ReadRequestHead(client);
        if (head.isEmpty()) { // the client closed a kept connection
            ::close(client);
            return;
        }
        const std::optional<THttpTestRequest> request = ParseRequest(head);
        THttpTestResponse response;
        bool keepAlive = false;
        if (!request) {
            response = THttpTestResponse::WithStatus(400, "bad request");
        } else {
            {
                std::lock_guard lock(Mutex);
                Requests.append(*request);
                keepAlive = KeepAlive;
            }
            response = Answer(*request);
        }
        keepAlive = keepAlive && response.StallAfter < 0 && !response.Endless;
        const QByteArray bytes = Serialise(response, keepAlive);
        if (response.StallAfter >= 0) {
            SendAll(client, bytes.constData(), std::min<qsizetype>(response.StallAfter, bytes.size()));
            std::lock_guard lock(Mutex);
            Stalled.push_back(client);
            return;
        }
        bool sent = SendAll(client, bytes.constData(), bytes.size());
        if (sent && response.TrickleMs > 0) {
            for (qsizetype i = 0; sent && i < response.Body.size() && !Stopping; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(response.TrickleMs));
                sent = SendAll(client, response.Body.constData() + i, 1);
            }
        }
        // Ends when the client gives up and the send fails.
        while (sent && response.Endless && !Stopping && !response.Body.isEmpty())
            sent = SendAll(client, response.Body.constData(), response.Body.size());
        if (sent && keepAlive) {
            Open.push_back(client);
            return;
        }
        ::shutdown(client, SHUT_WR);
        ::close(client);
    }

    THttpTestResponse Answer(const THttpTestRequest &request)
    {
        THandler handler;
        QString folder;
        {
            std::lock_guard lock(Mutex);
            const auto route = Routes.find(request.Target);
            if (route != Routes.end()) {
                auto &[responses, next] = route->second;
                const THttpTestResponse response = responses.at(std::min<qsizetype>(next, responses.size() - 1));
                ++next;
                return response;
            }
            handler = Handler;
            folder = Folder;
        }
        if (handler) {
            if (std::optional<THttpTestResponse> response = handler(request))
                return *response;
        }
        if (!folder.isEmpty() && request.Method == "GET") {
            if (std::optional<THttpTestResponse> response = FromFolder(folder, request.Target))
                return *response;
        }
        return THttpTestResponse::WithStatus(404, "<html><body>Not Found</body></html>");
    }

    static std::optional<THttpTestResponse> FromFolder(const QString &folder, const QByteArray &target)
    {
        QByteArray path = target.left(target.indexOf('?') < 0 ? target.size() : target.indexOf('?'));
        path = QByteArray::fromPercentEncoding(path);
        if (!path.startsWith('/') || path.split('/').contains(".."))
            return std::nullopt;
        if (path.endsWith('/'))
            path += "index.html";
        QFile file(folder + QString::fromUtf8(path));
        if (QFileInfo(file).isDir() || !file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return THttpTestResponse::Html(file.readAll(), ContentTypeOf(file.fileName()));
    }
};

THttpTestServer::THttpTestServer()
    : FImpl(std::make_unique<TImpl>())
{
    TImpl &d = *FImpl;
    d.ListenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (d.ListenFd < 0 || ::bind(d.ListenFd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(d.ListenFd, 64) != 0
        || ::getsockname(d.ListenFd, reinterpret_cast<sockaddr *>(&address), &length) != 0
        || ::pipe2(d.WakeFds, O_CLOEXEC) != 0) {
        throw std::runtime_error("test HTTP server: cannot listen on 127.0.0.1");
    }
    d.Port = ntohs(address.sin_port);
    d.Thread = std::thread([&d] { d.Run(); });
}

THttpTestServer::~THttpTestServer()
{
    FImpl->Stopping = true;
    const char wake = 1;
    [[maybe_unused]] const ssize_t written = ::write(FImpl->WakeFds[1], &wake, 1);
    FImpl->Thread.join();
    ReleaseStalled();
    ::close(FImpl->ListenFd);
    ::close(FImpl->WakeFds[0]);
    ::close(FImpl->WakeFds[1]);
}

quint16 THttpTestServer::Port() const
{
    return FImpl->Port;
}

QString THttpTestServer::Url(const QString &target) const
{
    return QStringLiteral("http://127.0.0.1:") + QString::number(FImpl->Port) + target;
}

void THttpTestServer::SetRoute(const QByteArray &target, const THttpTestResponse &response)
{
    SetRouteSequence(target, {response});
}

void THttpTestServer::SetRouteSequence(const QByteArray &target, const QList<THttpTestResponse> &responses)
{
    if (responses.isEmpty())
        throw std::invalid_argument("test HTTP server: a route needs an answer");
    std::lock_guard lock(FImpl->Mutex);
    FImpl->Routes[target] = {responses, 0};
}

void THttpTestServer::SetHandler(const THandler &handler)
{
    std::lock_guard lock(FImpl->Mutex);
    FImpl->Handler = handler;
}

void THttpTestServer::SetKeepAlive(bool keepAlive)
{
    std::lock_guard lock(FImpl->Mutex);
    FImpl->KeepAlive = keepAlive;
}

int THttpTestServer::ConnectionCount() const
{
    std::lock_guard lock(FImpl->Mutex);
    return FImpl->Connections;
}

void THttpTestServer::ServeFolder(const QString &folder)
{
    std::lock_guard lock(FImpl->Mutex);
    FImpl->Folder = QDir::cleanPath(folder);
}

QList<THttpTestRequest> THttpTestServer::Requests() const
{
    std::lock_guard lock(FImpl->Mutex);
    return FImpl->Requests;
}

int THttpTestServer::RequestCount(const QByteArray &target) const
{
    std::lock_guard lock(FImpl->Mutex);
    int count = 0;
    for (const THttpTestRequest &request : FImpl->Requests)
        count += request.Target == target ? 1 : 0;
    return count;
}

void THttpTestServer::ClearRequests()
{
    std::lock_guard lock(FImpl->Mutex);
    FImpl->Requests.clear();
}

void THttpTestServer::ReleaseStalled()
{
    std::lock_guard lock(FImpl->Mutex);
    for (const int fd : FImpl->Stalled)
        ::close(fd);
    FImpl->Stalled.clear();
}
