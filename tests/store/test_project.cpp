#include "Projectfixture.h"

#include "Testpaths.h"
#include "platform/Varnokierror.h"
#include "store/Tproject.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>

#include <cerrno>
#include <cstring>

namespace {
QByteArray Hash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void WriteFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

TProject SampleProject()
{
    TProject project;
    project.SetEntryUrl(QStringLiteral("https://例え.jp/blog/"));
    project.SetBlogTypeName(QStringLiteral("はてなブログ"));
    project.SetHtmlTemplateName(QStringLiteral("カテゴリ別"));
    project.AddCategory(QStringLiteral("日記😀"), QStringLiteral("https://例え.jp/archive/category/日記"));
    project.AddCategory(QStringLiteral("Ünïcödé ☃"), QStringLiteral("https://x.jp/c?a=1&b=2"));
    project.SetHtmlValues({{QStringLiteral("k1"), QString()},
                           {QStringLiteral("タイトル"), QStringLiteral("私の𠮷ブログ")}});
    return project;
}
} // namespace

using ProjectModelTest = ProjectTest;

TEST_F(ProjectModelTest, SaveAndLoadRoundTrip)
{
    TProject saved = SampleProject();
    const QString file = Path(QStringLiteral("プロジェクト 1.FDB"));
    saved.Save(file, *FDb);
    EXPECT_EQ(saved.GetFileName(), file);

    EXPECT_EQ(Count(QStringLiteral("select count(*) from config")), 3);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from categories")), 3);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from html")), 2);
    const TCategoryMap categories = FDb->LoadCategories();
    EXPECT_EQ(categories.keys(), (QList<int>{0, 1, 2}));
    EXPECT_EQ(categories[0].GetName(), QStringLiteral(" "));
    EXPECT_EQ(categories[0].GetUrl(), QString());
    EXPECT_EQ(categories[1].GetName(), QStringLiteral("日記😀"));

    TLdbDb other;
    TProject loaded;
    loaded.Load(file, other, false); // the first holds the file for changes
    EXPECT_EQ(loaded.GetFileName(), file);
    EXPECT_EQ(loaded.GetEntryUrl(), saved.GetEntryUrl());
    EXPECT_EQ(loaded.GetBlogTypeName(), saved.GetBlogTypeName());
    EXPECT_EQ(loaded.GetHtmlTemplateName(), saved.GetHtmlTemplateName());
    EXPECT_EQ(loaded.GetHtmlValues(), saved.GetHtmlValues());
    ASSERT_EQ(loaded.GetCategoryCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(loaded.GetCategory(i).GetName(), saved.GetCategory(i).GetName());
        EXPECT_EQ(loaded.GetCategory(i).GetUrl(), saved.GetCategory(i).GetUrl());
    }
    EXPECT_THROW(loaded.GetCategory(2), EVarnokiError);
    QFile::remove(other.GetWorkFileName());
}

TEST_F(ProjectModelTest, SetConfigReplacesAndEmptyListKeepsPlaceholder)
{
    FDb->SetConfig(QStringLiteral("entry_url"), QStringLiteral("A"));
    FDb->SetConfig(QStringLiteral("entry_url"), QStringLiteral("B"));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from config where name = 'entry_url'")), 1);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from config where data = 'B'")), 1);

    TProject empty;
    empty.Save(Path(QStringLiteral("empty.FDB")), *FDb);
    EXPECT_EQ(FDb->LoadCategories().keys(), QList<int>{0});
}

TEST_F(ProjectModelTest, EmptyTextsAreStoredAsEmptyTextNotNull)
{
    // Every text left empty by the program: settings, the placeholder row, a category
    // without a URL, a template value, an entry title and a comment.
    TProject project;
    project.AddCategory(QStringLiteral("URL なし"), QString());
    project.SetHtmlValues({{QStringLiteral("k"), QString()}});
    FDb->InsertEntry(QStringLiteral("http://e/1"), QString(), 0, false);
    TEntry entry = FDb->LoadEntries().first();
    entry.SetComment(QString());
    FDb->SaveComment(entry);
    project.Save(Path(QStringLiteral("empty-texts.FDB")), *FDb);

    const struct {
        const char *table;
        const char *column;
        int rows;
    } columns[] = {
        {"config", "data", 3},   {"categories", "url", 2}, {"html", "data", 1},
        {"entries", "title", 1}, {"comments", "comment", 1},
    };
    for (const auto &c : columns) {
        const QString table = QLatin1String(c.table), column = QLatin1String(c.column);
        EXPECT_EQ(Count(QStringLiteral("select count(*) from %1 where %2 is null").arg(table, column)), 0)
            << c.table << "." << c.column;
        EXPECT_EQ(Count(QStringLiteral("select count(*) from %1 where char_length(%2) = 0").arg(table, column)),
                  c.rows)
            << c.table << "." << c.column;
    }
    EXPECT_EQ(Count(QStringLiteral("select count(*) from categories where id = 0 and name = ' ' and url = ''")), 1);

    // Another reader of the saved file sees the same.
    QProcess isql;
    isql.setProcessChannelMode(QProcess::MergedChannels);
    isql.start(QStringLiteral("isql-fb"),
               {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA"),
                QStringLiteral("-password"), QStringLiteral("quietpond"), Path(QStringLiteral("empty-texts.FDB"))});
    isql.write("set list on;\n"
               "select '[' || url || ']' from categories where id = 0;\n"
               "select '[' || comment || ']' from comments;\n");
    isql.closeWriteChannel();
    ASSERT_TRUE(isql.waitForFinished(60000));
    const QByteArray output = isql.readAll();
    EXPECT_EQ(output.count("[]"), 2) << output.constData();
}

TEST_F(ProjectModelTest, LoadSkipsIncompleteCategoriesAndTakesLastHtmlRow)
{
    FDb->InsertCategory(1, QStringLiteral("no url"), QString());
    FDb->InsertCategory(2, QString(), QStringLiteral("http://no-name/"));
    FDb->InsertCategory(3, QStringLiteral("ok"), QStringLiteral("http://ok/"));
    FDb->Prepare(QStringLiteral("insert into html(name,data) values (:NAME,:DATA)"));
    for (const char *value : {"first", "second"}) {
        FDb->FQuery().bindValue(QStringLiteral(":NAME"), QStringLiteral("key"));
        FDb->FQuery().bindValue(QStringLiteral(":DATA"), QLatin1String(value));
        FDb->Exec();
    }
    FDb->CopyTo(Path(QStringLiteral("odd.FDB")));

    TProject project;
    project.SetBlogTypeName(QStringLiteral("kept"));
    project.Load(Path(QStringLiteral("odd.FDB")), *FDb);
    ASSERT_EQ(project.GetCategoryCount(), 1);
    EXPECT_EQ(project.GetCategory(0).GetName(), QStringLiteral("ok"));
    EXPECT_EQ(project.GetHtmlValues().value(QStringLiteral("key")), QStringLiteral("second"));
    // A file without the config rows leaves those settings as they were.
    EXPECT_EQ(project.GetBlogTypeName(), QStringLiteral("kept"));
}

TEST_F(ProjectModelTest, SaveToAnotherFileLeavesTheFirstUnchanged)
{
    TProject project = SampleProject();
    const QString first = Path(QStringLiteral("first.FDB"));
    const QString second = Path(QStringLiteral("second.FDB"));
    project.Save(first, *FDb);
    const QByteArray before = Hash(first);
    FDb->InsertEntry(QStringLiteral("http://new/"), QStringLiteral("new"), 0, false);
    project.Save(second, *FDb);
    EXPECT_EQ(Hash(first), before);
    EXPECT_EQ(project.GetFileName(), second);
    EXPECT_EQ(FDb->GetFileName(), FDb->GetWorkFileName()); // CopyTo does not change it
}

TEST_F(ProjectModelTest, FailedSaveKeepsTheOldFileAndTheWorkingCopy)
{
    TProject project = SampleProject();
    const QString file = Path(QStringLiteral("keep.FDB"));
    project.Save(file, *FDb);
    const QByteArray before = Hash(file);
    FDb->InsertEntry(QStringLiteral("http://unsaved/"), QStringLiteral("unsaved"), 0, false);

    // The target's folder is missing, then the target is a folder.
    EXPECT_THROW(project.Save(Path(QStringLiteral("missing/x.FDB")), *FDb), EVarnokiError);
    ASSERT_TRUE(QDir(FDir.path()).mkdir(QStringLiteral("folder.FDB")));
    try {
        project.Save(Path(QStringLiteral("folder.FDB")), *FDb);
        ADD_FAILURE() << "saving onto a folder succeeded";
    } catch (const EVarnokiError &error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("folder.FDB"))) << error.what();
    }
    EXPECT_EQ(project.GetFileName(), file);
    EXPECT_EQ(Hash(file), before);
    EXPECT_TRUE(FDb->IsConnected());
    EXPECT_TRUE(FDb->ExistsEntry(QStringLiteral("http://unsaved/")));
    EXPECT_EQ(QDir(FDir.path()).entryList(QDir::Files).size(), 1); // no temporary left over
}

TEST_F(ProjectModelTest, OpeningSomethingElseKeepsTheWorkingCopy)
{
    FDb->InsertEntry(QStringLiteral("http://held/"), QStringLiteral("held"), 0, false);
    const QString text = Path(QStringLiteral("notes.FDB"));
    WriteFile(text, "this is not a database\n");
    const QString truncated = Path(QStringLiteral("truncated.FDB"));
    {
        QFile empty(TestPaths::EmptyProjectDb());
        ASSERT_TRUE(empty.open(QIODevice::ReadOnly));
        WriteFile(truncated, empty.read(empty.size() / 3));
    }
    const QString empty = Path(QStringLiteral("empty.FDB"));
    WriteFile(empty, QByteArray());

    for (const QString &bad : {text, truncated, empty, Path(QStringLiteral("nowhere.FDB"))}) {
        TProject project;
        try {
            project.Load(bad, *FDb);
            ADD_FAILURE() << "opened " << bad.toStdString();
        } catch (const EVarnokiError &error) {
            EXPECT_TRUE(error.Message().contains(QFileInfo(bad).fileName())) << error.what();
        }
        EXPECT_TRUE(FDb->IsConnected());
        EXPECT_TRUE(FDb->ExistsEntry(QStringLiteral("http://held/"))) << bad.toStdString();
    }
}

TEST_F(ProjectModelTest, OpenReplacesUnsavedWorkOfThePreviousProject)
{
    TProject project = SampleProject();
    const QString file = Path(QStringLiteral("p.FDB"));
    project.Save(file, *FDb);
    FDb->InsertEntry(QStringLiteral("http://unsaved/"), QStringLiteral("u"), 0, false);
    FDb->Open(file);
    EXPECT_FALSE(FDb->ExistsEntry(QStringLiteral("http://unsaved/")));
    EXPECT_EQ(FDb->GetFileName(), file);

    // Opening the working copy itself copies nothing.
    FDb->InsertEntry(QStringLiteral("http://kept/"), QStringLiteral("k"), 0, false);
    FDb->Open(FDb->GetWorkFileName());
    EXPECT_TRUE(FDb->ExistsEntry(QStringLiteral("http://kept/")));
    EXPECT_EQ(FDb->GetFileName(), FDb->GetWorkFileName());
    FDb->Close();
    FDb->Close();
    EXPECT_FALSE(FDb->IsConnected());
}

TEST_F(ProjectModelTest, NewProjectFromMissingEmptyDatabaseKeepsCurrentOne)
{
    FDb->InsertEntry(QStringLiteral("http://held/"), QStringLiteral("held"), 0, false);
    try {
        FDb->CreateFromEmpty(Path(QStringLiteral("no/VARNOKI.FDB")));
        ADD_FAILURE() << "created from a missing file";
    } catch (const EVarnokiError &error) {
        EXPECT_EQ(error.Message(), QStringLiteral("データファイルの作成に失敗しました。"));
    }
    EXPECT_TRUE(FDb->ExistsEntry(QStringLiteral("http://held/")));
    FDb->CreateFromEmpty(TestPaths::EmptyProjectDb());
    EXPECT_FALSE(FDb->ExistsEntry(QStringLiteral("http://held/")));
}

TEST_F(ProjectModelTest, SaveOntoAFullDiskKeepsTheOldFile)
{
    // A small file system of its own; only where this process may mount one.
    const QString mountPoint = Path(QStringLiteral("small"));
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    const QByteArray size = QByteArray::number(QFileInfo(TestPaths::EmptyProjectDb()).size() * 3 / 2);
    if (QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=") + QString::fromLatin1(size), QStringLiteral("tmpfs"),
                           mountPoint})
        != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    struct Unmount
    {
        QString path;
        ~Unmount() { QProcess::execute(QStringLiteral("umount"), {path}); }
    } unmount{mountPoint};

    TProject project = SampleProject();
    const QString file = mountPoint + QStringLiteral("/full.FDB");
    project.Save(file, *FDb);
    const QByteArray before = Hash(file);
    FDb->InsertEntry(QStringLiteral("http://unsaved/"), QStringLiteral("unsaved"), 0, false);
    // The new copy is written beside the old one, which leaves no room for it.
    try {
        project.Save(file, *FDb);
        ADD_FAILURE() << "saved onto a full disk";
    } catch (const EVarnokiError &error) {
        // The system's reason, not a generic one.
        EXPECT_TRUE(error.Message().contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
            << error.Message().toStdString();
    }
    EXPECT_EQ(Hash(file), before);
    EXPECT_TRUE(FDb->ExistsEntry(QStringLiteral("http://unsaved/")));
    EXPECT_EQ(QDir(mountPoint).entryList(QDir::Files), QStringList{QStringLiteral("full.FDB")});
    FDb->CreateFromEmpty(TestPaths::EmptyProjectDb()); // lets go of the file's lock
}
