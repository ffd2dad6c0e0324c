#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <functional>
#include <memory>

class QProcess;
class THtmlTemplate;
class TLdbDb;

// A template's program at work on an exported project. Its end is watched without
// blocking: OnFinished runs when it exits, and the output database, which nobody
// reads after that, is removed then (or when this object goes, ending a program that
// is still running).
class TTemplateRun
{
public:
    // forwardOutput: the program's output goes to this process's own (a console);
    // otherwise what it writes on standard error is kept for the failure message.
    TTemplateRun(const QString &program, const QString &outputDbPath, const QString &htmlPath,
                 bool forwardOutput);
    ~TTemplateRun();
    TTemplateRun(const TTemplateRun &) = delete;
    TTemplateRun &operator=(const TTemplateRun &) = delete;

    // Raises when the program cannot be started.
    void Start();
    // Waits for the end, letting events run; false when it took longer than timeoutMs
    // or cancelled answered true, after which the program has been ended.
    bool Wait(int timeoutMs, const std::function<bool()> &cancelled);

    bool IsRunning() const;
    bool Succeeded() const;
    int ExitCode() const;
    // Why the program failed, with what it printed on standard error; empty on success.
    QString Failure() const;
    QString GetHtmlPath() const { return FHtmlPath; }

    std::function<void()> OnFinished;

private:
    void Finish();
    // Ends the program's process group: SIGTERM, then SIGKILL to what is left after a
    // few seconds.
    void EndGroup();

    QString FProgram;
    QString FOutputDbPath;
    QString FHtmlPath;
    std::unique_ptr<QProcess> FProcess;
    bool FFinished = false;
    bool FCrashed = false;
    // The program's process group (its own process ID) while it may have members.
    pid_t FGroup = 0;
    bool FEnding = false;
    bool FLeftChildren = false;
    int FExitCode = -1;
    QByteArray FErrors;
};

// The make step without its window: exports the project into a fresh output database
// (a copy of emptyDbPath) and starts the template's program on it with the arguments
// output database, HTML file and program path, in the program's folder.
std::unique_ptr<TTemplateRun> MakeHtml(TLdbDb &db, const QString &emptyDbPath,
                                       const QStringList &configLines,
                                       const THtmlTemplate &htmlTemplate, const QString &htmlPath,
                                       bool forwardOutput = false);

// Starts the make step as a process of its own that outlives this one; the output
// database is cleared away after its end by the next start of the program.
void MakeHtmlDetached(TLdbDb &db, const QString &emptyDbPath, const QStringList &configLines,
                      const THtmlTemplate &htmlTemplate, const QString &htmlPath);
