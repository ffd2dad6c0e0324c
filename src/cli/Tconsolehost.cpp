#include "cli/Tconsolehost.h"

#include "cli/Tclicommands.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <algorithm>
#include <csignal>
#include <thread>

namespace {
volatile std::sig_atomic_t Interrupted = 0;

struct sigaction OldInt;
struct sigaction OldTerm;

void OnInterrupt(int)
{
    Interrupted = 1;
}
} // namespace

TConsoleHost::TConsoleHost()
{
    Interrupted = 0;
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the first signal asks for a clean stop, the next one ends the
    // program with the default action.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, &OldInt);
    sigaction(SIGTERM, &action, &OldTerm);
}

TConsoleHost::~TConsoleHost()
{
    sigaction(SIGINT, &OldInt, nullptr);
    sigaction(SIGTERM, &OldTerm, nullptr);
}

void TConsoleHost::AddLog(const QString &line)
{
    PrintOut(line);
}

void TConsoleHost::ShowUrl(const QString &url)
{
    Q_UNUSED(url);
}

void TConsoleHost::ProcessMessages()
{
    QCoreApplication::processEvents();
}

void TConsoleHost::Wait(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!IsCancelled() && !deadline.hasExpired()) {
        ProcessMessages();
        const qint64 left = deadline.remainingTime();
        std::this_thread::sleep_for(std::chrono::milliseconds(std::clamp<qint64>(left, 0, 50)));
    }
}

bool TConsoleHost::IsCancelled()
{
    return Interrupted != 0;
}
