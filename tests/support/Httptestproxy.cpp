#include "Httptestproxy.h"

#include <QUrl>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool IsHopByHop(const QByteArray &name)
{
    for (const char *hop : {"Connection", "Proxy-Connection", "Keep-Alive", "Content-Length",
                            "Transfer-Encoding"}) {
        if (name.compare(hop, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Sends request to host:port and reads the answer up to the closed connection.
std::optional<QByteArray> Exchange(const QString &host, quint16 port, const QByteArray &request)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    const QByteArray hostBytes =
        host == QLatin1String("localhost") ? QByteArray("127.0.0.1") : host.toLatin1();
    if (::inet_pton(AF_INET, hostBytes.constData(), &address.sin_addr) != 1)
        return std::nullopt;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::optional<QByteArray> answer;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL) == request.size()) {
        answer = QByteArray();
        char buffer[8192];
        ssize_t got;
        while ((got = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
            answer->append(buffer, got);
    }
    ::close(fd);
    return answer;
}

THttpTestResponse Forward(const THttpTestRequest &request)
{
    const QUrl url(QString::fromUtf8(request.Target));
    if (request.Method != "GET" || url.scheme() != QLatin1String("http"))
        return THttpTestResponse::WithStatus(501, "only GET of http URLs");

    // The path goes on byte for byte, as the client wrote it.
    const qsizetype pathStart = request.Target.indexOf('/', request.Target.indexOf("://") + 3);
    const QByteArray path = pathStart < 0 ? QByteArray("/") : request.Target.mid(pathStart);
    QByteArray upstream = "GET " + path + " HTTP/1.1\r\n";
    for (const auto &[name, value] : request.Headers) {
        if (!IsHopByHop(name))
            upstream += name + ": " + value + "\r\n";
    }
    upstream += "Connection: close\r\n\r\n";

    const std::optional<QByteArray> answer =
        Exchange(url.host(), quint16(url.port(80)), upstream);
    const qsizetype headEnd = answer ? answer->indexOf("\r\n\r\n") : -1;
    if (headEnd < 0)
        return THttpTestResponse::WithStatus(502, "upstream unreachable");

    const QList<QByteArray> lines = answer->left(headEnd).split('\n');
    const QByteArray statusLine = lines.first().trimmed();
    const qsizetype codeStart = statusLine.indexOf(' ') + 1;
    const qsizetype codeEnd = statusLine.indexOf(' ', codeStart);
    THttpTestResponse response;
    response.Status = statusLine.mid(codeStart, codeEnd < 0 ? -1 : codeEnd - codeStart).toInt();
    response.Reason = codeEnd < 0 ? QByteArray() : statusLine.mid(codeEnd + 1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && !IsHopByHop(line.left(colon).trimmed()))
            response.Header(line.left(colon).trimmed(), line.mid(colon + 1).trimmed());
    }
    response.Body = answer->mid(headEnd + 4);
    return response;
}

} // namespace

THttpTestProxy::THttpTestProxy()
{
    FServer.SetHandler([](const THttpTestRequest &request) { return Forward(request); });
}

quint16 THttpTestProxy::Port() const
{
    return FServer.Port();
}

QList<THttpTestRequest> THttpTestProxy::Requests() const
{
    return FServer.Requests();
}
