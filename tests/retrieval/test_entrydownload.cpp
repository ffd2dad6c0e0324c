#include "Fixtureblog.h"
#include "Httptestproxy.h"
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

const QString KeptLine = QStringLiteral("取得が最後まで終わらなかったため、以前のエントリー一覧を残し、"
                                       "今回取得したエントリーをその前に加えました。");

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
    const QList<THttpTestRequest> requests = blog.Server.Requests();
    ASSERT_EQ(requests.size(), 4);
    for (const THttpTestRequest &request : requests)
        EXPECT_EQ(request.Header("User-Agent"), "Varnoki/" VARNOKI_VERSION " (+blog table of contents)");
}

TEST_F(EntryDownloadTest, AnOldScriptWhoseFirstLineFailsStillReadsTheBlog)
{
    TFixtureBlog blog;
    blog.SetEntries(ThreeEntries);
    TRecordingHost host;
    TEntryDownloadJob job(*FDb, blog.OldStyleBlogConfig(), blog.TopUrl(), false, host);
    EXPECT_TRUE(job.RunDownload()) << host.Log.join(QLatin1Char('\n')).toStdString();

    ASSERT_EQ(host.Log.size(), 6);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Warning: .*: 1,\\d+:ReferenceError: .*ActiveXObject"))
                    .match(host.Log[0])
                    .hasMatch())
        << host.Log[0].toStdString();
    EXPECT_TRUE(host.Log[1].startsWith(QStringLiteral("OK: ")));
    EXPECT_EQ(host.Log.last(), QStringLiteral("終了しました。"));
    EXPECT_EQ(StoredUrls(), (QStringList{blog.Url(QStringLiteral("/entry/3")), blog.Url(QStringLiteral("/entry/2")),
                                         blog.Url(QStringLiteral("/entry/1"))}));
    EXPECT_EQ(FDb->LoadEntries().at(1).GetTitle(), QStringLiteral("二つ目"));
}

TEST_F(EntryDownloadTest, TheProxyOfTheSettingsCarriesEveryFetch)
{
    TFixtureBlog blog;
    blog.SetEntries(ThreeEntries);
    THttpTestProxy proxy;
    TAppConfig &config = TAppConfig::GetInstance();
    config.SetProxyServer(QStringLiteral("127.0.0.1"));
    config.SetProxyPort(proxy.Port());
    const QStringList targets = {blog.TopUrl(), blog.Url(QStringLiteral("/entry/3")),
                                 blog.Url(QStringLiteral("/entry/2")), blog.Url(QStringLiteral("/entry/1"))};

    for (const bool useProxy : {false, true}) {
        SCOPED_TRACE(useProxy ? "proxy on" : "proxy off");
        config.SetUseProxy(useProxy);
        blog.Server.ClearRequests();
        TRecordingHost host;
        EXPECT_TRUE(Run(blog, false, host)) << host.Log.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(StoredUrls(), targets.mid(1));
        EXPECT_EQ(blog.Server.Requests().size(), 4);
        QStringList proxied;
        for (const THttpTestRequest &request : proxy.Requests())
            proxied << QString::fromUtf8(request.Target);
        EXPECT_EQ(proxied, useProxy ? targets : QStringList());
    }
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

TEST_F(EntryDownloadTest, AFullWalkThatFindsFarFewerEntriesReplacesThemOnlyWithTheUsersWord)
{
    struct TCase
    {
        int held;
        bool latestOnly;
        bool answer;
        bool asked;
        int stored;
    };
    // The blog now shows three entries, none of them held.
    const TCase cases[] = {
        {12, false, false, true, 12}, {12, false, true, true, 3}, {9, false, false, false, 3},
        {6, false, false, false, 3},  {12, true, false, false, 15},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.held << (c.latestOnly ? " latest-only" : "") << " answer " << c.answer);
        FDb->DeleteEntries(false);
        for (int i = c.held; i > 0; --i)
            FDb->InsertEntry(QStringLiteral("http://old/%1").arg(i), QStringLiteral("old"), 0, false);
        // The type of the last download, which the question names since it changed.
        FDb->SetConfig(QStringLiteral("entry_blog_type"), QStringLiteral("はてなブログ"));
        TFixtureBlog blog;
        blog.SetEntries(ThreeEntries);
        TRecordingHost host;
        host.ReplaceAnswer = c.answer;
        EXPECT_EQ(Run(blog, c.latestOnly, host), !c.asked || c.answer);
        EXPECT_EQ(host.Questions.size(), c.asked ? 1 : 0);
        if (c.asked) {
            EXPECT_TRUE(host.Questions.value(0).contains(QStringLiteral("前回の取得時の「はてなブログ」から「")));
        }
        EXPECT_EQ(FDb->GetEntryCount(false), c.stored);
        EXPECT_EQ(FDb->GetEntryCount(true), 0);
        if (c.asked && !c.answer) {
            EXPECT_EQ(host.Log.last(), QStringLiteral("取得したエントリーは 3 件で、これまでの 12 件より少ないため、"
                                                      "以前のエントリー一覧をそのまま残しました。"));
        }
    }

    const QString type = QStringLiteral("汎用");
    EXPECT_EQ(TEntryDownloadJob::ShrinkQuestion(1, 10, QString(), type),
              QStringLiteral("取得したエントリーは 1 件で、これまでの 10 件より少なくなります。一覧を置き換えますか？"));
    EXPECT_EQ(TEntryDownloadJob::ShrinkQuestion(4, 10, type, type).isEmpty(), false);
    EXPECT_EQ(TEntryDownloadJob::ShrinkQuestion(5, 10, QString(), type), QString());
    EXPECT_EQ(TEntryDownloadJob::ShrinkQuestion(1, 10, QStringLiteral("はてなブログ"), type),
              QStringLiteral("取得したエントリーは 1 件で、これまでの 10 件より少なくなります。"
                             "ブログの種類が前回の取得時の「はてなブログ」から「汎用」に変わっています。一覧を置き換えますか？"));
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
                                         QStringLiteral("ブログのスクリプトファイルが見つかりません。"),
                                         KeptLine}));
        EXPECT_EQ(StoredUrls(), QStringList{QStringLiteral("http://old/")});
        FDb->DeleteEntries(false);
    }
    {
        TFixtureBlog blog;
        blog.SetPage(QStringLiteral("/"), QStringLiteral("<html>no link</html>"));
        TRecordingHost empty;
        EXPECT_FALSE(Run(blog, false, empty));
        EXPECT_EQ(empty.Log, (QStringList{QStringLiteral("Error: ") + blog.TopUrl(),
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
        FDb->DeleteEntries(false);
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

namespace {
// What a walk can meet on its way: each ends a full walk before its last page.
struct TWalkFailure
{
    const char *name;
    std::function<void(TFixtureBlog &)> arrange;
    bool cancelled = false;
};

QString FailingPage(TFixtureBlog &blog)
{
    return QStringLiteral("<html><body><h1>工事中</h1><span class=\"date\">2024/05/01</span>"
                          "<a class=\"prev\" href=\"%1\">前</a></body></html>")
        .arg(blog.Url(QStringLiteral("/entry/2")));
}

const TWalkFailure WalkFailures[] = {
    {"maintenance page", [](TFixtureBlog &blog) {
         blog.Server.SetRoute("/new/1", THttpTestResponse::WithStatus(503, FailingPage(blog).toUtf8()));
     }},
    {"missing page", [](TFixtureBlog &blog) {
         blog.Server.SetRoute("/new/1", THttpTestResponse::WithStatus(404, FailingPage(blog).toUtf8()));
     }},
    {"page cut short", [](TFixtureBlog &blog) {
         THttpTestResponse cut = THttpTestResponse::Html(FailingPage(blog).toUtf8());
         cut.Header("Content-Length", QByteArray::number(cut.Body.size() + 500));
         blog.Server.SetRoute("/new/1", cut);
     }},
    {"script error", [](TFixtureBlog &blog) {
         blog.SetPage(QStringLiteral("/new/1"), FailingPage(blog) + QStringLiteral("BOOM"));
     }},
    {"server gone", [](TFixtureBlog &blog) {
         // The known entry's older link leads to a server that is not there any more.
         blog.SetPage(QStringLiteral("/entry/3"),
                      QStringLiteral("<html><body><h1>三（改）</h1><span class=\"date\">2024/03/03</span>"
                                     "<a class=\"prev\" href=\"http://127.0.0.1:9/new/1\">前</a></body></html>"));
     }},
    {"cancel", [](TFixtureBlog &) {}, true},
};
} // namespace

TEST_F(EntryDownloadTest, AFullWalkThatDoesNotEndKeepsTheEarlierList)
{
    for (const TWalkFailure &failure : WalkFailures) {
        SCOPED_TRACE(failure.name);
        FDb->DeleteEntries(false);
        FDb->DeleteCategoryEntries();
        TFixtureBlog blog;
        const QString e1 = blog.Url(QStringLiteral("/entry/1"));
        const QString e2 = blog.Url(QStringLiteral("/entry/2"));
        const QString e3 = blog.Url(QStringLiteral("/entry/3"));
        FDb->InsertEntry(e3, QStringLiteral("三"), 0, false);
        FDb->InsertEntry(e2, QStringLiteral("二"), 0, false);
        FDb->InsertEntry(e1, QStringLiteral("一"), 0, false);
        TEntry commented = FDb->LoadEntries().at(1);
        commented.SetComment(QStringLiteral("残るコメント"));
        FDb->SaveComment(commented);
        FDb->InsertCategoryEntries(1, {e1, e3});

        // Newest first: a new entry, a known one read again, then the page that fails.
        blog.SetEntries({{QStringLiteral("/new/2"), QStringLiteral("新しい記事"), QStringLiteral("2024/06/01"), {}},
                         {QStringLiteral("/entry/3"), QStringLiteral("三（改）"), QStringLiteral("2024/03/03"), {}},
                         {QStringLiteral("/new/1"), QStringLiteral("届かない記事"), QStringLiteral("2024/05/01"), {}},
                         {QStringLiteral("/entry/2"), QStringLiteral("二"), QStringLiteral("2024/02/02"), {}}});
        failure.arrange(blog);
        TRecordingHost host;
        if (failure.cancelled)
            host.CancelWhen = [](const TRecordingHost &h) { return h.Log.size() >= 3; };
        EXPECT_EQ(Run(blog, false, host), failure.cancelled);
        EXPECT_TRUE(host.Log.contains(KeptLine)) << host.Log.join(u'\n').toStdString();

        const TEntryList entries = FDb->LoadEntries();
        QStringList rows;
        for (const TEntry &entry : entries)
            rows << QStringLiteral("%1 %2 %3 %4 %5")
                        .arg(entry.GetId())
                        .arg(entry.GetUrl().mid(blog.Url(QString()).size()), entry.GetTitle(),
                             entry.GetComment())
                        .arg(entry.GetCategoryIds().first());
        EXPECT_EQ(rows, (QStringList{QStringLiteral("1 /new/2 新しい記事  0"),
                                     QStringLiteral("2 /entry/3 三（改）  1"),
                                     QStringLiteral("3 /entry/2 二 残るコメント 0"),
                                     QStringLiteral("4 /entry/1 一  1")}));
    }
}

TEST_F(EntryDownloadTest, ErrorPagesEndTheWalkNamingTheirStatus)
{
    TFixtureBlog blog;
    blog.SetEntries(ThreeEntries);
    blog.Server.SetRoute("/entry/2", THttpTestResponse::WithStatus(503, "<h1>メンテナンス中</h1>"
                                                                        "<span class=\"date\">2024/01/01</span>"));
    TRecordingHost host;
    EXPECT_FALSE(Run(blog, false, host));
    EXPECT_EQ(host.Log.mid(2), (QStringList{QStringLiteral("Error: ") + blog.Url(QStringLiteral("/entry/2")),
                                            QStringLiteral("HTTP エラー: HTTP/1.1 503 Service Unavailable")}));
    EXPECT_EQ(StoredUrls(), QStringList{blog.Url(QStringLiteral("/entry/3"))});

    // The top page too: its status follows the usual message.
    blog.Server.SetRoute("/", THttpTestResponse::WithStatus(
                                  403, "<a class=\"latest\" href=\"/entry/3\">最新</a>"));
    TRecordingHost top;
    EXPECT_FALSE(Run(blog, false, top));
    EXPECT_EQ(top.Log.mid(0, 3), (QStringList{QStringLiteral("Error: ") + blog.TopUrl(),
                                              QStringLiteral("最新エントリーのURLの取得に失敗しました。"),
                                              QStringLiteral("HTTP エラー: HTTP/1.1 403 Forbidden")}));
    EXPECT_EQ(StoredUrls(), QStringList{blog.Url(QStringLiteral("/entry/3"))});
}
