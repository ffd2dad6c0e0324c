#include "Projectfixture.h"

#include "platform/Varnokierror.h"

#include <QFile>

namespace {
QStringList Urls(const TEntryList &entries)
{
    QStringList urls;
    for (const TEntry &entry : entries)
        urls << entry.GetUrl();
    return urls;
}

QList<int> Ids(const TEntryList &entries)
{
    QList<int> ids;
    for (const TEntry &entry : entries)
        ids << entry.GetId();
    return ids;
}

TEntry Find(const TEntryList &entries, const QString &url)
{
    for (const TEntry &entry : entries)
        if (entry.GetUrl() == url)
            return entry;
    ADD_FAILURE() << "no entry " << url.toStdString();
    return TEntry();
}
} // namespace

using EntriesTest = ProjectTest;

TEST_F(EntriesTest, InsertNumbersFromOneInInsertionOrder)
{
    EXPECT_EQ(FDb->GetMaxEntryId(false), 0);
    const TDateTime date = EncodeDateTime(2024, 3, 31, 23, 59, 58);
    FDb->InsertEntry(QStringLiteral("http://b/3"), QStringLiteral("three"), date, false);
    FDb->InsertEntry(QStringLiteral("http://b/2"), QStringLiteral("two"), 0, false);
    FDb->InsertEntry(QStringLiteral("http://b/1"), QStringLiteral("one"), 1.5, false);

    const TEntryList entries = FDb->LoadEntries();
    EXPECT_EQ(Ids(entries), (QList<int>{1, 2, 3}));
    EXPECT_EQ(Urls(entries), (QStringList{QStringLiteral("http://b/3"), QStringLiteral("http://b/2"),
                                          QStringLiteral("http://b/1")}));
    EXPECT_EQ(entries[0].GetTitle(), QStringLiteral("three"));
    EXPECT_DOUBLE_EQ(entries[0].GetCreatedOn(), date);
    EXPECT_DOUBLE_EQ(entries[1].GetCreatedOn(), 0.0);
    EXPECT_DOUBLE_EQ(entries[2].GetCreatedOn(), 1.5);
    EXPECT_EQ(entries[0].GetComment(), QString());
    EXPECT_EQ(entries[0].GetCategoryIds(), QList<int>{0});
}

TEST_F(EntriesTest, ExistsLooksAtEntriesOnly)
{
    FDb->InsertEntry(QStringLiteral("http://b/known"), QStringLiteral("k"), 0, false);
    FDb->InsertEntry(QStringLiteral("http://b/staged"), QStringLiteral("s"), 0, true);
    EXPECT_TRUE(FDb->ExistsEntry(QStringLiteral("http://b/known")));
    EXPECT_FALSE(FDb->ExistsEntry(QStringLiteral("http://b/staged")));
    EXPECT_FALSE(FDb->ExistsEntry(QStringLiteral("http://b/KNOWN")));
    EXPECT_EQ(FDb->GetMaxEntryId(true), 1);
}

TEST_F(EntriesTest, DeleteEmptiesOnlyTheChosenTable)
{
    FDb->InsertEntry(QStringLiteral("http://b/a"), QStringLiteral("a"), 0, false);
    FDb->InsertEntry(QStringLiteral("http://b/b"), QStringLiteral("b"), 0, true);
    FDb->DeleteEntries(true);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from tmp_entries")), 0);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from entries")), 1);
    FDb->DeleteEntries(false);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from entries")), 0);
}

TEST_F(EntriesTest, LoadFoldsLinksIntoOneEntry)
{
    FDb->InsertEntry(QStringLiteral("http://b/linked"), QStringLiteral("linked"), 0, false);
    FDb->InsertEntry(QStringLiteral("http://b/plain"), QStringLiteral("plain"), 0, false);
    FDb->InsertCategoryEntries(5, {QStringLiteral("http://b/linked")});
    FDb->InsertCategoryEntries(2, {QStringLiteral("http://b/linked")});
    TEntry commented;
    {
        const TEntryList entries = FDb->LoadEntries();
        commented = entries[0];
    }
    commented.SetComment(QStringLiteral("読んだ"));
    FDb->SaveComment(commented);

    const TEntryList entries = FDb->LoadEntries();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].GetCategoryIds(), (QList<int>{2, 5}));
    EXPECT_EQ(entries[0].GetComment(), QStringLiteral("読んだ"));
    EXPECT_EQ(entries[1].GetCategoryIds(), QList<int>{0});
    EXPECT_EQ(entries[1].GetComment(), QString());
}

TEST_F(EntriesTest, CommentIsReplacedNotAdded)
{
    FDb->InsertEntry(QStringLiteral("http://b/a"), QStringLiteral("a"), 0, false);
    TEntry entry = FDb->LoadEntries().first();
    entry.SetComment(QStringLiteral("first"));
    FDb->SaveComment(entry);
    entry.SetComment(QString());
    FDb->SaveComment(entry);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from comments")), 1);
    EXPECT_EQ(FDb->LoadEntries().first().GetComment(), QString());
}

TEST_F(EntriesTest, MergePutsNewEntriesFirstAndKeepsCommentsAndLinks)
{
    for (const char *url : {"http://b/c", "http://b/b", "http://b/a"})
        FDb->InsertEntry(QLatin1String(url), QLatin1String(url).right(1), 0, false);
    TEntry b = Find(FDb->LoadEntries(), QStringLiteral("http://b/b"));
    b.SetComment(QStringLiteral("comment of b"));
    FDb->SaveComment(b);
    FDb->InsertCategoryEntries(1, {QStringLiteral("http://b/a")});

    FDb->DeleteEntries(true);
    FDb->InsertEntry(QStringLiteral("http://b/e"), QStringLiteral("e"), 0, true);
    FDb->InsertEntry(QStringLiteral("http://b/d"), QStringLiteral("d"), 0, true);
    FDb->MergeTmpEntries();

    const TEntryList entries = FDb->LoadEntries();
    EXPECT_EQ(Ids(entries), (QList<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Urls(entries),
              (QStringList{QStringLiteral("http://b/e"), QStringLiteral("http://b/d"),
                           QStringLiteral("http://b/c"), QStringLiteral("http://b/b"),
                           QStringLiteral("http://b/a")}));
    EXPECT_EQ(entries[3].GetComment(), QStringLiteral("comment of b"));
    EXPECT_EQ(entries[4].GetCategoryIds(), QList<int>{1});
    EXPECT_EQ(Count(QStringLiteral("select count(*) from tmp_entries")), 0);

    // An empty staging table only renumbers.
    FDb->MergeTmpEntries();
    EXPECT_EQ(Urls(FDb->LoadEntries()), Urls(entries));
}

TEST_F(EntriesTest, LongTextsRoundTrip)
{
    const QString url = QStringLiteral("https://example.jp/") + QString(2000, QLatin1Char('u'));
    const QString title = QString(2000, QChar(0x3042)) + QStringLiteral("😀");
    FDb->InsertEntry(url, title, 0, false);
    TEntry entry = FDb->LoadEntries().first();
    const QString comment = QString(100000, QChar(0x6F22)) + QStringLiteral("\r\n終");
    entry.SetComment(comment);
    FDb->SaveComment(entry);

    FDb->CopyTo(Path(QStringLiteral("long.FDB")));
    TLdbDb other;
    other.Open(Path(QStringLiteral("long.FDB")), false);
    const TEntry loaded = other.LoadEntries().first();
    EXPECT_EQ(loaded.GetUrl(), url);
    EXPECT_EQ(loaded.GetTitle(), title);
    EXPECT_EQ(loaded.GetComment(), comment);
    QFile::remove(other.GetWorkFileName());
}

TEST_F(EntriesTest, TooLongUrlIsRefusedAndNothingIsStored)
{
    const QString url = QStringLiteral("https://example.jp/") + QString(1400, QChar(0x3042));
    EXPECT_THROW(FDb->InsertEntry(url, QStringLiteral("t"), 0, false), EVarnokiError);
    EXPECT_THROW(FDb->InsertCategoryEntries(1, {QStringLiteral("http://ok/"), url}), EVarnokiError);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from entries")), 0);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from categories_entry")), 0);
}
