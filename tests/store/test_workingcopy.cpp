#include "Projectfixture.h"
#include "Testpaths.h"

#include "platform/Tfileutility.h"
#include "platform/Tprojectlock.h"
#include "store/Tproject.h"
#include "store/Tworkingcopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
using WorkingCopyTest = ProjectTest;

int Mode(const QString &path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}
} // namespace

TEST_F(WorkingCopyTest, OneWriterPerProjectFile)
{
    const QString file = Path(QStringLiteral("blog.FDB"));
    FDb->CopyTo(file);
    const QString lockFile = TProjectLock::LockFileName(file);
    EXPECT_TRUE(QFileInfo::exists(lockFile));

    TLdbDb other;
    try {
        other.Open(file);
        ADD_FAILURE() << "a second writer was let in";
    } catch (const EProjectBusy &error) {
        // The name on a line of its own, so that no wrapping breaks it.
        EXPECT_TRUE(error.Message().split(QLatin1Char('\n')).contains(file)) << error.Message().toStdString();
        EXPECT_TRUE(error.Message().contains(QStringLiteral("PID %1").arg(::getpid())));
    }
    // Saving onto it is refused as well, and writes nothing.
    const QByteArray before = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    other.CreateFromEmpty(TestPaths::EmptyProjectDb());
    other.InsertEntry(QStringLiteral("http://other/"), QStringLiteral("other"), 0, false);
    EXPECT_THROW(other.CopyTo(file), EProjectBusy);
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), before);
    saved.close();
    // Reading needs no lock.
    other.Open(file, false);

    // A new project lets go of the file and its lock file.
    FDb->CreateFromEmpty(TestPaths::EmptyProjectDb());
    EXPECT_FALSE(QFileInfo::exists(lockFile));
    other.Open(file);
    EXPECT_TRUE(QFileInfo::exists(lockFile));
}

TEST_F(WorkingCopyTest, ALockLeftByAnEndedProcessDoesNotBlock)
{
    const QString file = Path(QStringLiteral("blog.FDB"));
    FDb->CopyTo(file);
    FDb->CreateFromEmpty(TestPaths::EmptyProjectDb());
    // A process that took the lock and ended without letting go of it.
    const pid_t pid = ::fork();
    if (pid == 0) {
        TProjectLock lock;
        try {
            lock.Acquire(file);
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(QFileInfo::exists(TProjectLock::LockFileName(file)) ? 0 : 2);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    ASSERT_EQ(status, 0);
    ASSERT_TRUE(QFileInfo::exists(TProjectLock::LockFileName(file)));
    FDb->Open(file);
}

// A lock file planted as a link, a folder or a second name of another file is refused
// and the file behind it stays as it was; every name of a project (a link, a second
// hard link, a path through "..") meets one lock.
TEST_F(WorkingCopyTest, TheLockFileIsNeverFollowedAndEveryNameMeetsOneLock)
{
    const QString file = Path(QStringLiteral("blog.FDB"));
    FDb->CopyTo(file);
    FDb->CreateFromEmpty(TestPaths::EmptyProjectDb());
    const QString lockFile = TProjectLock::LockFileName(file);
    const QString decoy = Path(QStringLiteral("decoy.txt"));
    const QString missing = Path(QStringLiteral("missing.txt"));
    {
        QFile f(decoy);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me\n");
    }
    const QList<QPair<const char *, std::function<bool()>>> plants = {
        {"link", [&] { return QFile::link(decoy, lockFile); }},
        {"dangling link", [&] { return QFile::link(missing, lockFile); }},
        {"folder", [&] { return QDir().mkdir(lockFile); }},
        {"second name", [&] { return ::link(QFile::encodeName(decoy).constData(), QFile::encodeName(lockFile).constData()) == 0; }}};
    for (const auto &[what, plant] : plants) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(plant());
        TLdbDb other;
        try {
            other.Open(file);
            ADD_FAILURE() << "opened with a planted lock file";
        } catch (const EProjectBusy &) {
            ADD_FAILURE() << "taken for a busy project";
        } catch (const EVarnokiError &error) {
            EXPECT_TRUE(error.Message().contains(lockFile)) << error.Message().toStdString();
        }
        QFile f(decoy);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), "keep me\n");
        EXPECT_FALSE(QFileInfo::exists(missing));
        ASSERT_TRUE(QFile::remove(lockFile) || QDir().rmdir(lockFile));
    }

    FDb->Open(file);
    ASSERT_TRUE(QFile::link(file, Path(QStringLiteral("alias.FDB"))));
    ASSERT_TRUE(QDir().mkdir(Path(QStringLiteral("x"))));
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(Path(QStringLiteral("x/hard.FDB"))).constData()), 0);
    for (const QString &alias : {Path(QStringLiteral("alias.FDB")), Path(QStringLiteral("x/../blog.FDB")),
                                 Path(QStringLiteral("x/hard.FDB"))}) {
        SCOPED_TRACE(alias.toStdString());
        TLdbDb other;
        EXPECT_THROW(other.Open(alias), EProjectBusy);
        // The holder itself takes it by any name.
        FDb->Open(alias);
    }
}

TEST_F(WorkingCopyTest, WorkingCopiesArePrivate)
{
    const QString folder = GetPrivateTempDirectory();
    EXPECT_EQ(Mode(folder), 0700);
    EXPECT_EQ(QFileInfo(FDb->GetWorkFileName()).absolutePath() + QLatin1Char('/'), folder);
    EXPECT_EQ(Mode(FDb->GetWorkFileName()), 0600);
    // Opening a project keeps its copy private too.
    const QString file = Path(QStringLiteral("blog.FDB"));
    FDb->CopyTo(file);
    FDb->Open(file);
    EXPECT_EQ(Mode(FDb->GetWorkFileName()), 0600);

    // A folder of that name that another user made first is not used.
    if (::getuid() != 0)
        GTEST_SKIP() << "needs root to hand a folder to another user";
    const QByteArray savedTmp = qgetenv("TMPDIR");
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("shared"))));
    qputenv("TMPDIR", QFile::encodeName(Path(QStringLiteral("shared"))));
    const QString foreign = Path(QStringLiteral("shared/varnoki-%1").arg(::getuid()));
    ASSERT_TRUE(QDir().mkpath(foreign));
    ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
    EXPECT_THROW(GetPrivateTempDirectory(), EVarnokiError);
    EXPECT_THROW(TLdbDb(), EVarnokiError);
    qputenv("TMPDIR", savedTmp);
}

TEST_F(WorkingCopyTest, UnsavedWorkOfAnEndedProcessIsRestored)
{
    const QString file = Path(QStringLiteral("blog.FDB"));
    TProject project;
    project.SetEntryUrl(QStringLiteral("http://blog/"));
    std::unique_ptr<TLdbDb> crashed = std::make_unique<TLdbDb>();
    crashed->CreateFromEmpty(TestPaths::EmptyProjectDb());
    project.Save(file, *crashed);
    // Saved work is not offered.
    const QString savedWork = crashed->GetWorkFileName();
    MarkOwnerEnded(savedWork);
    EXPECT_TRUE(FindUnsavedWork().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(savedWork)); // and is cleared away
    crashed = std::make_unique<TLdbDb>();
    project.Load(file, *crashed);

    // A download cut off halfway: its finds are in the staging table.
    crashed->InsertEntry(QStringLiteral("http://blog/1"), QStringLiteral("一"), 0, false);
    crashed->InsertEntry(QStringLiteral("http://blog/2"), QStringLiteral("二"), 0, true);
    crashed->Commit();
    const QString work = crashed->GetWorkFileName();
    crashed->KeepForRecovery();
    crashed.reset();
    ASSERT_TRUE(QFileInfo::exists(work));
    EXPECT_EQ(FindUnsavedWork().size(), 0); // its process (this one) is still running
    MarkOwnerEnded(work);

    const QList<TUnsavedWork> found = FindUnsavedWork();
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].WorkFileName, work);
    EXPECT_EQ(found[0].ProjectFileName, QFileInfo(file).absoluteFilePath());

    TLdbDb restored;
    restored.Restore(found[0]);
    EXPECT_EQ(restored.GetFileName(), found[0].ProjectFileName);
    EXPECT_TRUE(restored.HasUnsavedChanges());
    const TEntryList entries = restored.LoadEntries();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].GetUrl(), QStringLiteral("http://blog/2"));
    EXPECT_EQ(entries[1].GetUrl(), QStringLiteral("http://blog/1"));
    EXPECT_FALSE(QFileInfo::exists(work));
    EXPECT_TRUE(FindUnsavedWork().isEmpty());
    // The restored project holds its file for changes.
    TLdbDb other;
    EXPECT_THROW(other.Open(file), EProjectBusy);
}
