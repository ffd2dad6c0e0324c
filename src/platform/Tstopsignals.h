#pragma once

#include <csignal>
#include <functional>

// The signals that end the program the orderly way: Ctrl+C, a kill and a closed
// terminal or a logout. The window and varnoki-cli hold them in every thread and take
// them as a request; the programs they start must be free to end on them.
inline sigset_t StopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, signal);
    return set;
}

// Runs start, which starts another program, with the stop signals let through in this
// thread, so that the program does not inherit them held.
inline void StartWithStopSignalsOpen(const std::function<void()> &start)
{
    const sigset_t set = StopSignals();
    sigset_t old;
    pthread_sigmask(SIG_UNBLOCK, &set, &old);
    start();
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}
