#pragma once

#include "retrieval/Tdownloadhost.h"

// Ctrl+C, SIGTERM and SIGHUP are held back in every thread from the program's start, because a
// signal handler running on a database engine thread can leave the engine hanging.
// A download polls for them (TConsoleHost::IsCancelled); every other command releases
// them at once, so that they end it as usual.
void HoldStopSignals();
void ReleaseStopSignals();

// Runs a download job on the console: log lines go to standard output as they come,
// and Ctrl+C (or SIGTERM) asks the job to stop. A second Ctrl+C ends the program.
class TConsoleHost : public TDownloadHost
{
public:
    void AddLog(const QString &line) override;
    void ShowUrl(const QString &url) override;
    void ProcessMessages() override;
    void Wait(int milliseconds) override;
    bool IsCancelled() override;
    // Nobody can be asked: a shrinking list replaces the held one only when allowed.
    bool ConfirmReplaceEntries(const QString &question) override;
    void SetAllowShrink(bool allow) { FAllowShrink = allow; }

private:
    bool FCancelled = false;
    bool FAllowShrink = false;
};
