#pragma once

#include "retrieval/Tdownloadhost.h"

// Runs a download job on the console: log lines go to standard output as they come,
// and Ctrl+C (or SIGTERM) asks the job to stop. A second Ctrl+C ends the program.
// Only one host may exist at a time, since it owns the signal handlers.
class TConsoleHost : public TDownloadHost
{
public:
    TConsoleHost();
    ~TConsoleHost() override;
    TConsoleHost(const TConsoleHost &) = delete;
    TConsoleHost &operator=(const TConsoleHost &) = delete;

    void AddLog(const QString &line) override;
    void ShowUrl(const QString &url) override;
    void ProcessMessages() override;
    void Wait(int milliseconds) override;
    bool IsCancelled() override;
};
