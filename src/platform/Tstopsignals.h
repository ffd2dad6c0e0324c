#pragma once

#include <csignal>

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
