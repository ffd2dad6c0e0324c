#include "Projectfixture.h"
#include "Recordinghost.h"
#include "Serviceblogs.h"

#include "platform/Tappconfig.h"
#include "platform/Tdatetime.h"
#include "retrieval/Tcategorydownload.h"
#include "retrieval/Tentrydownload.h"

// The entry download reading a service's entry list (WordPress's REST API, Blogger's
// JSON feed, Hatena Blog's Atom feed, a paged RSS feed for the generic type) on blogs
// of some hundred entries, against the page walk of the same blog.

namespace {
using TService = TServiceBlog::TService;
using TListMode = TServiceBlog::TListMode;

const QString KeptLine = QStringLiteral("取得が最後まで終わらなかったため、以前のエントリー一覧を残し、"
                                       "今回取得したエントリーをその前に加えました。");
const QString FallbackStart = QStringLiteral("エントリーの一覧を読めないため、エントリーのページを順にたどります（");

struct TRow
{
    int id;
    QString url;
    QString title;
    QDateTime date;
    bool operator==(const TRow &) const = default;
};

void PrintTo(const TRow &row, std::ostream *os)
{
    *os << row.id << ' ' << row.url.toStdString() << ' ' << row.title.toStdString() << ' '
        << row.date.toString(Qt::ISODate).toStdString();
}

class EntryListTest : public ProjectTest, public ::testing::WithParamInterface<TService>
{
protected:
    void SetUp() override
    {
        ProjectTest::SetUp();
        TAppConfig::GetInstance().SetDefaults();
    }

    bool Run(TServiceBlog &blog, bool newOnly, TRecordingHost &host)
    {
        blog.Server.ClearRequests();
        TEntryDownloadJob job(*FDb, blog.BlogConfig(), blog.TopUrl(), newOnly, host);
        return job.RunDownload();
    }

    QList<TRow> Rows()
    {
        QList<TRow> rows;
        for (const TEntry &entry : FDb->LoadEntries())
            rows.append({entry.GetId(), entry.GetUrl(), entry.GetTitle(), DateTimeToQDateTime(entry.GetCreatedOn())});
        return rows;
    }

    // The rows and the entry lines of a page walk of the blog, on an empty project.
    QList<TRow> PageWalk(TServiceBlog &blog, bool newOnly, QStringList *okLines = nullptr)
    {
        const TListMode mode = blog.ListMode;
        blog.ListMode = TListMode::Forbidden;
        TRecordingHost host;
        EXPECT_TRUE(Run(blog, newOnly, host));
        blog.ListMode = mode;
        if (okLines)
            *okLines = OkLines(host);
        return Rows();
    }

    static QStringList OkLines(const TRecordingHost &host)
    {
        QStringList lines = host.Log.filter(QStringLiteral("OK: "));
        lines.removeIf([](const QString &line) { return line.endsWith(QStringLiteral(" 最新エントリーのURLを取得しました。")); });
        return lines;
    }

    static QString Log(const TRecordingHost &host) { return host.Log.join(u'\n'); }

    TService Service() const { return GetParam(); }
    // Entries a list page holds.
    int ListSize() const
    {
        static const int Sizes[] = {100, 150, 30, 20, 50};
        return Sizes[int(Service())];
    }
};

std::string ServiceName(const ::testing::TestParamInfo<TService> &info)
{
    static const char *const Names[] = {"WordPress", "Blogger", "Hatena", "Ameba", "Generic"};
    return Names[int(info.param)];
}
} // namespace

TEST_P(EntryListTest, TheListGivesTheRowsOfThePageWalkWithFewRequests)
{
    TServiceBlog blog(Service(), 305);
    QStringList walkLines;
    const QList<TRow> walked = PageWalk(blog, false, &walkLines);
    ASSERT_EQ(walked.size(), 305);
    EXPECT_EQ(blog.PageRequests(), 306);
    EXPECT_EQ(walked[0].title, TServiceBlog::Title(305));
    EXPECT_EQ(walked[0].date, TServiceBlog::LocalTime(305));

    TRecordingHost host;
    ASSERT_TRUE(Run(blog, false, host)) << Log(host).toStdString();
    EXPECT_EQ(Rows(), walked);
    EXPECT_EQ(OkLines(host), walkLines);
    EXPECT_TRUE(host.Log.filter(QStringLiteral("Error")).isEmpty()) << Log(host).toStdString();
    EXPECT_TRUE(host.Log[0].startsWith(QStringLiteral("エントリーの一覧を ") + blog.TopUrl()));
    EXPECT_TRUE(host.Log[0].endsWith(QStringLiteral(" から読みます。")));
    EXPECT_EQ(host.Log.last(), QStringLiteral("終了しました。"));
    // The top page, the newest entry's page that the list is checked against, and one
    // request per list page; the last page is short.
    EXPECT_EQ(blog.PageRequests(), 2);
    EXPECT_EQ(blog.ListRequests(), (305 + ListSize() - 1) / ListSize());
}

TEST_P(EntryListTest, ALatestOnlyRunByListAddsWhatThePageWalkAdds)
{
    TServiceBlog blog(Service(), 305);
    PageWalk(blog, false);
    blog.SetCount(308);
    const QList<TRow> walked = PageWalk(blog, true);
    ASSERT_EQ(walked.size(), 308);
    EXPECT_EQ(blog.PageRequests(), 5); // the top page, three new entries, the first known one

    // Back to the list before the three, then the same latest-only run through the list.
    blog.SetCount(305);
    PageWalk(blog, false);
    blog.SetCount(308);
    TRecordingHost host;
    ASSERT_TRUE(Run(blog, true, host)) << Log(host).toStdString();
    EXPECT_EQ(Rows(), walked);
    EXPECT_EQ(OkLines(host).size(), 3);
    EXPECT_EQ(blog.PageRequests(), 2);
    EXPECT_EQ(blog.ListRequests(), 1);
}

TEST_P(EntryListTest, AListThatGivesNothingAtItsFirstPageFallsBackToThePages)
{
    TServiceBlog blog(Service(), 120);
    const QList<TRow> walked = PageWalk(blog, false);
    const bool json = Service() == TService::WordPress || Service() == TService::Blogger;
    const QList<QPair<TListMode, QString>> modes = {
        {TListMode::Forbidden, QStringLiteral("403")},
        {TListMode::NotJson, json ? QStringLiteral("JSON")
                              : Service() == TService::Ameba ? QStringLiteral("一覧にエントリーがありません")
                                                             : QStringLiteral("フィードではありません")},
        {TListMode::Empty, QStringLiteral("一覧にエントリーがありません")}};
    for (const auto &[mode, reason] : modes) {
        SCOPED_TRACE(reason.toStdString());
        blog.ListMode = mode;
        TRecordingHost host;
        ASSERT_TRUE(Run(blog, false, host)) << Log(host).toStdString();
        EXPECT_EQ(Rows(), walked);
        ASSERT_GE(host.Log.size(), 3);
        EXPECT_TRUE(host.Log[1].startsWith(FallbackStart)) << host.Log[1].toStdString();
        EXPECT_TRUE(host.Log[1].contains(reason)) << host.Log[1].toStdString();
        EXPECT_TRUE(host.Log[2].endsWith(QStringLiteral(" 最新エントリーのURLを取得しました。")));
        EXPECT_EQ(blog.ListRequests(), 1);
        EXPECT_EQ(blog.PageRequests(), 121);
    }
}

TEST_P(EntryListTest, AListThatFailsLaterEndsLikeAFailedWalk)
{
    FDb->InsertEntry(QStringLiteral("http://old.example/1"), QStringLiteral("以前の記事"), 0, false);
    TServiceBlog blog(Service(), 305);
    blog.ListMode = TListMode::FailsLater;
    TRecordingHost host;
    EXPECT_FALSE(Run(blog, false, host));
    EXPECT_EQ(blog.ListRequests(), 2);
    const QList<TRow> rows = Rows();
    ASSERT_EQ(rows.size(), ListSize() + 1) << Log(host).toStdString();
    EXPECT_EQ(rows[0].url, blog.EntryUrl(305));
    EXPECT_EQ(rows.last().url, QStringLiteral("http://old.example/1"));
    EXPECT_TRUE(host.Log.contains(KeptLine));
    EXPECT_TRUE(host.Log.filter(QStringLiteral("500 Internal Server Error")).size() == 1) << Log(host).toStdString();
    EXPECT_TRUE(host.Log.contains(QStringLiteral("Error: ") + blog.Server.Url(QString::fromUtf8(blog.Server.Requests().last().Target))));
}

TEST_P(EntryListTest, CancelStopsTheListAndKeepsTheEarlierEntries)
{
    FDb->InsertEntry(QStringLiteral("http://old.example/1"), QStringLiteral("以前の記事"), 0, false);
    TServiceBlog blog(Service(), 305);
    TRecordingHost host;
    const int size = ListSize();
    host.CancelWhen = [size](const TRecordingHost &h) { return h.Log.filter(QStringLiteral("OK: ")).size() >= size; };
    EXPECT_TRUE(Run(blog, false, host)) << Log(host).toStdString();
    EXPECT_EQ(blog.ListRequests(), 1);
    EXPECT_EQ(Rows().size(), ListSize() + 1);
    EXPECT_TRUE(host.Log.contains(KeptLine));
    EXPECT_EQ(host.Log.last(), QStringLiteral("終了しました。"));
}

TEST_P(EntryListTest, EveryFetchedPageIsFollowedByTheWait)
{
    TAppConfig::GetInstance().SetSleepTime(250);
    TServiceBlog blog(Service(), 305);
    TRecordingHost host;
    ASSERT_TRUE(Run(blog, false, host)) << Log(host).toStdString();
    EXPECT_EQ(host.Waits, QList<int>(blog.PageRequests() + blog.ListRequests(), 250));
}

// A list page without entries while more were promised (a maintenance page answered
// 200), or one that brings back what was read (a cache that ignores the page asked
// for), is not the list's end: the full run fails and the list stays as it was.
TEST_P(EntryListTest, AListThatBreaksOffOrRepeatsKeepsTheEarlierList)
{
    TServiceBlog blog(Service(), 305);
    {
        TRecordingHost host;
        ASSERT_TRUE(Run(blog, false, host)) << Log(host).toStdString();
    }
    const QList<TRow> before = Rows();
    ASSERT_EQ(before.size(), 305);
    const QList<QPair<TListMode, QString>> modes = {
        {TListMode::EmptyLater, QStringLiteral("一覧のページ 2 にエントリーがありません")},
        {TListMode::Repeats, QStringLiteral("一覧が同じエントリーをくり返しています")}};
    for (const auto &[mode, line] : modes) {
        SCOPED_TRACE(line.toStdString());
        blog.ListMode = mode;
        TRecordingHost host;
        EXPECT_FALSE(Run(blog, false, host));
        EXPECT_EQ(Rows(), before);
        EXPECT_TRUE(host.Log.contains(line)) << Log(host).toStdString();
        EXPECT_TRUE(host.Log.contains(KeptLine));
        EXPECT_LE(blog.ListRequests(), 2);
    }
}

// A list whose titles are not the pages' (a feed that appends the blog's name, a
// plugin's titles) would change every row: the newest entry's page tells, and the
// pages are walked.
TEST_P(EntryListTest, AListUnlikeTheEntryPagesIsLeftForThePageWalk)
{
    TServiceBlog blog(Service(), 120);
    const QList<TRow> walked = PageWalk(blog, false);
    blog.ListMode = TListMode::Retitled;
    TRecordingHost host;
    ASSERT_TRUE(Run(blog, false, host)) << Log(host).toStdString();
    EXPECT_EQ(Rows(), walked);
    ASSERT_GE(host.Log.size(), 2);
    EXPECT_TRUE(host.Log[1].startsWith(FallbackStart)) << host.Log[1].toStdString();
    EXPECT_TRUE(host.Log[1].contains(TServiceBlog::Title(120) + QStringLiteral(" | ブログ"))) << host.Log[1].toStdString();
    EXPECT_EQ(blog.ListRequests(), 1);
    EXPECT_EQ(blog.PageRequests(), 122);
}

// A list that names the entries otherwise than the pages' links do would store other
// URLs, and a later latest-only run by the pages would know none of them.
TEST_P(EntryListTest, AListThatNamesTheEntriesOtherwiseIsLeftForThePageWalk)
{
    TServiceBlog blog(Service(), 120);
    const QList<TRow> walked = PageWalk(blog, false);
    blog.ListMode = TListMode::OtherUrls;
    TRecordingHost host;
    ASSERT_TRUE(Run(blog, false, host)) << Log(host).toStdString();
    EXPECT_EQ(Rows(), walked);
    ASSERT_GE(host.Log.size(), 2);
    EXPECT_TRUE(host.Log[1].startsWith(FallbackStart)) << host.Log[1].toStdString();
    EXPECT_TRUE(host.Log[1].contains(blog.EntryUrl(120) + QStringLiteral("?from=list"))) << host.Log[1].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Services, EntryListTest,
                         ::testing::Values(TService::WordPress, TService::Blogger, TService::Hatena, TService::Ameba,
                                           TService::Generic),
                         ServiceName);

// A blog whose entry pages do not link each other is read whole by its paged feed.
TEST_F(EntryListTest, TheGenericTypeReadsABlogWithoutOlderLinksByItsPagedFeed)
{
    TServiceBlog blog(TService::Generic, 305);
    blog.OlderLinks = false;
    PageWalk(blog, false);
    ASSERT_EQ(Rows().size(), 1);

    TRecordingHost host;
    ASSERT_TRUE(Run(blog, false, host)) << Log(host).toStdString();
    const QList<TRow> rows = Rows();
    ASSERT_EQ(rows.size(), 305);
    for (const int n : {305, 256, 255, 1}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(rows[305 - n], (TRow{306 - n, blog.EntryUrl(n), TServiceBlog::Title(n), TServiceBlog::LocalTime(n)}));
    }
    EXPECT_EQ(blog.ListRequests(), 7);
}

// A feed of only the newest entries is no list of the blog: read as one, a full run
// would replace the project's list with its newest entries.
TEST_F(EntryListTest, AFeedThatPagesNoFurtherIsNotTakenForTheList)
{
    for (const TService service : {TService::Hatena, TService::Generic}) {
        SCOPED_TRACE(int(service));
        TServiceBlog blog(service, 120);
        const QList<TRow> walked = PageWalk(blog, false);
        blog.ListMode = TListMode::NewestOnly;
        TRecordingHost host;
        ASSERT_TRUE(Run(blog, false, host)) << Log(host).toStdString();
        EXPECT_EQ(Rows(), walked);
        EXPECT_EQ(host.Log.filter(FallbackStart).size(), 1) << Log(host).toStdString();
        EXPECT_EQ(blog.ListRequests(), 1);
    }
}

// A list by the time of the last edit would store the entries out of order, and a
// latest-only run would stop at an old entry edited lately.
TEST_F(EntryListTest, AListThatIsNotNewestFirstIsLeftForThePageWalk)
{
    TServiceBlog blog(TService::Blogger, 120);
    const QList<TRow> walked = PageWalk(blog, false);
    blog.ListMode = TListMode::EditedFirst;
    TRecordingHost host;
    ASSERT_TRUE(Run(blog, false, host)) << Log(host).toStdString();
    EXPECT_EQ(Rows(), walked);
    ASSERT_GE(host.Log.size(), 2);
    EXPECT_TRUE(host.Log[1].startsWith(FallbackStart)) << host.Log[1].toStdString();
    EXPECT_TRUE(host.Log[1].contains(QStringLiteral("新しい順ではありません: ") + blog.EntryUrl(119))) << host.Log[1].toStdString();
}

// A page that gives no title contradicts no list: the list's titles stand, and the log
// says on what the list was taken. The page walk of such pages says which entries came
// without a title.
TEST_F(EntryListTest, AnEntryPageWithoutTitleLeavesTheListsTitles)
{
    TServiceBlog blog(TService::WordPress, 120);
    const QList<TRow> walked = PageWalk(blog, false);
    blog.TitledPages = false;
    TRecordingHost host;
    ASSERT_TRUE(Run(blog, false, host)) << Log(host).toStdString();
    EXPECT_EQ(Rows(), walked);
    EXPECT_EQ(host.Log.filter(FallbackStart).size(), 0) << Log(host).toStdString();
    EXPECT_EQ(host.Log.filter(QStringLiteral("エントリーのページ %1 にタイトルが見つからないため、一覧はURLと日付が合うことで使います。")
                                  .arg(blog.EntryUrl(120))).size(), 1)
        << Log(host).toStdString();
    EXPECT_EQ(blog.ListRequests(), 2);

    blog.ListMode = TListMode::Forbidden;
    TRecordingHost walk;
    ASSERT_TRUE(Run(blog, false, walk)) << Log(walk).toStdString();
    EXPECT_EQ(walk.Log.filter(QStringLiteral("タイトルが見つかりません: ")).size(), 120);
    EXPECT_TRUE(walk.Log.contains(QStringLiteral("タイトルが見つかりません: ") + blog.EntryUrl(7)));
    EXPECT_EQ(Rows().size(), 120);
    EXPECT_EQ(Rows().first().title, QString());
}

// Past its last page WordPress answers 400 rest_post_invalid_page_number: the list has
// ended there, and the walk is complete.
TEST_F(EntryListTest, WordPressAnswering400PastTheLastPageEndsTheList)
{
    FDb->InsertEntry(QStringLiteral("http://old.example/1"), QStringLiteral("以前の記事"), 0, false);
    TServiceBlog blog(TService::WordPress, 300);
    TRecordingHost host;
    ASSERT_TRUE(Run(blog, false, host)) << Log(host).toStdString();
    EXPECT_EQ(blog.ListRequests(), 4);
    EXPECT_EQ(Rows().size(), 300);
    EXPECT_FALSE(host.Log.contains(KeptLine));
    EXPECT_EQ(host.Log.last(), QStringLiteral("終了しました。"));
}

// A list whose last page is full pages on to an empty one; the total it announced
// says the list has ended there, and where that total differs from what was read, the
// log says so.
TEST_F(EntryListTest, AnEmptyPageEndsTheListOnceItsAnnouncedTotalWasRead)
{
    TServiceBlog blog(TService::Blogger, 300);
    TRecordingHost host;
    ASSERT_TRUE(Run(blog, false, host)) << Log(host).toStdString();
    EXPECT_EQ(Rows().size(), 300);
    EXPECT_EQ(blog.ListRequests(), 3);
    EXPECT_TRUE(host.Log.filter(QStringLiteral("一覧はエントリーを")).isEmpty()) << Log(host).toStdString();

    TServiceBlog wordpress(TService::WordPress, 250);
    wordpress.AnnouncedTotal = 260;
    TRecordingHost wpHost;
    ASSERT_TRUE(Run(wordpress, false, wpHost)) << Log(wpHost).toStdString();
    EXPECT_EQ(Rows().size(), 250);
    EXPECT_TRUE(wpHost.Log.contains(QStringLiteral("一覧はエントリーを 260 件としていますが、読んだのは 250 件です。")))
        << Log(wpHost).toStdString();
}

// Blogger's labels by their feeds: the links of the label pages, 150 a request in
// place of 20, or the label pages where the feed does not give them.
class CategoryListTest : public ProjectTest
{
protected:
    void SetUp() override
    {
        ProjectTest::SetUp();
        TAppConfig::GetInstance().SetDefaults();
    }

    bool Run(TServiceBlog &blog, TRecordingHost &host)
    {
        blog.Server.ClearRequests();
        const QList<TCategoryData> categories = {
            TCategoryData{QByteArrayLiteral("偶数"), blog.LabelUrl(QStringLiteral("偶数")).toUtf8()},
            TCategoryData{QByteArrayLiteral("三の倍数"), blog.LabelUrl(QStringLiteral("三の倍数")).toUtf8()}};
        TCategoryDownloadJob job(*FDb, blog.BlogConfig(), categories, host);
        return job.RunDownload();
    }

    // The links the label pages give, read with the feeds forbidden.
    QMap<int, QStringList> PageWalk(TServiceBlog &blog)
    {
        const TListMode mode = blog.ListMode;
        blog.ListMode = TListMode::Forbidden;
        TRecordingHost host;
        EXPECT_TRUE(Run(blog, host)) << host.Log.join(u'\n').toStdString();
        blog.ListMode = mode;
        return FDb->LoadCategoryEntries();
    }
};

TEST_F(CategoryListTest, ALabelIsReadByItsFeedWithTheLinksOfItsPages)
{
    TServiceBlog blog(TService::Blogger, 305);
    const QMap<int, QStringList> walked = PageWalk(blog);
    ASSERT_EQ(walked.value(1).size(), 152);
    ASSERT_EQ(walked.value(2).size(), 101);
    EXPECT_EQ(walked.value(1).first(), blog.EntryUrl(304));
    EXPECT_EQ(blog.PageRequests(), 8 + 6);

    TRecordingHost host;
    ASSERT_TRUE(Run(blog, host)) << host.Log.join(u'\n').toStdString();
    EXPECT_EQ(FDb->LoadCategoryEntries(), walked);
    // Each label's first page, which the feed is checked against, then its feed pages.
    EXPECT_EQ(blog.PageRequests(), 2);
    EXPECT_EQ(blog.ListRequests(), 2 + 1);
    EXPECT_TRUE(host.Log.contains(QStringLiteral("カテゴリ「偶数」の一覧を ") + blog.TopUrl()
                                  + QStringLiteral("feeds/posts/default/-/%E5%81%B6%E6%95%B0?alt=json&orderby=published&start-index=1&max-results=150 から読みます。")))
        << host.Log.join(u'\n').toStdString();
    EXPECT_EQ(host.Log.last(), QStringLiteral("終了しました。"));
}

TEST_F(CategoryListTest, AFeedThatGivesNothingOrOtherLinksLeavesTheLabelToItsPages)
{
    TServiceBlog blog(TService::Blogger, 120);
    const QMap<int, QStringList> walked = PageWalk(blog);
    for (const TListMode mode : {TListMode::NotJson, TListMode::Empty, TListMode::OtherUrls}) {
        SCOPED_TRACE(int(mode));
        blog.ListMode = mode;
        TRecordingHost host;
        ASSERT_TRUE(Run(blog, host)) << host.Log.join(u'\n').toStdString();
        EXPECT_EQ(FDb->LoadCategoryEntries(), walked);
        EXPECT_EQ(host.Log.filter(QStringLiteral("カテゴリの一覧を読めないため、カテゴリのページを順にたどります（")).size(), 2)
            << host.Log.join(u'\n').toStdString();
        EXPECT_EQ(blog.ListRequests(), 2);
    }
}

// A label feed that breaks off or repeats itself is no end of the label either.
TEST_F(CategoryListTest, AFeedThatBreaksOffOrRepeatsKeepsTheLabelsEarlierLinks)
{
    TServiceBlog blog(TService::Blogger, 305);
    const QMap<int, QStringList> walked = PageWalk(blog);
    for (const TListMode mode : {TListMode::EmptyLater, TListMode::Repeats}) {
        SCOPED_TRACE(int(mode));
        blog.ListMode = mode;
        TRecordingHost host;
        EXPECT_FALSE(Run(blog, host));
        EXPECT_EQ(FDb->LoadCategoryEntries(), walked);
        EXPECT_TRUE(host.Log.contains(mode == TListMode::EmptyLater ? QStringLiteral("一覧のページ 2 にエントリーがありません")
                                                                      : QStringLiteral("一覧が同じエントリーをくり返しています")))
            << host.Log.join(u'\n').toStdString();
    }
}

// A feed that fails past its first page ends the download as a failed label page does:
// the label keeps the links it had.
TEST_F(CategoryListTest, AFeedThatFailsLaterKeepsTheLabelsEarlierLinks)
{
    TServiceBlog blog(TService::Blogger, 305);
    const QMap<int, QStringList> walked = PageWalk(blog);
    blog.ListMode = TListMode::FailsLater;
    TRecordingHost host;
    EXPECT_FALSE(Run(blog, host));
    EXPECT_EQ(FDb->LoadCategoryEntries(), walked);
    EXPECT_TRUE(host.Log.contains(QStringLiteral("カテゴリ「偶数」のリンクは以前のまま残しました。"))) << host.Log.join(u'\n').toStdString();
}
