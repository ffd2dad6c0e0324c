#include "platform/Tdatetime.h"
#include "platform/Tfileutility.h"
#include "platform/Tspecialfolder.h"
#include "platform/Varnokierror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QByteArray Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void Write(const QString &path, const QByteArray &data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}
} // namespace

TEST(FileUtility, TempFilesAreNewEmptyAndDistinct)
{
    QTemporaryDir dir;
    const QString a = CreateTempFile(dir.path(), QStringLiteral("pre"));
    const QString b = CreateTempFile(dir.path(), QStringLiteral("pre"));
    EXPECT_NE(a, b);
    for (const QString &path : {a, b}) {
        const QFileInfo info(path);
        EXPECT_TRUE(info.isFile());
        EXPECT_EQ(info.size(), 0);
        EXPECT_TRUE(info.fileName().startsWith(QStringLiteral("pre")));
        EXPECT_TRUE(info.fileName().endsWith(QStringLiteral(".tmp")));
        EXPECT_EQ(info.absolutePath(), QDir(dir.path()).absolutePath());
    }
    const QString plain = CreateTempFile();
    EXPECT_TRUE(plain.startsWith(GetTempDirectory()));
    QFile::remove(plain);
    EXPECT_TRUE(GetTempDirectory().endsWith(QLatin1Char('/')));
    EXPECT_THROW(CreateTempFile(dir.filePath(QStringLiteral("missing")), QString()), EVarnokiError);
}

TEST(FileUtility, QuietCopyReplacesAndSkipsMissingSources)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source"));
    const QString target = dir.filePath(QStringLiteral("target"));
    Write(source, "new");
    Write(target, "old contents");
    EXPECT_TRUE(CopyFileTo(source, target, false));
    EXPECT_EQ(Read(target), QByteArray("new"));

    EXPECT_FALSE(CopyFileTo(dir.filePath(QStringLiteral("absent")), target, false));
    EXPECT_EQ(Read(target), QByteArray("new"));

    const QString folder = dir.filePath(QStringLiteral("into"));
    QDir().mkdir(folder);
    EXPECT_TRUE(CopyFileTo(source, folder, false));
    EXPECT_EQ(Read(folder + QStringLiteral("/source")), QByteArray("new"));

    EXPECT_EQ(MakeDoubleNullList({folder + QLatin1Char('/'), dir.filePath(QStringLiteral("absent")), source}),
              (QStringList{folder, source}));
}

TEST(FileUtility, FailedReplaceLeavesTargetAlone)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("target"));
    Write(target, "precious");
    QString why;
    EXPECT_FALSE(ReplaceFileWithCopy(dir.filePath(QStringLiteral("absent")), target, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(Read(target), QByteArray("precious"));
    EXPECT_FALSE(WriteFileAtomically(dir.filePath(QStringLiteral("no/such/file")), "x", &why));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("target")});
}

TEST(SpecialFolder, KindsOutsideTheTableRaise)
{
    EXPECT_EQ(GetSpecialFolderPath(1), QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    EXPECT_EQ(GetSpecialFolderPath(2), QString());
    EXPECT_THROW(GetSpecialFolderPath(30), EVarnokiError);
    EXPECT_THROW(GetSpecialFolderPath(-1), EVarnokiError);
}

TEST(DateTime, ConvertsBothWays)
{
    EXPECT_EQ(DateTimeToQDateTime(0), QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC));
    EXPECT_EQ(DateTimeToQDateTime(1.25), QDateTime(QDate(1899, 12, 31), QTime(6, 0), Qt::UTC));
    // Before the base date the whole days count backwards, the time of day stays positive.
    EXPECT_EQ(DateTimeToQDateTime(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC));
    EXPECT_DOUBLE_EQ(QDateTimeToDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC)), -1.25);
    const TDateTime value = EncodeDateTime(2021, 3, 28, 2, 30, 15, 500);
    EXPECT_EQ(DateTimeToQDateTime(value), QDateTime(QDate(2021, 3, 28), QTime(2, 30, 15, 500), Qt::UTC));
    EXPECT_DOUBLE_EQ(QDateTimeToDateTime(DateTimeToQDateTime(value)), value);
}
