#include "Blogsites.h"
#include "Httptestserver.h"
#include "Projectfixture.h"
#include "Recordinghost.h"
#include "Testpaths.h"

#include "blogtype/Tblogconfig.h"
#include "platform/Tappconfig.h"
#include "platform/Tdatetime.h"
#include "retrieval/Tblogcategories.h"
#include "retrieval/Tblogdetect.h"
#include "retrieval/Tcategorydownload.h"
#include "retrieval/Thttputility.h"
#include "retrieval/Tentrydownload.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

// Crawls of the fixture blogs through the real download jobs, the shipped blog types
// and a local server that serves each blog's pages at its own address.

namespace {
TBlogConfig BlogType(const QString &iniName)
{
    return TBlogConfig(TestPaths::BinDir() + QStringLiteral("/blog/") + iniName);
}

class CrawlTest : public ProjectTest, public ::testing::WithParamInterface<TBlogSite>
{
protected:
    void SetUp() override
    {
        ProjectTest::SetUp();
        TAppConfig::GetInstance().SetDefaults();
        FBase = FServer.Url(QString());
        FServer.SetHandler(Site().Handler(FBase));
    }

    const TBlogSite &Site() const { return GetParam(); }
    QString Url(const QString &path) const { return FBase + path; }

    // These copies have no copy of a service's entry list: a blog type that offers one
    // asks for it once (for a category, once at each), is answered 404 and walks the
    // pages. The lines that say so are taken out of the log, the list's address kept in
    // FListUrls; the entry download's lines are kept in FListLines.
    QStringList TakeListLines(TRecordingHost &host, const QRegularExpression &source, const QString &fallback)
    {
        QStringList taken;
        for (qsizetype i = 0; i < host.Log.size();) {
            const QRegularExpressionMatch match = source.match(host.Log[i]);
            if (!match.hasMatch()) {
                ++i;
                continue;
            }
            FListUrls.insert(match.captured(1));
            EXPECT_LT(i + 1, host.Log.size());
            EXPECT_TRUE(host.Log.value(i + 1).startsWith(fallback)) << host.Log.value(i + 1).toStdString();
            EXPECT_TRUE(host.Log.value(i + 1).contains(QStringLiteral("404")));
            taken += host.Log.mid(i, 2);
            host.Log.remove(i, 2);
        }
        return taken;
    }

    bool DownloadEntries(const TBlogConfig &config, bool newEntryOnly, TRecordingHost &host)
    {
        TEntryDownloadJob job(*FDb, config, Url(Site().top), newEntryOnly, host);
        const bool done = job.RunDownload();
        static const QRegularExpression Source(QStringLiteral("^エントリーの一覧を (.*) から読みます。$"));
        FListLines = TakeListLines(host, Source, QStringLiteral("エントリーの一覧を読めないため、エントリーのページを順にたどります（"));
        EXPECT_LE(FListLines.size(), 2);
        return done;
    }

    bool DownloadCategories(const TBlogConfig &config, TRecordingHost &host)
    {
        QList<TCategoryData> categories;
        for (const TBlogSite::TCategory &category : Site().categories)
            categories.append({category.name.toUtf8(), Url(category.url).toUtf8()});
        TCategoryDownloadJob job(*FDb, config, categories, host);
        const bool done = job.RunDownload();
        static const QRegularExpression Source(QStringLiteral("^カテゴリ「.*」の一覧を (.*) から読みます。$"));
        TakeListLines(host, Source, QStringLiteral("カテゴリの一覧を読めないため、カテゴリのページを順にたどります（"));
        return done;
    }

    // Every request asked for a page the blog has.
    void ExpectOnlyKnownPagesFetched() const
    {
        for (const THttpTestRequest &request : FServer.Requests()) {
            const QString target = QString::fromUtf8(request.Target);
            EXPECT_TRUE(Site().routes.contains(target) || FListUrls.contains(Url(target)))
                << request.RequestLine.toStdString();
        }
    }

    // A blog type of another service.
    QString OtherBlogType() const
    {
        const QStringList types = ServiceBlogTypeFiles();
        const qsizetype own = types.indexOf(Site().blogType);
        return types[(own + 1) % types.size()];
    }

    THttpTestServer FServer;
    QString FBase;
    QStringList FListLines;
    QSet<QString> FListUrls;
};

std::string SiteName(const ::testing::TestParamInfo<TBlogSite> &info)
{
    std::string name = info.param.name.toStdString();
    for (char &c : name) {
        if (!isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}
} // namespace

void PrintTo(const TBlogSite &site, std::ostream *os)
{
    *os << site.name.toStdString();
}

TEST_P(CrawlTest, EntriesAndCategoriesOfTheWholeBlog)
{
    const TBlogConfig config = BlogType(Site().blogType);

    TRecordingHost host;
    ASSERT_TRUE(DownloadEntries(config, false, host)) << host.Log.join(u'\n').toStdString();
    EXPECT_EQ(host.Log.last(), QStringLiteral("終了しました。"));
    // The blog's name, for the pages that lead back to it, as its top page gives it.
    EXPECT_FALSE(FDb->GetConfig(QStringLiteral("blog_name")).isEmpty());
    EXPECT_FALSE(FDb->GetConfig(QStringLiteral("blog_name")).contains(u'<'));
    EXPECT_TRUE(host.Log.filter(QStringLiteral("Error")).isEmpty()) << host.Log.join(u'\n').toStdString();

    // Every entry once, newest first, with its exact title and date, and the walk
    // ended at the oldest one.
    const TEntryList entries = FDb->LoadEntries();
    ASSERT_EQ(entries.size(), Site().entries.size()) << host.Log.join(u'\n').toStdString();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const TBlogSite::TEntry &expected = Site().entries[i];
        SCOPED_TRACE(expected.url.toStdString());
        EXPECT_EQ(entries[i].GetUrl(), Url(expected.url));
        EXPECT_EQ(entries[i].GetTitle(), expected.title);
        EXPECT_EQ(DateTimeToQDateTime(entries[i].GetCreatedOn()),
                  QDateTime(QDate::fromString(expected.stored.left(10), QStringLiteral("yyyy-MM-dd")),
                            QTime::fromString(expected.stored.mid(11), QStringLiteral("HH:mm:ss")), Qt::UTC));
    }

    // The category pages link exactly the stored entries.
    TRecordingHost categoryHost;
    ASSERT_TRUE(DownloadCategories(config, categoryHost)) << categoryHost.Log.join(u'\n').toStdString();
    QMap<QString, QList<int>> expectedIds;
    int links = 0;
    for (qsizetype i = 0; i < Site().categories.size(); ++i) {
        for (const TBlogSite::TCategoryPage &page : Site().categories[i].pages) {
            for (const QString &url : page.entries) {
                expectedIds[Url(url)].append(int(i) + 1);
                ++links;
            }
        }
    }
    EXPECT_EQ(Count(QStringLiteral("select count(*) from categories_entry")), links);
    for (const TEntry &entry : FDb->LoadEntries()) {
        SCOPED_TRACE(entry.GetUrl().toStdString());
        QList<int> ids = entry.GetCategoryIds();
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids, expectedIds.value(entry.GetUrl(), QList<int>{0}));
    }
    // A line a page, and one a category with its count of entries.
    QStringList counts;
    for (qsizetype i = 0; i < Site().categories.size(); ++i) {
        QSet<QString> entries;
        for (const TBlogSite::TCategoryPage &page : Site().categories[i].pages)
            entries.unite(QSet<QString>(page.entries.begin(), page.entries.end()));
        counts << QStringLiteral("カテゴリ「%1」のエントリー: %2 件").arg(Site().categories[i].name).arg(entries.size());
    }
    int pages = 0;
    for (const TBlogSite::TCategory &category : Site().categories)
        pages += int(category.pages.size());
    EXPECT_EQ(categoryHost.Log.size(), pages + counts.size() + 1);
    for (const QString &line : counts)
        EXPECT_TRUE(categoryHost.Log.contains(line)) << line.toStdString();
    ExpectOnlyKnownPagesFetched();

    // The URL on the top page is the one the walk stored: a latest-only run stops at once.
    TRecordingHost latestHost;
    EXPECT_TRUE(DownloadEntries(config, true, latestHost));
    EXPECT_EQ(latestHost.Log, (QStringList{QStringLiteral("OK: ") + Url(Site().entries[0].url)
                                               + QStringLiteral(" 最新エントリーのURLを取得しました。"),
                                           QStringLiteral("終了しました。")}));
    EXPECT_EQ(FDb->LoadEntries().size(), Site().entries.size());
}

// Another service's blog type finds no newest entry and no entries in the category
// pages: the jobs end as they do for any blog they cannot read.
TEST_P(CrawlTest, BlogTypeOfAnotherServiceStopsWithItsUsualMessages)
{
    const TBlogConfig config = BlogType(OtherBlogType());

    TRecordingHost host;
    EXPECT_FALSE(DownloadEntries(config, false, host));
    // The log names the type the page looks like, in words a blogger knows.
    EXPECT_EQ(host.Log, (QStringList{QStringLiteral("Error: ") + Url(Site().top),
                                     QStringLiteral("最新エントリーのURLの取得に失敗しました。"),
                                     QStringLiteral("このページは %1 のようです。ブログの種類を確かめてください。")
                                         .arg(BlogType(Site().blogType).GetName())}));
    EXPECT_TRUE(FDb->LoadEntries().isEmpty());

    TRecordingHost categoryHost;
    EXPECT_TRUE(DownloadCategories(config, categoryHost));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from categories_entry")), 0);
    EXPECT_EQ(categoryHost.Log.last(), QStringLiteral("終了しました。"));
    ExpectOnlyKnownPagesFetched();
}

// The shipped blog types tell the blog's service from its top page, and its type reads
// the blog's own category list; the list merges into the user's by URL.
TEST_P(CrawlTest, ItsBlogTypeIsDetectedAndReadsTheBlogsCategories)
{
    TBlogConfigManager manager(TestPaths::BinDir() + QStringLiteral("/blog"));
    manager.Load();
    TRecordingHost host;
    const TFetchControl control = MakeFetchControl(host);
    const QList<TBlogDetection> detections = FetchAndDetectBlogTypes(manager.GetBlogConfigs(), Url(Site().top), control);
    ASSERT_GE(detections.size(), 2);
    EXPECT_EQ(QFileInfo(detections[0].Config.GetIniPath()).fileName(), Site().blogType) << detections[0].Reason.toStdString();
    EXPECT_GT(detections[0].Score, detections[1].Score);

    auto lines = [](const QList<TCategoryData> &categories) {
        QStringList result;
        for (const TCategoryData &category : categories)
            result << category.GetName() + QLatin1Char('\t') + category.GetUrl();
        return result;
    };
    QList<TCategoryData> expected;
    for (const auto &[name, url] : Site().blogCategories)
        expected.append({name.toUtf8(), Url(url).toUtf8()});
    const QList<TCategoryData> found = ReadBlogCategories(BlogType(Site().blogType), Url(Site().top), control);
    EXPECT_EQ(lines(found), lines(expected));
    if (found.isEmpty())
        return;

    // The user's name of a category the blog lists stays, and so does the user's own.
    QList<TCategoryData> merged = {{QByteArrayLiteral("自分の名前"), found[0].url}, {QByteArrayLiteral("手作業"), QByteArrayLiteral("http://127.0.0.1:9/mine")}};
    EXPECT_EQ(MergeCategories(merged, found), found.size() - 1);
    QList<TCategoryData> want = {merged[0], merged[1]};
    want += found.mid(1);
    EXPECT_EQ(lines(merged), lines(want));
    EXPECT_EQ(merged[0].GetName(), QStringLiteral("自分の名前"));
    EXPECT_EQ(MergeCategories(merged, found), 0);
}

INSTANTIATE_TEST_SUITE_P(Blogs, CrawlTest, ::testing::ValuesIn(LoadBlogSites()), SiteName);
