#pragma once

#include "retrieval/Tdownloadhost.h"

#include <QList>
#include <QStringList>

#include <functional>

// A download host for tests: keeps the log, the URLs shown and the waits asked for
// (without waiting), and answers Cancel when the test's predicate says so.
class TRecordingHost : public TDownloadHost
{
public:
    void AddLog(const QString &line) override { Log << line; }
    void ShowUrl(const QString &url) override { Urls << url; }
    void ProcessMessages() override { ++EventRuns; }
    void Wait(int milliseconds) override { Waits << milliseconds; }
    bool IsCancelled() override { return CancelWhen && CancelWhen(*this); }
    void SetCategoryProgress(int position, int maximum) override
    {
        CategoryProgress << qMakePair(position, maximum);
    }

    bool ConfirmReplaceEntries(const QString &question) override
    {
        Questions << question;
        return ReplaceAnswer;
    }

    QStringList Log;
    QStringList Questions;
    bool ReplaceAnswer = false;
    QStringList Urls;
    QList<int> Waits;
    QList<QPair<int, int>> CategoryProgress;
    int EventRuns = 0;
    std::function<bool(const TRecordingHost &)> CancelWhen;
};
