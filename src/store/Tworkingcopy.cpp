#include "store/Tworkingcopy.h"

#include "platform/Tfileutility.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
#include <cerrno>
#include <csignal>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString InfoFileName(const QString &workFileName)
{
    return workFileName + QStringLiteral(".info");
}

// The start time of a process in clock ticks since boot: with the process id it names
// one process, even after the id has been given to another.
QByteArray ProcessStart(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    // The command name may hold blanks and parentheses; the fields after it do not.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 19 ? fields.at(19) : QByteArray();
}

bool IsRunning(qint64 pid, const QByteArray &start)
{
    if (pid <= 0)
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return false;
    return start.isEmpty() || ProcessStart(pid) == start;
}

const char EngineFolderPrefix[] = "firebird-";

// Plain system calls: this runs from atexit, when Qt may already be gone.
void RemoveFolderTree(const QByteArray &path)
{
    if (DIR *dir = ::opendir(path.constData())) {
        while (const dirent *item = ::readdir(dir)) {
            const QByteArray name(item->d_name);
            if (name != "." && name != "..")
                ::unlink(QByteArray(path + '/' + name).constData());
        }
        ::closedir(dir);
    }
    ::rmdir(path.constData());
}

QByteArray OwnEngineFolder;

void RemoveOwnEngineFolder()
{
    RemoveFolderTree(OwnEngineFolder);
}

} // namespace

QString PrepareProcessEngineFolder()
{
    static const QString folder = [] {
        const QDir temp(GetPrivateTempDirectory());
        // "firebird-PID-START": the start time tells a running process from one that
        // ended and whose id was given to another.
        for (const QString &name :
             temp.entryList({QLatin1String(EngineFolderPrefix) + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QStringList parts = name.mid(int(sizeof EngineFolderPrefix) - 1).split(QLatin1Char('-'));
            if (parts.size() != 2 || !IsRunning(parts.at(0).toLongLong(), parts.at(1).toLatin1()))
                RemoveFolderTree(QFile::encodeName(temp.filePath(name)));
        }
        const QString path = temp.filePath(QLatin1String(EngineFolderPrefix) + QString::number(::getpid())
                                           + QLatin1Char('-') + QString::fromLatin1(ProcessStart(::getpid())));
        OwnEngineFolder = QFile::encodeName(path);
        ::mkdir(OwnEngineFolder.constData(), 0700);
        std::atexit(RemoveOwnEngineFolder);
        return path;
    }();
    return folder;
}

void WriteWorkingCopyInfo(const QString &workFileName, const QString &projectFileName, bool changed,
                          qint64 owner)
{
    const qint64 pid = owner > 0 ? owner : ::getpid();
    const QByteArray text = "pid=" + QByteArray::number(pid) + "\nstart=" + ProcessStart(pid)
                            + "\nchanged=" + (changed ? "1" : "0")
                            + "\nproject=" + projectFileName.toUtf8() + "\n";
    // Best effort: without it only the offer to restore after a crash is lost.
    WriteFileAtomically(InfoFileName(workFileName), text, nullptr);
}

void RemoveWorkingCopyInfo(const QString &workFileName)
{
    QFile::remove(InfoFileName(workFileName));
}

QList<TUnsavedWork> FindUnsavedWork()
{
    QList<TUnsavedWork> found;
    const QDir folder(GetPrivateTempDirectory());
    for (const QString &name : folder.entryList({QStringLiteral("*.tmp.info")}, QDir::Files)) {
        const QString infoName = folder.filePath(name);
        QFile info(infoName);
        if (!info.open(QIODevice::ReadOnly))
            continue;
        qint64 pid = 0;
        QByteArray start;
        bool changed = false;
        QString project;
        for (const QByteArray &line : info.readAll().split('\n')) {
            const qsizetype equals = line.indexOf('=');
            const QByteArray key = line.left(equals), value = line.mid(equals + 1);
            if (key == "pid")
                pid = value.toLongLong();
            else if (key == "start")
                start = value;
            else if (key == "changed")
                changed = value == "1";
            else if (key == "project")
                project = QString::fromUtf8(value);
        }
        info.close();
        if (IsRunning(pid, start))
            continue;
        TUnsavedWork work;
        work.WorkFileName = infoName.chopped(5);
        work.ProjectFileName = project;
        work.LastChange = QFileInfo(work.WorkFileName).lastModified();
        if (changed && QFileInfo(work.WorkFileName).size() > 0)
            found.append(work);
        else
            DiscardUnsavedWork(work);
    }
    std::sort(found.begin(), found.end(),
              [](const TUnsavedWork &a, const TUnsavedWork &b) { return a.LastChange > b.LastChange; });
    return found;
}

void DiscardUnsavedWork(const TUnsavedWork &work)
{
    QFile::remove(work.WorkFileName);
    RemoveWorkingCopyInfo(work.WorkFileName);
}
