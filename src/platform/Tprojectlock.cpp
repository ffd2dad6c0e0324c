#include "platform/Tprojectlock.h"

#include "platform/Varnokierror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

TProjectLock::~TProjectLock()
{
    Release();
}

QString TProjectLock::LockFileName(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".lock");
}

void TProjectLock::Acquire(const QString &fileName)
{
    const QString canonical = QFileInfo(fileName).absoluteFilePath();
    if (FFd >= 0 && canonical == FFileName)
        return;
    const QString lockName = LockFileName(canonical);
    const QByteArray native = QFile::encodeName(lockName);
    int fd = -1;
    for (int attempt = 0; attempt < 10; ++attempt) {
        fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            break;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            char holder[256] = {};
            const ssize_t got = ::pread(fd, holder, sizeof holder - 1, 0);
            ::close(fd);
            const QString who = QString::fromUtf8(holder, got > 0 ? got : 0).trimmed();
            throw EProjectBusy(
                // The path on a line of its own, so that no wrapping breaks it.
                QStringLiteral("このプロジェクトファイルは別のプログラムが変更のために開いています:\n%1%2")
                    .arg(QDir::toNativeSeparators(canonical),
                         who.isEmpty() ? QString() : QStringLiteral("\n（%1）").arg(who)));
        }
        // The holder before us removes the file when it lets go; a lock on a file that
        // is no longer there protects nothing.
        struct stat held = {}, named = {};
        if (::fstat(fd, &held) == 0 && ::stat(native.constData(), &named) == 0
            && held.st_ino == named.st_ino && held.st_dev == named.st_dev)
            break;
        ::close(fd);
        fd = -1;
    }
    if (fd < 0) {
        Release();
        return;
    }
    const QByteArray who = QStringLiteral("%1, PID %2")
                               .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName())
                               .arg(::getpid())
                               .toUtf8();
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd, who.constData(), size_t(who.size()), 0);
    }
    Release();
    FFd = fd;
    FFileName = canonical;
    FLockFileName = lockName;
}

void TProjectLock::Release()
{
    if (FFd < 0)
        return;
    ::unlink(QFile::encodeName(FLockFileName).constData());
    ::close(FFd);
    FFd = -1;
    FFileName.clear();
    FLockFileName.clear();
}
