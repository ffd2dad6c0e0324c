#pragma once

// Helpers shared by the output tests: a project in a private temporary folder,
// reading the output database back, and the HTML checker.

#include "Testpaths.h"
#include "platform/Tdatetime.h"
#include "store/Tldbdb.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

#include <unistd.h>

// Points the temporary folder at a fresh folder for the life of the object, so that
// a test sees exactly the files the code under test leaves there.
class TPrivateTemp
{
public:
    TPrivateTemp() : FOld(qgetenv("TMPDIR"))
    {
        TLdbDb::PrepareEngine(); // its lock folder must not land in the private folder
        qputenv("TMPDIR", QFile::encodeName(FDir.path()));
    }
    ~TPrivateTemp()
    {
        if (FOld.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", FOld);
    }
    QString Path() const { return FDir.path(); }
    // The files in it and in the program's own folder within it.
    QStringList Files() const
    {
        const QDir top(FDir.path());
        QStringList files = top.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        const QString own = QStringLiteral("varnoki-%1").arg(::getuid());
        for (const QString &name : QDir(top.filePath(own)).entryList(QDir::Files | QDir::Hidden))
            files << own + QLatin1Char('/') + name;
        return files;
    }

private:
    QByteArray FOld;
    QTemporaryDir FDir;
};

// A new project in the private temporary folder, with helpers to fill it.
class TTestProject
{
public:
    TTestProject() { Db->CreateFromEmpty(TestPaths::EmptyProjectDb()); }

    void AddEntry(const QString &url, const QString &title, TDateTime date,
                  const QString &comment = QString())
    {
        Db->InsertEntry(url, title, date, false);
        if (comment.isEmpty())
            return;
        for (TEntry entry : Db->LoadEntries()) {
            if (entry.GetUrl() == url) {
                entry.SetComment(comment);
                Db->SaveComment(entry);
            }
        }
    }

    TPrivateTemp Temp;
    std::unique_ptr<TLdbDb> Db = std::make_unique<TLdbDb>();
};

inline QString EmptyHtmlDb()
{
    return TestPaths::BinDir() + QStringLiteral("/db/html.mdb");
}

inline QString TemplateProgram(const QString &name)
{
    return TestPaths::BinDir() + QStringLiteral("/template/varnoki-toc-") + name;
}

// The rows of a query on an SQLite file, each as a list of its values.
inline QList<QVariantList> SqliteRows(const QString &path, const QString &sql)
{
    QList<QVariantList> rows;
    const QString name = QStringLiteral("test-reader");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery query(db);
        EXPECT_TRUE(query.exec(sql)) << query.lastError().text().toStdString();
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << query.value(i);
            rows << row;
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

// Parses a page with the strict checker (Python's HTML parser); the result lists its
// errors, headings, entry items, links and scripts.
inline QJsonObject CheckHtml(const QString &path)
{
    QProcess python;
    python.start(QStandardPaths::findExecutable(QStringLiteral("python3")),
                 {TestPaths::SourceDir() + QStringLiteral("/tests/output/checkhtml.py"), path});
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QJsonObject result = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    EXPECT_EQ(result.value(QStringLiteral("errors")).toArray(), QJsonArray()) << path.toStdString();
    return result;
}

// Waits, without polling, until a file appears in a folder watched from before the
// program that writes it was started.
class TFileWaiter
{
public:
    explicit TFileWaiter(const QString &folder) : FWatcher({folder}), FSpy(&FWatcher, &QFileSystemWatcher::directoryChanged) {}

    bool Wait(const QString &path)
    {
        const QDeadlineTimer deadline(30000);
        while (!QFileInfo::exists(path)) {
            if (deadline.hasExpired() || !FSpy.wait(int(deadline.remainingTime())))
                return QFileInfo::exists(path);
        }
        return true;
    }

private:
    QFileSystemWatcher FWatcher;
    QSignalSpy FSpy;
};
