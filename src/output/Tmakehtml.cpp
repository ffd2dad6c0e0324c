#include "output/Tmakehtml.h"

#include "output/Thtmldb.h"
#include "output/Ttemplatemanager.h"
#include "platform/Varnokierror.h"
#include "store/Tworkingcopy.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {
// What is kept of the program's standard error for the message.
constexpr qsizetype MaxErrorBytes = 8 * 1024;
constexpr int TerminateGraceMs = 2000;

QString CannotStart(const QString &program)
{
    return QStringLiteral("テンプレートのプログラムを起動できませんでした: %1")
        .arg(QDir::toNativeSeparators(program));
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
    QObject::connect(FProcess.get(), &QProcess::finished, [this](int exitCode, QProcess::ExitStatus status) {
        FExitCode = exitCode;
        FCrashed = status != QProcess::NormalExit;
        Finish();
    });
}

TTemplateRun::~TTemplateRun()
{
    if (IsRunning()) {
        FProcess->terminate();
        if (!FProcess->waitForFinished(TerminateGraceMs))
            FProcess->kill();
        FProcess->waitForFinished(TerminateGraceMs);
    }
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
}

bool TTemplateRun::Wait(int timeoutMs, const std::function<bool()> &cancelled)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (IsRunning()) {
        if (deadline.hasExpired() || (cancelled && cancelled())) {
            FProcess->terminate();
            if (!FProcess->waitForFinished(TerminateGraceMs))
                FProcess->kill();
            FProcess->waitForFinished(TerminateGraceMs);
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
    return FFinished && !FCrashed && FExitCode == 0;
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
    QString message = FCrashed || !FFinished
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
    QFile::remove(FOutputDbPath);
    if (OnFinished)
        OnFinished();
}

std::unique_ptr<TTemplateRun> MakeHtml(TLdbDb &db, const QString &emptyDbPath,
                                       const QStringList &configLines,
                                       const THtmlTemplate &htmlTemplate, const QString &htmlPath,
                                       bool forwardOutput)
{
    const QString outputDbPath = CreateHtmlDb(db, emptyDbPath, configLines);
    QCoreApplication::processEvents();
    auto run = std::make_unique<TTemplateRun>(htmlTemplate.GetExePath(), outputDbPath, htmlPath,
                                              forwardOutput);
    run->Start(); // on failure the run's end removes the output database
    return run;
}

void MakeHtmlDetached(TLdbDb &db, const QString &emptyDbPath, const QStringList &configLines,
                      const THtmlTemplate &htmlTemplate, const QString &htmlPath)
{
    const QString program = htmlTemplate.GetExePath();
    const QString outputDbPath = CreateHtmlDb(db, emptyDbPath, configLines);
    qint64 pid = 0;
    if (!QFileInfo(program).isFile()
        || !QProcess::startDetached(program, {outputDbPath, htmlPath, program},
                                    QFileInfo(program).absolutePath(), &pid)) {
        QFile::remove(outputDbPath);
        throw EVarnokiError(CannotStart(program));
    }
    // The program is its owner: once it has ended, the next start clears it away.
    WriteWorkingCopyInfo(outputDbPath, QString(), false, pid);
}
