#include "Fixtureblog.h"
#include "Projectfixture.h"
#include "Recordinghost.h"

#include "platform/Tappconfig.h"
#include "retrieval/Tentrydownload.h"

#include <QRegularExpression>

namespace {
using TPage = TFixtureBlog::TPage;

const QList<TPage> ThreeEntries = {
    {QStringLiteral("/entry/3"), QStringLiteral("三つ目 \"引用\" & 'x' \\ 漢字"), QStringLiteral("2024/03/01 12:34:56"), {}},
    {QStringLiteral("/entry/2"), QStringLiteral("二つ目"), QStringLiteral("2024-02-01"), {}},
    {QStringLiteral("/entry/1"), QStringLiteral("最初の記事"), QStringLiteral("2024年1月2日 3時4分"), {}},
};

class EntryDownloadTest : public ProjectTest
{
protected:
    void SetUp() override
    {
        ProjectTest::SetUp();
        TAppConfig::GetInstance().SetDefaults();
    }

    bool Run(TFixtureBlog &blog, bool newOnly, TRecordingHost &host)
    {
        TEntryDownloadJob job(*FDb, blog.BlogConfig(), blog.TopUrl(), newOnly, host);
        return job.RunDownload();
    }

    QStringList StoredUrls()
    {
        QStringList urls;
        for (const TEntry &entry : FDb->LoadEntries())
            urls << entry.GetUrl();
        return urls;
    }
};
} // namespace

TEST_F(EntryDownloadTest, FullWalkStoresEveryEntryNewestFirst)
{
    TFixtureBlog blog;
    blog.SetEntries(ThreeEntries);
    TRecordingHost host;
    EXPECT_TRUE(Run(blog, false, host));

    EXPECT_EQ(host.Log, (QStringList{
                            QStringLiteral("OK: ") + blog.Url(QStringLiteral("/entry/3")) + QStringLiteral(" 最新エントリーのURLを取得しました。"),
                            QStringLiteral("OK: ") + blog.Url(QStringLiteral("/entry/3")) + QStringLiteral(" 三つ目 \"引用\" & 'x' \\ 漢字"),
                            QStringLiteral("OK: ") + blog.Url(QStringLiteral("/entry/2")) + QStringLiteral(" 二つ目"),
                            QStringLiteral("OK: ") + blog.Url(QStringLiteral("/entry/1")) + QStringLiteral(" 最初の記事"),
                            QStringLiteral("終了しました。")}));
    const TEntryList entries = FDb->LoadEntries();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].GetId(), 1);
    EXPECT_EQ(entries[0].GetTitle(), ThreeEntries[0].title);
    EXPECT_EQ(DateTimeToQDateTime(entries[0].GetCreatedOn()),
              QDateTime(QDate(2024, 3, 1), QTime(12, 34, 56), Qt::UTC));
    EXPECT_EQ(DateTimeToQDateTime(entries[2].GetCreatedOn()),
              QDateTime(QDate(2024, 1, 2), QTime(3, 4), Qt::UTC));
    EXPECT_EQ(host.Urls.first(), blog.TopUrl());
    EXPECT_TRUE(host.Waits.isEmpty()); // SleepTime 0
}

TEST_F(EntryDownloadTest, FullWalkReplacesWhatWasStored)
{
    FDb->InsertEntry(QStringLiteral("http://old/"), QStringLiteral("old"), 0, false);
    TFixtureBlog blog;
    blog.SetEntries(ThreeEntries.mid(0, 1));
    TRecordingHost host;
    EXPECT_TRUE(Run(blog, false, host));
    EXPECT_EQ(StoredUrls(), QStringList{blog.Url(QStringLiteral("/entry/3"))});
}

TEST_F(EntryDownloadTest, PagesInEveryJapaneseEncodingReadTheSame)
{
    const QList<QPair<QString, QByteArray>> encodings = {
        {QStringLiteral("Shift_JIS"), "Shift_JIS"},
        {QStringLiteral("EUC-JP"), "EUC-JP"},
        {QStringLiteral("ISO-2022-JP"), "ISO-2022-JP"},
        {QStringLiteral("UTF-8"), "UTF-8"},
        // No name for it in the table: detected by its byte-order mark.
        {QStringLiteral("auto"), "UTF-16LE"},
    };
    for (const auto &[encode, codec] : encodings) {
        SCOPED_TRACE(codec.constData());
        TFixtureBlog blog(encode, codec);
        blog.SetEntries(ThreeEntries);
        TRecordingHost host;
        EXPECT_TRUE(Run(blog, false, host)) << host.Log.join(QLatin1Char('\n')).toStdString();
        const TEntryList entries = FDb->LoadEntries();
        ASSERT_EQ(entries.size(), 3);
        EXPECT_EQ(entries[0].GetTitle(), ThreeEntries[0].title);
        EXPECT_EQ(entries[2].GetTitle(), ThreeEntries[2].title);
    }
}

TEST_F(EntryDownloadTest, LatestOnlyMergesNewEntriesInFront)
{
    TFixtureBlog blog;
    blog.SetEntries(ThreeEntries.mid(1));
    TRecordingHost first;
    ASSERT_TRUE(Run(blog, false, first));
    TEntry known = FDb->LoadEntries().at(1);
    known.SetComment(QStringLiteral("残るコメント"));
    FDb->SaveComment(known);

    QList<TPage> grown = ThreeEntries;
    grown.prepend({QStringLiteral("/entry/4"), QStringLiteral("四つ目"), QStringLiteral("2024/04/01"), {}});
    blog.SetEntries(grown);
    TRecordingHost host;
    EXPECT_TRUE(Run(blog, true, host));
    EXPECT_EQ(host.Log, (QStringList{
                            QStringLiteral("OK: ") + blog.Url(QStringLiteral("/entry/4")) + QStringLiteral(" 最新エントリーのURLを取得しました。"),
                            QStringLiteral("OK: ") + blog.Url(QStringLiteral("/entry/4")) + QStringLiteral(" 四つ目"),
                            QStringLiteral("OK: ") + blog.Url(QStringLiteral("/entry/3")) + QStringLiteral(" 三つ目 \"引用\" & 'x' \\ 漢字"),
                            QStringLiteral("終了しました。")}));
    const TEntryList entries = FDb->LoadEntries();
    QStringList urls;
    for (const TEntry &entry : entries)
        urls << entry.GetUrl().mid(blog.Url(QString()).size());
    EXPECT_EQ(urls, (QStringList{QStringLiteral("/entry/4"), QStringLiteral("/entry/3"),
                                 QStringLiteral("/entry/2"), QStringLiteral("/entry/1")}));
    EXPECT_EQ(entries[3].GetId(), 4);
    EXPECT_EQ(entries[3].GetComment(), QStringLiteral("残るコメント"));
    // The known entry that stopped the walk was fetched, nothing after it.
    EXPECT_EQ(blog.Server.RequestCount("/entry/2"), 2);
    EXPECT_EQ(blog.Server.RequestCount("/entry/1"), 1);

    // Up to date: the walk stops at the newest entry at once.
    TRecordingHost again;
    EXPECT_TRUE(Run(blog, true, again));
    EXPECT_EQ(again.Log.size(), 2);
    EXPECT_EQ(again.Log.last(), QStringLiteral("終了しました。"));
    EXPECT_EQ(FDb->LoadEntries().size(), 4);
}

TEST_F(EntryDownloadTest, CancelStopsTheWalkAndKeepsWhatWasFound)
{
    TFixtureBlog blog;
    blog.SetEntries(ThreeEntries);
    TRecordingHost host;
    host.CancelWhen = [](const TRecordingHost &h) { return h.Log.size() >= 3; };
    EXPECT_TRUE(Run(blog, false, host));
    EXPECT_EQ(host.Log.size(), 4);
    EXPECT_EQ(host.Log.last(), QStringLiteral("終了しました。"));
    EXPECT_EQ(FDb->LoadEntries().size(), 2);

    // In latest-only mode the entries found before Cancel are merged.
    FDb->DeleteEntries(false);
    FDb->InsertEntry(blog.Url(QStringLiteral("/entry/1")), QStringLiteral("最初の記事"), 0, false);
    TRecordingHost latest;
    latest.CancelWhen = [](const TRecordingHost &h) { return h.Log.size() >= 2; };
    EXPECT_TRUE(Run(blog, true, latest));
    EXPECT_EQ(StoredUrls(), (QStringList{blog.Url(QStringLiteral("/entry/3")), blog.Url(QStringLiteral("/entry/1"))}));
}

TEST_F(EntryDownloadTest, CancelDuringAStalledFetchIsNoticed)
{
    TFixtureBlog blog;
    blog.SetEntries(ThreeEntries);
    blog.Server.SetRoute("/entry/2", THttpTestResponse::Stall());
    TRecordingHost host;
    int runsAtStall = -1;
    host.CancelWhen = [&](const TRecordingHost &h) {
        if (h.Urls.size() < 3)
            return false;
        if (runsAtStall < 0)
            runsAtStall = h.EventRuns;
        return h.EventRuns > runsAtStall + 3; // the fetch keeps the window alive meanwhile
    };
    EXPECT_TRUE(Run(blog, false, host));
    EXPECT_EQ(host.Log.last(), QStringLiteral("終了しました。"));
    EXPECT_EQ(FDb->LoadEntries().size(), 1);
}

TEST_F(EntryDownloadTest, FailuresAreLoggedAsTwoLines)
{
    TRecordingHost host;
    {
        TFixtureBlog blog;
        blog.SetEntries(ThreeEntries);
        FDb->InsertEntry(QStringLiteral("http://old/"), QStringLiteral("old"), 0, false);
        TEntryDownloadJob job(*FDb, blog.BlogConfig(QStringLiteral("missing.js")), blog.TopUrl(), false, host);
        EXPECT_FALSE(job.RunDownload());
        EXPECT_EQ(host.Log, (QStringList{QStringLiteral("Error: ") + blog.TopUrl(),
                                         QStringLiteral("ブログのスクリプトファイルが見つかりません。")}));
        EXPECT_TRUE(FDb->LoadEntries().isEmpty()); // emptied before anything can fail
    }
    {
        TFixtureBlog blog;
        blog.SetPage(QStringLiteral("/"), QStringLiteral("<html>no link</html>"));
        TRecordingHost empty;
        EXPECT_FALSE(Run(blog, false, empty));
        EXPECT_EQ(empty.Log, (QStringList{QStringLiteral("Error: "),
                                          QStringLiteral("最新エントリーのURLの取得に失敗しました。")}));
    }
    {
        TFixtureBlog blog;
        QList<TPage> pages = ThreeEntries;
        pages[1].title.clear();
        pages[1].date.clear();
        blog.SetEntries(pages);
        TRecordingHost blank;
        EXPECT_FALSE(Run(blog, false, blank));
        const QString url = blog.Url(QStringLiteral("/entry/2"));
        EXPECT_EQ(blank.Log.mid(2), (QStringList{QStringLiteral("Error: ") + url, QStringLiteral("ERROR: ") + url}));
    }
    {
        TFixtureBlog blog;
        QList<TPage> pages = ThreeEntries;
        pages[2].extra = QStringLiteral("BOOM");
        blog.SetEntries(pages);
        TRecordingHost script;
        EXPECT_FALSE(Run(blog, false, script));
        ASSERT_EQ(script.Log.size(), 5);
        EXPECT_EQ(script.Log[3], QStringLiteral("Error: ") + blog.Url(QStringLiteral("/entry/1")));
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+,\\d+:.+")).match(script.Log[4]).hasMatch())
            << script.Log[4].toStdString();
        EXPECT_EQ(FDb->LoadEntries().size(), 2);
    }
}

TEST_F(EntryDownloadTest, UnreadableDatesAreStoredAsZero)
{
    TFixtureBlog blog;
    QList<TPage> pages = ThreeEntries;
    pages[0].date = QStringLiteral("いつか");
    pages[1].date.clear();
    blog.SetEntries(pages);
    TRecordingHost host;
    EXPECT_TRUE(Run(blog, false, host));
    EXPECT_TRUE(host.Log.contains(QStringLiteral("Error: いつか は日付ではありません。")));
    EXPECT_TRUE(host.Log.contains(QStringLiteral("Error:  は日付ではありません。")));
    const TEntryList entries = FDb->LoadEntries();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].GetCreatedOn(), 0.0);
    EXPECT_EQ(entries[1].GetCreatedOn(), 0.0);
}

TEST_F(EntryDownloadTest, ACycleEndsTheWalkNamingTheUrl)
{
    TFixtureBlog blog;
    blog.SetEntries(ThreeEntries);
    // The oldest entry links back to the newest.
    blog.SetPage(QStringLiteral("/entry/1"),
                 QStringLiteral("<h1>最初の記事</h1><span class=\"date\">2024/01/02</span><a class=\"prev\" href=\"%1\">")
                     .arg(blog.Url(QStringLiteral("/entry/3"))));
    for (bool newOnly : {false, true}) {
        FDb->DeleteEntries(false);
        TRecordingHost host;
        EXPECT_TRUE(Run(blog, newOnly, host));
        EXPECT_TRUE(host.Log.contains(QStringLiteral("同じページに戻ったため巡回を終えます: ")
                                      + blog.Url(QStringLiteral("/entry/3"))))
            << host.Log.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(host.Log.last(), QStringLiteral("終了しました。"));
        EXPECT_EQ(FDb->LoadEntries().size(), 3);
    }
}

TEST_F(EntryDownloadTest, WaitsFollowTheSettings)
{
    TFixtureBlog blog;
    blog.SetEntries(ThreeEntries);
    TAppConfig::GetInstance().SetSleepTime(250);
    TRecordingHost host;
    EXPECT_TRUE(Run(blog, false, host));
    EXPECT_EQ(host.Waits, (QList<int>{250, 250, 250, 250}));

    TAppConfig::GetInstance().SetSleepTime(-5);
    TRecordingHost negative;
    EXPECT_TRUE(Run(blog, false, negative));
    EXPECT_TRUE(negative.Waits.isEmpty());
}

TEST_F(EntryDownloadTest, UnreachableHostIsNamedInTheErrorLines)
{
    quint16 closedPort;
    {
        THttpTestServer gone;
        closedPort = gone.Port();
    }
    TFixtureBlog blog;
    const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(closedPort);
    TRecordingHost host;
    TEntryDownloadJob job(*FDb, blog.BlogConfig(), url, false, host);
    EXPECT_FALSE(job.RunDownload());
    ASSERT_EQ(host.Log.size(), 3);
    EXPECT_EQ(host.Log[1], QStringLiteral("最新エントリーのURLの取得に失敗しました。"));
    EXPECT_TRUE(host.Log[2].startsWith(QStringLiteral("通信エラー"))) << host.Log[2].toStdString();
}
