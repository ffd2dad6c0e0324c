#include "app/Tsingleinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {
constexpr int WaitMs = 2000;

QString SocketPath()
{
    return TSingleInstance::SocketFolder() + QStringLiteral("/%1.sock").arg(QCoreApplication::applicationPid());
}

// The same file whichever way it was named.
QString Canonical(const QString &fileName)
{
    const QFileInfo info(fileName);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}
} // namespace

QString TSingleInstance::SocketFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/varnoki");
}

TSingleInstance::TSingleInstance(std::function<bool(const QString &)> hasOpen,
                                 std::function<void()> bringForward, QObject *parent)
    : QObject(parent), FHasOpen(std::move(hasOpen)), FBringForward(std::move(bringForward))
{
    if (QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).isEmpty()
        || !QDir().mkpath(SocketFolder()))
        return;
    const QString path = SocketPath();
    // A socket of this process id is left from a process that has ended.
    QLocalServer::removeServer(path);
    FServer = new QLocalServer(this);
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!FServer->listen(path)) {
        delete FServer;
        FServer = nullptr;
        return;
    }
    connect(FServer, &QLocalServer::newConnection, this, &TSingleInstance::Answer);
}

TSingleInstance::~TSingleInstance()
{
    if (FServer)
        FServer->close(); // removes the socket file
}

void TSingleInstance::Answer()
{
    while (QLocalSocket *socket = FServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QString fileName = QString::fromUtf8(socket->readLine()).trimmed();
            const bool open = !fileName.isEmpty() && FHasOpen(fileName);
            socket->write(open ? "1\n" : "0\n");
            socket->flush();
            if (open)
                FBringForward();
        });
    }
}

bool TSingleInstance::ShowInRunningWindow(const QString &fileName)
{
    if (QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).isEmpty())
        return false;
    const QDir folder(SocketFolder());
    const QByteArray request = Canonical(fileName).toUtf8() + '\n';
    for (const QString &name : folder.entryList({QStringLiteral("*.sock")}, QDir::System | QDir::Files)) {
        const QString path = folder.filePath(name);
        QLocalSocket socket;
        socket.connectToServer(path);
        if (!socket.waitForConnected(WaitMs)) {
            // Nobody listens there any more.
            if (socket.error() == QLocalSocket::ConnectionRefusedError)
                QFile::remove(path);
            continue;
        }
        socket.write(request);
        if (!socket.waitForBytesWritten(WaitMs))
            continue;
        while (!socket.canReadLine() && socket.waitForReadyRead(WaitMs)) {
        }
        if (socket.readLine().trimmed() == "1")
            return true;
    }
    return false;
}

bool SameProjectFile(const QString &a, const QString &b)
{
    return !a.isEmpty() && !b.isEmpty() && Canonical(a) == Canonical(b);
}
