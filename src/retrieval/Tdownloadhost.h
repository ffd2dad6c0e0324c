#pragma once

#include "blogtype/Tblogconfig.h"

#include <QString>

// What a download job needs from the window (or console) that runs it.
class TDownloadHost
{
public:
    virtual ~TDownloadHost() = default;

    // Appends one line to the log.
    virtual void AddLog(const QString &line) = 0;
    // Shows the URL about to be fetched.
    virtual void ShowUrl(const QString &url) = 0;
    // Lets pending window events run (repaint, the Cancel button).
    virtual void ProcessMessages() = 0;
    // Waits about the given time while letting events run; returns early on Cancel.
    virtual void Wait(int milliseconds) = 0;
    // Whether the user asked to stop.
    virtual bool IsCancelled() = 0;
    // Progress: the categories done of all, and the entries of the category (or, for
    // the entry job, those read so far, with a maximum of 0: the end is unknown).
    virtual void SetCategoryProgress(int position, int maximum)
    {
        Q_UNUSED(position);
        Q_UNUSED(maximum);
    }
    virtual void SetEntryProgress(int position, int maximum)
    {
        Q_UNUSED(position);
        Q_UNUSED(maximum);
    }
    // Asks whether a full download that found far fewer entries than the project holds
    // may replace them (question says so); a host that cannot ask keeps them.
    virtual bool ConfirmReplaceEntries(const QString &question)
    {
        Q_UNUSED(question);
        return false;
    }
};

struct TFetchControl;

// The fetch callbacks that route Cancel, event processing, waits and log lines
// through the host, and the proxy when the settings turn it on.
TFetchControl MakeFetchControl(TDownloadHost &host);

// Logs a script's load warning (TScriptController::GetLoadWarning), when there is one.
void LogScriptLoadWarning(TDownloadHost &host, const QString &warning);

