#pragma once

#include "retrieval/Tdownloadhost.h"

#include <QDialog>

class QEventLoop;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

// A modal window that runs one download job as soon as it is on screen, showing the
// URL being fetched and a log. Cancel (also Escape and the close control) asks the job
// to stop; the window closes once the job has noticed and ended.
class TFormDownload : public QDialog, public TDownloadHost
{
    Q_OBJECT

public:
    QLabel *LabelUrl;
    QPlainTextEdit *Memo1;
    QPushButton *BtnCancel;
    QPushButton *BtnClose;
    QPushButton *BtnCopyLog;
    QPushButton *BtnSaveLog;

    bool IsRunning() const { return FRunning; }
    bool IsFinished() const { return FFinished; }

    void AddLog(const QString &line) override;
    void ShowUrl(const QString &url) override;
    void ProcessMessages() override;
    void Wait(int milliseconds) override;
    bool IsCancelled() override { return FCancel; }

    void BtnCancelClick();
    // The log as a whole, to the clipboard or to a text file (UTF-8) the user names.
    void CopyLog();
    void SaveLog();

Q_SIGNALS:
    // The job has ended, whichever way.
    void DownloadFinished();

protected:
    TFormDownload(QWidget *parent, const QString &name, const QString &caption);

    // Runs the whole job; errors it does not log itself propagate.
    virtual void RunJob() = 0;

    QVBoxLayout *FProgressLayout;

    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void RunDownload();

    bool FCancel = false;
    bool FStarted = false;
    bool FRunning = false;
    bool FFinished = false;
    bool FCloseWhenDone = false;
    QEventLoop *FWaitLoop = nullptr;
};
