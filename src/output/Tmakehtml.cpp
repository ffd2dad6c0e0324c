#include "output/Tmakehtml.h"

#include "output/Thtmldb.h"
#include "output/Ttemplatemanager.h"
#include "platform/Tappdirs.h"
#include "platform/Tinifile.h"
#include "platform/Tstopsignals.h"
#include "platform/Varnokierror.h"
#include "store/Tworkingcopy.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <chrono>
#include <thread>

#include <signal.h>
#include <unistd.h>

namespace {
// What is kept of the program's standard error for the message.
constexpr qsizetype MaxErrorBytes = 8 * 1024;
// How long a program and its children get to end on SIGTERM before SIGKILL.
constexpr int TerminateGraceMs = 3000;

// Whether a process of the group is still alive (a zombie has ended; it is not ours to
// reap), read from /proc, so that a child just ending is not taken for one left behind.
bool GroupIsAlive(pid_t group)
{
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids) {
        if (!pid.front().isDigit())
            continue;
        QFile file(QStringLiteral("/proc/") + pid + QStringLiteral("/stat"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid pgrp ...": the name may hold anything but the last ')'.
        const QByteArray stat = file.read(512);
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[2].toLongLong() == group && fields[0] != "Z" && fields[0] != "X")
            return true;
    }
    return false;
}

QString CannotStart(const QString &program)
{
    return QStringLiteral("テンプレートのプログラムを起動できませんでした: %1")
        .arg(QDir::toNativeSeparators(program));
}

// The template's program; raises when it lies outside the template's folder and the
// shipped programs' folder ("../" in exe=, or a link out of the folder).
QString ProgramOf(const THtmlTemplate &htmlTemplate)
{
    const QString program = htmlTemplate.GetExePath();
    if (QFileInfo(program).isFile()
        && !ResolvesInside(program, DefinitionFolders(htmlTemplate.GetPath()) << GetTemplateProgramDir()))
        throw EVarnokiError(QStringLiteral("テンプレートのプログラムがテンプレートのフォルダーの外にあるため、起動しません: %1")
                                .arg(QDir::toNativeSeparators(program)));
    return program;
}
} // namespace

TTemplateRun::TTemplateRun(const QString &program, const QString &outputDbPath,
                           const QString &htmlPath, bool forwardOutput)
    : FProgram(program), FOutputDbPath(outputDbPath), FHtmlPath(htmlPath),
      FProcess(std::make_unique<QProcess>())
{
    FProcess->setProgram(program);
    // No shell is involved, so every path arrives as one argument whatever it holds.
    FProcess->setArguments({outputDbPath, htmlPath, program});
    FProcess->setWorkingDirectory(QFileInfo(program).absolutePath());
    FProcess->setProcessChannelMode(forwardOutput ? QProcess::ForwardedChannels
                                                  : QProcess::ForwardedOutputChannel);
    QObject::connect(FProcess.get(), &QProcess::readyReadStandardError, [this] {
        const QByteArray more = FProcess->readAllStandardError();
        FErrors += more.left(std::max<qsizetype>(0, MaxErrorBytes - FErrors.size()));
    });
    // A group of its own, so that whatever it starts can be ended with it.
    FProcess->setChildProcessModifier([] {
        ::setpgid(0, 0);
        // The window and varnoki-cli hold these signals for themselves; the program
        // must be free to end on them.
        const sigset_t set = StopSignals();
        ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    });
    QObject::connect(FProcess.get(), &QProcess::finished, [this](int exitCode, QProcess::ExitStatus status) {
        FExitCode = exitCode;
        FCrashed = status != QProcess::NormalExit;
        Finish();
    });
}

TTemplateRun::~TTemplateRun()
{
    if (IsRunning())
        EndGroup();
    QObject::disconnect(FProcess.get(), nullptr, nullptr, nullptr);
    QFile::remove(FOutputDbPath);
}

void TTemplateRun::Start()
{
    if (!QFileInfo(FProgram).isFile())
        throw EVarnokiError(CannotStart(FProgram));
    FProcess->start();
    if (!FProcess->waitForStarted(-1))
        throw EVarnokiError(CannotStart(FProgram));
    FGroup = pid_t(FProcess->processId());
}

void TTemplateRun::EndGroup()
{
    if (FGroup <= 0)
        return;
    FEnding = true;
    ::kill(-FGroup, SIGTERM);
    const QDeadlineTimer grace(TerminateGraceMs);
    if (IsRunning())
        FProcess->waitForFinished(int(qMax<qint64>(1, grace.remainingTime())));
    while (GroupIsAlive(FGroup) && !grace.hasExpired())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (GroupIsAlive(FGroup) || IsRunning())
        ::kill(-FGroup, SIGKILL);
    if (IsRunning())
        FProcess->waitForFinished(TerminateGraceMs);
    // Gone: its number may be another group's from now on.
    FGroup = 0;
}

bool TTemplateRun::Wait(int timeoutMs, const std::function<bool()> &cancelled)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (IsRunning()) {
        if (deadline.hasExpired() || (cancelled && cancelled())) {
            EndGroup();
            return false;
        }
        FProcess->waitForFinished(50);
        QCoreApplication::processEvents();
    }
    return true;
}

bool TTemplateRun::IsRunning() const
{
    return FProcess->state() != QProcess::NotRunning;
}

bool TTemplateRun::Succeeded() const
{
    return FFinished && !FCrashed && FExitCode == 0 && !FLeftChildren;
}

int TTemplateRun::ExitCode() const
{
    return FExitCode;
}

QString TTemplateRun::Failure() const
{
    if (Succeeded())
        return QString();
    const QString program = QDir::toNativeSeparators(FProgram);
    QString message = FLeftChildren
                          ? QStringLiteral("テンプレートのプログラムが終了後も子プロセスを残していたため、それらを終了させました: %1").arg(program)
                      : FCrashed || !FFinished
                          ? QStringLiteral("テンプレートのプログラムが異常終了しました: %1").arg(program)
                          : QStringLiteral("テンプレートのプログラムが終了コード %1 で終わりました: %2")
                                .arg(FExitCode)
                                .arg(program);
    const QString errors = QString::fromLocal8Bit(FErrors).trimmed();
    if (!errors.isEmpty())
        message += QLatin1Char('\n') + errors;
    return message;
}

void TTemplateRun::Finish()
{
    if (FFinished)
        return;
    FFinished = true;
    FErrors += FProcess->readAllStandardError().left(std::max<qsizetype>(0, MaxErrorBytes - FErrors.size()));
    // What it started and left running would outlive every run: it is ended, and the
    // run failed, since its page may be left unfinished.
    if (!FEnding && FGroup > 0 && GroupIsAlive(FGroup)) {
        FLeftChildren = true;
        EndGroup();
    }
    QFile::remove(FOutputDbPath);
    if (OnFinished)
        OnFinished();
}

std::unique_ptr<TTemplateRun> MakeHtml(TLdbDb &db, const QString &emptyDbPath,
                                       const QStringList &configLines,
                                       const THtmlTemplate &htmlTemplate, const QString &htmlPath,
                                       bool forwardOutput)
{
    const QString program = ProgramOf(htmlTemplate);
    const QString outputDbPath = CreateHtmlDb(db, emptyDbPath, configLines);
    QCoreApplication::processEvents();
    auto run = std::make_unique<TTemplateRun>(program, outputDbPath, htmlPath,
                                              forwardOutput);
    run->Start(); // on failure the run's end removes the output database
    return run;
}

void MakeHtmlDetached(TLdbDb &db, const QString &emptyDbPath, const QStringList &configLines,
                      const THtmlTemplate &htmlTemplate, const QString &htmlPath)
{
    const QString program = ProgramOf(htmlTemplate);
    const QString outputDbPath = CreateHtmlDb(db, emptyDbPath, configLines);
    qint64 pid = 0;
    // The signals the caller holds are let through while the program starts (a
    // detached start takes no child modifier).
    bool started = false;
    StartWithStopSignalsOpen([&] {
        started = QFileInfo(program).isFile()
                  && QProcess::startDetached(program, {outputDbPath, htmlPath, program},
                                             QFileInfo(program).absolutePath(), &pid);
    });
    if (!started) {
        QFile::remove(outputDbPath);
        throw EVarnokiError(CannotStart(program));
    }
    // The program is its owner: once it has ended, the next start clears it away.
    WriteWorkingCopyInfo(outputDbPath, QString(), false, pid);
}
