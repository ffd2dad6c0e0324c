#include "app/Tquitsignals.h"

#include "app/UnitFormMain.h"
#include "platform/Tstopsignals.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <csignal>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Held signals wait in SignalFd; one that comes while they are let through for a
// child's start is handed on through the pair.
int SignalFd = -1;
int SignalPair[2] = {-1, -1};
QPointer<TFormMain> MainForm;


void OnSignalWhileOpen(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(SignalPair[1], &byte, 1);
}

void Quit(int fd, size_t size)
{
    char buffer[sizeof(signalfd_siginfo)];
    while (::read(fd, buffer, size) == ssize_t(size)) {
    }
    if (MainForm)
        MainForm->KeepWorkAndQuit();
    else
        QCoreApplication::exit(0);
}
} // namespace

void HoldTerminationSignals()
{
    // Held rather than caught: a signal handler interrupting the database engine leaves
    // it spinning for ever when the project is closed afterwards.
    const sigset_t set = StopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void QuitOnTerminationSignals(TFormMain *form)
{
    if (form)
        MainForm = form;
    if (SignalFd >= 0)
        return;
    HoldTerminationSignals();
    const sigset_t set = StopSignals();
    SignalFd = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (SignalFd < 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, SignalPair) != 0)
        return;
    struct sigaction action = {};
    action.sa_handler = OnSignalWhileOpen;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    auto *held = new QSocketNotifier(SignalFd, QSocketNotifier::Read, qApp);
    QObject::connect(held, &QSocketNotifier::activated, qApp, [] { Quit(SignalFd, sizeof(signalfd_siginfo)); });
    auto *caught = new QSocketNotifier(SignalPair[0], QSocketNotifier::Read, qApp);
    QObject::connect(caught, &QSocketNotifier::activated, qApp, [] { Quit(SignalPair[0], 1); });
}
