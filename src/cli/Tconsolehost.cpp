#include "cli/Tconsolehost.h"

#include "cli/Tclicommand.h"
#include "platform/Tstopsignals.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <algorithm>
#include <csignal>
#include <thread>


void HoldStopSignals()
{
    const sigset_t set = StopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void ReleaseStopSignals()
{
    const sigset_t set = StopSignals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
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
    if (!FCancelled) {
        const sigset_t set = StopSignals();
        const timespec noWait = {0, 0};
        if (sigtimedwait(&set, nullptr, &noWait) > 0) {
            FCancelled = true;
            // Only this thread takes the signals from now on, with their default action.
            ReleaseStopSignals();
        }
    }
    return FCancelled;
}

bool TConsoleHost::ConfirmReplaceEntries(const QString &question)
{
    Q_UNUSED(question);
    if (!FAllowShrink)
        PrintErr(QStringLiteral("少ないエントリーで一覧を置き換えるには --allow-shrink を付けてください。"));
    return FAllowShrink;
}
