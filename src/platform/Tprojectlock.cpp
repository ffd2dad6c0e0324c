#include "platform/Tprojectlock.h"

#include "platform/Tfileutility.h"
#include "platform/Varnokierror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

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

QString TProjectLock::Identity(const QString &fileName)
{
    // Every name of the file meets the same lock: a symbolic link, "x/../p.FDB", a
    // linked folder. A file not made yet is named by its folder's real path.
    const QFileInfo info(fileName);
    if (const QString real = info.canonicalFilePath(); !real.isEmpty())
        return real;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

bool TProjectLock::Holds(const QString &fileName) const
{
    if (FFd < 0)
        return false;
    if (Identity(fileName) == FFileName)
        return true;
    struct stat info = {};
    return FIdentityFd >= 0 && ::stat(QFile::encodeName(fileName).constData(), &info) == 0
           && quint64(info.st_dev) == FDevice && quint64(info.st_ino) == FInode;
}

namespace {
// Opens the lock file without following a link and without emptying it: made anew where
// there is none, else only a plain file of this user's with no other name. A link or a
// file planted there would otherwise be locked and overwritten in the project's name.
int OpenLockFile(const QString &lockName)
{
    const QByteArray native = QFile::encodeName(lockName);
    constexpr int Flags = O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    int fd = ::open(native.constData(), Flags | O_CREAT | O_EXCL, 0644);
    if (fd < 0 && errno == EEXIST)
        fd = ::open(native.constData(), Flags);
    if (fd < 0) {
        if (errno != ELOOP && errno != EISDIR && errno != ENXIO && errno != EEXIST)
            return -1;
    } else {
        struct stat info = {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && info.st_nlink == 1)
            return fd;
        ::close(fd);
    }
    throw EVarnokiError(QStringLiteral("ロックファイルがふつうのファイルではないため、プロジェクトを変更できません"
                                       "（シンボリックリンク、フォルダー、別のユーザーのファイルなど）: %1")
                            .arg(QDir::toNativeSeparators(lockName)));
}
} // namespace

namespace {
// Takes the lock of lockName for the project shown as shownName: the descriptor, or -1
// where no lock file can be made. Raises EProjectBusy when another process holds it.
int TakeLockFile(const QString &lockName, const QString &shownName)
{
    const QByteArray native = QFile::encodeName(lockName);
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = OpenLockFile(lockName);
        if (fd < 0) {
            // Removed between the two opens by the holder letting go: try again.
            if (errno == ENOENT)
                continue;
            return -1;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            char holder[256] = {};
            const ssize_t got = ::pread(fd, holder, sizeof holder - 1, 0);
            ::close(fd);
            const QString who = QString::fromUtf8(holder, got > 0 ? got : 0).trimmed();
            throw EProjectBusy(
                // The path on a line of its own, so that no wrapping breaks it.
                QStringLiteral("このプロジェクトファイルは別のプログラムが変更のために開いています:\n%1%2")
                    .arg(QDir::toNativeSeparators(shownName),
                         who.isEmpty() ? QString() : QStringLiteral("\n（%1）").arg(who)));
        }
        // The holder before us removes the file when it lets go; a lock on a file that
        // is no longer there protects nothing.
        struct stat held = {}, named = {};
        if (::fstat(fd, &held) == 0 && ::lstat(native.constData(), &named) == 0
            && held.st_ino == named.st_ino && held.st_dev == named.st_dev)
            return fd;
        ::close(fd);
    }
    return -1;
}

void LetGo(int fd, const QString &lockName)
{
    if (fd < 0)
        return;
    ::unlink(QFile::encodeName(lockName).constData());
    ::close(fd);
}
} // namespace

void TProjectLock::Acquire(const QString &fileName)
{
    const QString canonical = Identity(fileName);
    if (Holds(fileName))
        return;
    const QString lockName = LockFileName(canonical);
    const int fd = TakeLockFile(lockName, canonical);
    if (fd < 0) {
        Release();
        return;
    }
    // A second name of the same file (a hard link) has a lock file of its own beside it;
    // the file itself is known by its device and inode, locked in this user's folder.
    int identityFd = -1;
    QString identityName;
    struct stat project = {};
    if (::stat(QFile::encodeName(canonical).constData(), &project) == 0) {
        try {
            identityName = GetPrivateTempDirectory()
                           + QStringLiteral("project-%1-%2.lock").arg(quint64(project.st_dev)).arg(quint64(project.st_ino));
            identityFd = TakeLockFile(identityName, canonical);
        } catch (const EProjectBusy &) {
            LetGo(fd, lockName);
            throw;
        } catch (const EVarnokiError &) {
            // No private folder: the lock beside the file still holds.
        }
    }
    // Emptied and written only now that they are ours, checked and locked.
    const QByteArray who = QStringLiteral("%1, PID %2")
                               .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName())
                               .arg(::getpid())
                               .toUtf8();
    for (const int held : {fd, identityFd}) {
        if (held >= 0 && ::ftruncate(held, 0) == 0) {
            [[maybe_unused]] const ssize_t written = ::pwrite(held, who.constData(), size_t(who.size()), 0);
        }
    }
    Release();
    FFd = fd;
    FFileName = canonical;
    FLockFileName = lockName;
    FIdentityFd = identityFd;
    FIdentityFileName = identityName;
    FDevice = identityFd >= 0 ? quint64(project.st_dev) : 0;
    FInode = identityFd >= 0 ? quint64(project.st_ino) : 0;
}

void TProjectLock::Release()
{
    if (FFd < 0)
        return;
    LetGo(FIdentityFd, FIdentityFileName);
    LetGo(FFd, FLockFileName);
    FFd = -1;
    FIdentityFd = -1;
    FDevice = FInode = 0;
    FFileName.clear();
    FLockFileName.clear();
    FIdentityFileName.clear();
}
