#pragma once

#include "platform/Varnokierror.h"

#include <QString>

// Raised when another process holds a project file's lock.
class EProjectBusy : public EVarnokiError
{
public:
    using EVarnokiError::EVarnokiError;
};

// Keeps other processes from changing a project file while this one has it open for
// changes: an advisory lock on a small file beside the project (".NAME.lock"), which
// the system releases when the process ends, however it ends.
class TProjectLock
{
public:
    TProjectLock() = default;
    ~TProjectLock();
    TProjectLock(const TProjectLock &) = delete;
    TProjectLock &operator=(const TProjectLock &) = delete;

    // Takes the lock of fileName, giving up any other this object held. Raises, naming
    // the file and the process that holds it, when another process has it, and when the
    // lock file is a link, a folder or not this user's plain file; in a folder where no
    // lock file can be made (nothing could be saved there) it holds none.
    void Acquire(const QString &fileName);
    // Whether this holds the lock of the file, by whatever name it is given.
    bool Holds(const QString &fileName) const;
    void Release();
    QString GetFileName() const { return FFileName; }

    static QString LockFileName(const QString &fileName);
    // The file's real path, which every name of it shares.
    static QString Identity(const QString &fileName);

private:
    int FFd = -1;
    QString FFileName;
    QString FLockFileName;
    // The lock on the file's device and inode, which every hard link of it shares.
    int FIdentityFd = -1;
    QString FIdentityFileName;
    quint64 FDevice = 0;
    quint64 FInode = 0;
};
