#include "Outputtestsupport.h"
#include "output/Thtmldb.h"
#include "platform/Varnokierror.h"

#include <QCryptographicHash>

namespace {

QByteArray FileHash(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

TEST(HtmlDb, EmptyProjectGivesEmptyTablesAndTheConfigLines)
{
    TTestProject project;
    const QString path = CreateHtmlDb(*project.Db, EmptyHtmlDb(), {QStringLiteral("ページタイトル=目次"),
                                                                   QStringLiteral("並び順=")});
    EXPECT_TRUE(path.startsWith(project.Temp.Path()));
    for (const char *table : {"entries", "entries_categories", "categories"})
        EXPECT_EQ(SqliteRows(path, QStringLiteral("select * from ") + QLatin1String(table)).size(), 0);
    const QList<QVariantList> html = SqliteRows(path, QStringLiteral("select name, data from html"));
    EXPECT_EQ(html, (QList<QVariantList>{{QStringLiteral("ページタイトル"), QStringLiteral("目次")},
                                         {QStringLiteral("並び順"), QStringLiteral("")}}));
}

TEST(HtmlDb, TheBlogsAddressAndNameGoToTheBlogTable)
{
    TTestProject project;
    EXPECT_EQ(SqliteRows(CreateHtmlDb(*project.Db, EmptyHtmlDb(), {}), QStringLiteral("select url, name from blog")),
              (QList<QVariantList>{{QStringLiteral(""), QStringLiteral("")}}));

    project.Db->SetConfig(QStringLiteral("entry_url"), QStringLiteral(" https://blog.example/ "));
    project.AddEntry(QStringLiteral("https://blog.example/1"), QStringLiteral("旅の記録 | 週末の日記"), EncodeDateTime(2024, 3, 9));
    project.AddEntry(QStringLiteral("https://blog.example/2"), QStringLiteral("A - B |  週末の日記 "), EncodeDateTime(2024, 3, 8));
    EXPECT_EQ(SqliteRows(CreateHtmlDb(*project.Db, EmptyHtmlDb(), {}), QStringLiteral("select url, name from blog")),
              (QList<QVariantList>{{QStringLiteral("https://blog.example/"), QStringLiteral("週末の日記")}}));

    project.AddEntry(QStringLiteral("https://blog.example/3"), QStringLiteral("名前のない記事"), EncodeDateTime(2024, 3, 7));
    EXPECT_EQ(SqliteRows(CreateHtmlDb(*project.Db, EmptyHtmlDb(), {}), QStringLiteral("select url, name from blog")),
              (QList<QVariantList>{{QStringLiteral("https://blog.example/"), QStringLiteral("")}}));

    // The name the top page gave at the last download comes first.
    project.Db->SetConfig(QStringLiteral("blog_name"), QStringLiteral("海辺の日記"));
    EXPECT_EQ(SqliteRows(CreateHtmlDb(*project.Db, EmptyHtmlDb(), {}), QStringLiteral("select url, name from blog")),
              (QList<QVariantList>{{QStringLiteral("https://blog.example/"), QStringLiteral("海辺の日記")}}));
}

TEST(HtmlDb, AnEmptyDatabaseWithoutTheBlogTableGetsIt)
{
    TTestProject project;
    project.Db->SetConfig(QStringLiteral("entry_url"), QStringLiteral("https://blog.example/"));
    const QString old = project.Temp.Path() + QStringLiteral("/old.mdb");
    ASSERT_TRUE(QFile::copy(EmptyHtmlDb(), old));
    SqliteRows(old, QStringLiteral("drop table blog"));
    const QString path = CreateHtmlDb(*project.Db, old, {});
    EXPECT_EQ(SqliteRows(path, QStringLiteral("select url, name from blog")),
              (QList<QVariantList>{{QStringLiteral("https://blog.example/"), QStringLiteral("")}}));
}

TEST(HtmlDb, TheBlogsNameIsTheEndingAllTitlesShare)
{
    EXPECT_EQ(BlogNameFromTitles({QStringLiteral("一 - 猫の庭"), QStringLiteral("二 - 猫の庭"), QString()}),
              QStringLiteral("猫の庭"));
    EXPECT_EQ(BlogNameFromTitles({QStringLiteral("一｜猫の庭"), QStringLiteral("二 ｜ 猫の庭")}), QStringLiteral("猫の庭"));
    EXPECT_EQ(BlogNameFromTitles({QStringLiteral("一 - 猫の庭")}), QString()) << "one title proves nothing";
    EXPECT_EQ(BlogNameFromTitles({QStringLiteral("一 - 猫の庭"), QStringLiteral("二 - 犬の庭")}), QString());
    EXPECT_EQ(BlogNameFromTitles({QStringLiteral("- 猫の庭"), QStringLiteral("- 猫の庭")}), QString());
    EXPECT_EQ(BlogNameFromTitles({QStringLiteral("一 - "), QStringLiteral("二 - ")}), QString());
    EXPECT_EQ(BlogNameFromTitles({QStringLiteral("plain"), QStringLiteral("plain")}), QString());
}

TEST(HtmlDb, EntriesLinksAndCategoriesKeepTheirValuesAndOrder)
{
    TTestProject project;
    const QString hostile = QStringLiteral("A & B <b>\"quoted\" 'single'</b>\r\nnext line\n日本語");
    project.AddEntry(QStringLiteral("http://blog.example/1?a=1&b=\"2\""), hostile,
                     EncodeDateTime(2024, 3, 9, 10, 20, 30), hostile);
    project.AddEntry(QStringLiteral("http://blog.example/2"), QStringLiteral("plain"),
                     EncodeDateTime(2023, 12, 31, 23, 59, 58, 250));
    project.AddEntry(QStringLiteral("http://blog.example/3"), QStringLiteral("no date"), 0);
    project.Db->InsertCategory(0, QStringLiteral(" "), QString());
    project.Db->InsertCategory(2, QStringLiteral("旅行 & <食>"), QStringLiteral("http://blog.example/c2"));
    project.Db->InsertCategory(5, QStringLiteral("five"), QStringLiteral("http://blog.example/c5"));
    project.Db->InsertCategoryEntries(5, {QStringLiteral("http://blog.example/1?a=1&b=\"2\"")});
    project.Db->InsertCategoryEntries(2, {QStringLiteral("http://blog.example/1?a=1&b=\"2\"")});

    const QString path = CreateHtmlDb(*project.Db, EmptyHtmlDb(), {});
    EXPECT_EQ(SqliteRows(path, QStringLiteral("select id, url, タイトル, 日付, コメント, typeof(コメント), "
                                              "datetime(日付) from entries order by rowid")),
              (QList<QVariantList>{
                  {1, QStringLiteral("http://blog.example/1?a=1&b=\"2\""), hostile,
                   QStringLiteral("2024-03-09 10:20:30"), hostile, QStringLiteral("text"),
                   QStringLiteral("2024-03-09 10:20:30")},
                  {2, QStringLiteral("http://blog.example/2"), QStringLiteral("plain"),
                   QStringLiteral("2023-12-31 23:59:58.250"), QStringLiteral(""), QStringLiteral("text"),
                   QStringLiteral("2023-12-31 23:59:58")},
                  {3, QStringLiteral("http://blog.example/3"), QStringLiteral("no date"),
                   QStringLiteral("1899-12-30 00:00:00"), QStringLiteral(""), QStringLiteral("text"),
                   QStringLiteral("1899-12-30 00:00:00")}}));
    // An entry without links has the single category 0.
    EXPECT_EQ(SqliteRows(path, QStringLiteral("select entry_id, category_id from entries_categories "
                                              "order by rowid")),
              (QList<QVariantList>{{1, 2}, {1, 5}, {2, 0}, {3, 0}}));
    EXPECT_EQ(SqliteRows(path, QStringLiteral("select id, name, url from categories order by rowid")),
              (QList<QVariantList>{{0, QStringLiteral(" "), QStringLiteral("")},
                                   {2, QStringLiteral("旅行 & <食>"), QStringLiteral("http://blog.example/c2")},
                                   {5, QStringLiteral("five"), QStringLiteral("http://blog.example/c5")}}));
}

TEST(HtmlDb, ConfigLinesTakeTheValueOfTheFirstLineOfTheirName)
{
    TTestProject project;
    const QString path = CreateHtmlDb(*project.Db, EmptyHtmlDb(),
                                      {QStringLiteral("Title=first"), QStringLiteral("title=second"),
                                       QStringLiteral("TITLE=third"), QStringLiteral("query=a=b&c=\"d\""),
                                       QStringLiteral("Title=fourth")});
    EXPECT_EQ(SqliteRows(path, QStringLiteral("select name, data from html order by rowid")),
              (QList<QVariantList>{{QStringLiteral("Title"), QStringLiteral("first")},
                                   {QStringLiteral("title"), QStringLiteral("first")},
                                   {QStringLiteral("TITLE"), QStringLiteral("first")},
                                   {QStringLiteral("query"), QStringLiteral("a=b&c=\"d\"")},
                                   {QStringLiteral("Title"), QStringLiteral("first")}}));
}

TEST(HtmlDb, EachExportIsANewFileAndTheShippedDatabaseStaysEmpty)
{
    TTestProject project;
    project.AddEntry(QStringLiteral("http://blog.example/1"), QStringLiteral("one"), 45000);
    const QByteArray before = FileHash(EmptyHtmlDb());
    const QString first = CreateHtmlDb(*project.Db, EmptyHtmlDb(), {QStringLiteral("a=1")});
    const QString second = CreateHtmlDb(*project.Db, EmptyHtmlDb(), {QStringLiteral("a=2")});
    EXPECT_NE(first, second);
    EXPECT_EQ(SqliteRows(first, QStringLiteral("select data from html")), (QList<QVariantList>{{QStringLiteral("1")}}));
    EXPECT_EQ(SqliteRows(second, QStringLiteral("select data from html")), (QList<QVariantList>{{QStringLiteral("2")}}));
    EXPECT_EQ(SqliteRows(second, QStringLiteral("select count(*) from entries")), (QList<QVariantList>{{1}}));
    EXPECT_EQ(FileHash(EmptyHtmlDb()), before);
}

TEST(HtmlDb, FailedExportsRaiseAClearErrorAndLeaveNothingBehind)
{
    TTestProject project;
    project.AddEntry(QStringLiteral("http://blog.example/1"), QStringLiteral("one"), 45000);
    const QStringList before = project.Temp.Files();

    try {
        CreateHtmlDb(*project.Db, project.Temp.Path() + QStringLiteral("/no such/html.mdb"), {});
        ADD_FAILURE() << "no error";
    } catch (const EVarnokiError &error) {
        EXPECT_EQ(error.Message(), QStringLiteral("データファイルの作成に失敗しました。"));
    }
    EXPECT_EQ(project.Temp.Files(), before);

    // A file that is no output database fails at the first row, and the copy goes too.
    QTemporaryDir folder;
    const QString broken = folder.filePath(QStringLiteral("html.mdb"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a database at all, but long enough to look like a header of one...");
    file.close();
    try {
        CreateHtmlDb(*project.Db, broken, {});
        ADD_FAILURE() << "no error";
    } catch (const EVarnokiError &error) {
        EXPECT_TRUE(error.Message().startsWith(QStringLiteral("出力データベース"))) << error.what();
    }
    EXPECT_EQ(project.Temp.Files(), before);
}

} // namespace
