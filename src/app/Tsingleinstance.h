#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

// Lets a second start of the program hand a project that a running window already
// has open to that window, which comes forward, instead of opening a window that
// could not change the project. Every running window listens on a local socket of
// its own in the user's private runtime folder, where nobody else can connect.
class TSingleInstance : public QObject
{
    Q_OBJECT

public:
    // hasOpen: whether this window has the project file (an absolute path) open;
    // bringForward: shows the window in front.
    TSingleInstance(std::function<bool(const QString &)> hasOpen, std::function<void()> bringForward,
                    QObject *parent = nullptr);
    ~TSingleInstance() override;

    // Asks the running windows of this user whether one has fileName open; that one
    // comes forward and true is returned. Waits at most a few seconds.
    static bool ShowInRunningWindow(const QString &fileName);

    // The folder of the sockets.
    static QString SocketFolder();

private:
    void Answer();

    std::function<bool(const QString &)> FHasOpen;
    std::function<void()> FBringForward;
    QLocalServer *FServer = nullptr;
};

// Whether two names stand for the same file (links resolved); false for an empty name.
bool SameProjectFile(const QString &a, const QString &b);
