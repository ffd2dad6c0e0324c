#include "Fixtureblog.h"
#include "Httptestproxy.h"
#include "Projectfixture.h"
#include "Recordinghost.h"

#include "platform/Tappconfig.h"
#include "retrieval/Tcategorydownload.h"

#include <QSqlQuery>

namespace {
// A category page listing entry URLs, with a link to the next page when given.
QString ListPage(const QStringList &entries, const QString &next = QString())
{
    QString html = QStringLiteral("<html><body>");
    for (const QString &url : entries)
        html += QStringLiteral("<a class=\"entry\" href=\"%1\">e</a>").arg(url);
    if (!next.isEmpty())
        html += QStringLiteral("<a class=\"next\" href=\"%1\">次</a>").arg(next);
    return html + QStringLiteral("</body></html>");
}

class CategoryDownloadTest : public ProjectTest
{
protected:
    void SetUp() override
    {
        ProjectTest::SetUp();
        TAppConfig::GetInstance().SetDefaults();
    }

    bool Run(TFixtureBlog &blog, const QList<TCategoryData> &categories, TRecordingHost &host)
    {
        TCategoryDownloadJob job(*FDb, blog.BlogConfig(), categories, host);
        return job.RunDownload();
    }

    static TCategoryData Category(const QString &name, const QString &url)
    {
        return TCategoryData{name.toUtf8(), url.toUtf8()};
    }

    // (category id, url) of every link row, in storage order.
    QList<QPair<int, QString>> Links()
    {
        QList<QPair<int, QString>> links;
        FDb->Prepare(QStringLiteral("select category_id, url from categories_entry"));
        FDb->Exec();
        QSqlQuery &query = FDb->FQuery();
        while (query.next())
            links << qMakePair(query.value(0).toInt(), TLdbDb::FieldText(query, QStringLiteral("url")));
        query.finish();
        return links;
    }
};
} // namespace

TEST_F(CategoryDownloadTest, WalksEveryPageOfEveryCategory)
{
    TFixtureBlog blog;
    const QString a = blog.Url(QStringLiteral("/e/a")), b = blog.Url(QStringLiteral("/e/b")),
                  c = blog.Url(QStringLiteral("/e/c"));
    blog.SetPage(QStringLiteral("/cat/diary"), ListPage({a, b}, blog.Url(QStringLiteral("/cat/diary?page=2"))));
    blog.SetPage(QStringLiteral("/cat/diary?page=2"), ListPage({}, blog.Url(QStringLiteral("/cat/diary?page=3"))));
    blog.SetPage(QStringLiteral("/cat/diary?page=3"), ListPage({c, c}));
    blog.SetPage(QStringLiteral("/cat/trip"), ListPage({b}));
    TAppConfig::GetInstance().SetSleepTime(40);

    TRecordingHost host;
    const QList<TCategoryData> categories = {
        Category(QStringLiteral("日記😀"), blog.Url(QStringLiteral("/cat/diary"))),
        Category(QStringLiteral("空"), QString()),
        Category(QStringLiteral("旅行"), blog.Url(QStringLiteral("/cat/trip")))};
    EXPECT_TRUE(Run(blog, categories, host));

    EXPECT_EQ(host.Log, (QStringList{
                            QStringLiteral("OK: ") + blog.Url(QStringLiteral("/cat/diary")) + QStringLiteral(" 日記😀"),
                            QStringLiteral("OK: ") + blog.Url(QStringLiteral("/cat/diary?page=2")) + QStringLiteral(" 日記😀"),
                            QStringLiteral("OK: ") + blog.Url(QStringLiteral("/cat/diary?page=3")) + QStringLiteral(" 日記😀"),
                            QStringLiteral("カテゴリ「日記😀」のエントリー: 3 件"),
                            QStringLiteral("カテゴリ「空」のエントリー: 0 件"),
                            QStringLiteral("OK: ") + blog.Url(QStringLiteral("/cat/trip")) + QStringLiteral(" 旅行"),
                            QStringLiteral("カテゴリ「旅行」のエントリー: 1 件"),
                            QStringLiteral("終了しました。")}));
    EXPECT_EQ(Links(), (QList<QPair<int, QString>>{{1, a}, {1, b}, {1, c}, {1, c}, {3, b}}));
    const TCategoryMap stored = FDb->LoadCategories();
    EXPECT_EQ(stored.keys(), (QList<int>{0, 1, 2, 3}));
    EXPECT_EQ(stored[1].GetName(), QStringLiteral("日記😀"));
    EXPECT_EQ(stored[2].GetUrl(), QString());
    EXPECT_EQ(host.Waits, (QList<int>{40, 40, 40})); // one per category, after its last page
    EXPECT_EQ(host.CategoryProgress.last(), qMakePair(3, 3));
    const QList<THttpTestRequest> requests = blog.Server.Requests();
    ASSERT_EQ(requests.size(), 4);
    for (const THttpTestRequest &request : requests)
        EXPECT_EQ(request.Header("User-Agent"), "Varnoki/" VARNOKI_VERSION " (+blog table of contents)");

    // The links reach the entries through their URLs.
    FDb->InsertEntry(b, QStringLiteral("b"), 0, false);
    EXPECT_EQ(FDb->LoadEntries().first().GetCategoryIds(), (QList<int>{1, 3}));
}

TEST_F(CategoryDownloadTest, AnOldScriptWhoseFirstLineFailsStillReadsTheCategories)
{
    TFixtureBlog blog;
    const QString a = blog.Url(QStringLiteral("/e/a"));
    blog.SetPage(QStringLiteral("/cat/diary"), ListPage({a}));
    TRecordingHost host;
    TCategoryDownloadJob job(*FDb, blog.OldStyleBlogConfig(),
                             {Category(QStringLiteral("日記"), blog.Url(QStringLiteral("/cat/diary")))}, host);
    EXPECT_TRUE(job.RunDownload()) << host.Log.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(host.Log.size(), 4);
    EXPECT_TRUE(host.Log[0].startsWith(QStringLiteral("Warning: "))) << host.Log[0].toStdString();
    EXPECT_TRUE(host.Log[0].contains(QStringLiteral("ActiveXObject")));
    EXPECT_EQ(Links(), (QList<QPair<int, QString>>{{1, a}}));
}

TEST_F(CategoryDownloadTest, EmptyListLeavesOnlyThePlaceholder)
{
    FDb->InsertCategoryEntries(4, {QStringLiteral("http://old/")});
    TFixtureBlog blog;
    TRecordingHost host;
    EXPECT_TRUE(Run(blog, {}, host));
    EXPECT_EQ(host.Log, (QStringList{QStringLiteral("カテゴリーがありません。「ブログから読み込む」でブログのカテゴリーを読み込めます。"),
                                     QStringLiteral("終了しました。")}));
    EXPECT_EQ(FDb->LoadCategories().keys(), QList<int>{0});
    EXPECT_TRUE(Links().isEmpty());
}

TEST_F(CategoryDownloadTest, CancelStopsAtTheNextFetchAndKeepsWhatWasStored)
{
    TFixtureBlog blog;
    QList<TCategoryData> categories;
    for (int i = 1; i <= 5; ++i) {
        const QString path = QStringLiteral("/cat/%1").arg(i);
        blog.SetPage(path, ListPage({blog.Url(QStringLiteral("/e/%1").arg(i))},
                                    blog.Url(path + QStringLiteral("?page=2"))));
        blog.SetPage(path + QStringLiteral("?page=2"), ListPage({blog.Url(QStringLiteral("/e/%1b").arg(i))}));
        categories << Category(QStringLiteral("c%1").arg(i), blog.Url(path));
    }
    TRecordingHost host;
    // Cancel is pressed while the second category's first page is being fetched.
    host.CancelWhen = [](const TRecordingHost &h) { return h.Urls.size() >= 3; };
    EXPECT_TRUE(Run(blog, categories, host));
    EXPECT_EQ(host.Log.size(), 4); // two pages, the category's count, the end
    EXPECT_EQ(host.Log.last(), QStringLiteral("終了しました。"));
    EXPECT_EQ(FDb->LoadCategories().keys(), (QList<int>{0, 1, 2}));
    EXPECT_EQ(Links().size(), 2);

    // Pressed between two categories, it keeps the rest from being written.
    TRecordingHost between;
    between.CancelWhen = [](const TRecordingHost &h) { return h.Log.size() >= 6; };
    EXPECT_TRUE(Run(blog, categories, between));
    EXPECT_EQ(between.Log.size(), 7);
    EXPECT_EQ(FDb->LoadCategories().keys(), (QList<int>{0, 1, 2}));
    EXPECT_EQ(Links().size(), 4);
}

TEST_F(CategoryDownloadTest, ErrorsEndTheWalkKeepingTheLinksFound)
{
    TFixtureBlog blog;
    blog.SetPage(QStringLiteral("/cat/a"), ListPage({blog.Url(QStringLiteral("/e/1"))}, blog.Url(QStringLiteral("/cat/a?page=2"))));
    TRecordingHost host;
    EXPECT_FALSE(Run(blog, {Category(QStringLiteral("A"), blog.Url(QStringLiteral("/cat/a")))}, host));
    ASSERT_EQ(host.Log.size(), 3);
    EXPECT_EQ(host.Log[1], QStringLiteral("Error: ") + blog.Url(QStringLiteral("/cat/a?page=2")));
    EXPECT_TRUE(host.Log[2].contains(QStringLiteral("404"))) << host.Log[2].toStdString();
    // The first page's links are not stored: the category was not read to its end.
    EXPECT_TRUE(Links().isEmpty());

    TRecordingHost script;
    TCategoryDownloadJob job(*FDb, blog.BlogConfig(QStringLiteral("missing.js")),
                             {Category(QStringLiteral("A"), blog.Url(QStringLiteral("/cat/a")))}, script);
    EXPECT_FALSE(job.RunDownload());
    ASSERT_EQ(script.Log.size(), 2);
    EXPECT_EQ(script.Log[0], QStringLiteral("Error: "));
    EXPECT_TRUE(script.Log[1].startsWith(QStringLiteral("スクリプトファイルが見つかりません。\n")));
    EXPECT_TRUE(script.Log[1].endsWith(QStringLiteral("missing.js")));
    EXPECT_EQ(FDb->LoadCategories().keys(), QList<int>{0});
    EXPECT_TRUE(Links().isEmpty());
}

TEST_F(CategoryDownloadTest, CyclingPagesEndTheCategory)
{
    TFixtureBlog blog;
    blog.SetPage(QStringLiteral("/cat/a"), ListPage({blog.Url(QStringLiteral("/e/1"))}, blog.Url(QStringLiteral("/cat/a?p=2"))));
    blog.SetPage(QStringLiteral("/cat/a?p=2"), ListPage({blog.Url(QStringLiteral("/e/2"))}, blog.Url(QStringLiteral("/cat/a"))));
    TRecordingHost host;
    EXPECT_TRUE(Run(blog, {Category(QStringLiteral("A"), blog.Url(QStringLiteral("/cat/a")))}, host));
    EXPECT_EQ(host.Log[2], QStringLiteral("同じページに戻ったため巡回を終えます: ") + blog.Url(QStringLiteral("/cat/a")));
    EXPECT_EQ(Links().size(), 2);
}

TEST_F(CategoryDownloadTest, OneClientKeepsCookiesAndUsesTheProxy)
{
    TFixtureBlog blog;
    THttpTestResponse first = THttpTestResponse::Html(
        ListPage({blog.Url(QStringLiteral("/e/1"))}, blog.Url(QStringLiteral("/cat/a?page=2"))).toUtf8());
    first.Header("Set-Cookie", "session=abc123; Path=/");
    blog.Server.SetRoute("/cat/a", first);
    blog.SetPage(QStringLiteral("/cat/a?page=2"), ListPage({blog.Url(QStringLiteral("/e/2"))}));
    THttpTestProxy proxy;
    TAppConfig::GetInstance().SetUseProxy(true);
    TAppConfig::GetInstance().SetProxyServer(QStringLiteral("127.0.0.1"));
    TAppConfig::GetInstance().SetProxyPort(proxy.Port());

    TRecordingHost host;
    EXPECT_TRUE(Run(blog, {Category(QStringLiteral("A"), blog.Url(QStringLiteral("/cat/a")))}, host));
    EXPECT_EQ(Links().size(), 2);
    ASSERT_EQ(proxy.Requests().size(), 2);
    EXPECT_EQ(proxy.Requests()[1].Target, blog.Url(QStringLiteral("/cat/a?page=2")).toUtf8());
    const auto requests = blog.Server.Requests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_TRUE(requests[1].Header("Cookie").contains("session=abc123"));
}

TEST_F(CategoryDownloadTest, ACategoryNotReadToItsEndKeepsItsEarlierLinks)
{
    TFixtureBlog blog;
    const QString e1 = blog.Url(QStringLiteral("/e/1")), e2 = blog.Url(QStringLiteral("/e/2")),
                  e3 = blog.Url(QStringLiteral("/e/3")), e4 = blog.Url(QStringLiteral("/e/4")),
                  e5 = blog.Url(QStringLiteral("/e/5"));
    blog.SetPage(QStringLiteral("/cat/a"), ListPage({e1, e2}));
    blog.SetPage(QStringLiteral("/cat/b"), ListPage({e3}));
    blog.SetPage(QStringLiteral("/cat/c"), ListPage({e4}));
    const TCategoryData a = Category(QStringLiteral("A"), blog.Url(QStringLiteral("/cat/a")));
    const TCategoryData b = Category(QStringLiteral("B"), blog.Url(QStringLiteral("/cat/b")));
    const TCategoryData c = Category(QStringLiteral("C"), blog.Url(QStringLiteral("/cat/c")));
    TRecordingHost first;
    ASSERT_TRUE(Run(blog, {a, b, c}, first));
    auto sorted = [this] {
        QList<QPair<int, QString>> links = Links();
        std::sort(links.begin(), links.end());
        return links;
    };
    ASSERT_EQ(sorted(), (QList<QPair<int, QString>>{{1, e1}, {1, e2}, {2, e3}, {3, e4}}));

    // B now fails on its second page, and the list was reordered: the links follow
    // their categories to the new ids, C is read anew, A is never reached.
    blog.SetPage(QStringLiteral("/cat/b"), ListPage({e5}, blog.Url(QStringLiteral("/cat/b?page=2"))));
    blog.Server.SetRoute("/cat/b?page=2", THttpTestResponse::WithStatus(503, "maintenance"));
    blog.SetPage(QStringLiteral("/cat/c"), ListPage({e4, e5}));
    TRecordingHost failed;
    EXPECT_FALSE(Run(blog, {c, b, a}, failed));
    EXPECT_EQ(failed.Log.last(), QStringLiteral("カテゴリ「B」のリンクは以前のまま残しました。"));
    EXPECT_EQ(sorted(), (QList<QPair<int, QString>>{{1, e4}, {1, e5}, {2, e3}, {3, e1}, {3, e2}}));
    const TCategoryMap stored = FDb->LoadCategories();
    EXPECT_EQ(stored.keys(), (QList<int>{0, 1, 2, 3}));
    EXPECT_EQ(stored[3].GetName(), QStringLiteral("A"));

    // Cancel while B is being read: the same.
    blog.Server.SetRoute("/cat/b?page=2", THttpTestResponse::Stall());
    TRecordingHost cancelled;
    cancelled.CancelWhen = [](const TRecordingHost &h) { return h.Urls.size() >= 3; }; // during page 2 of B
    EXPECT_TRUE(Run(blog, {c, b, a}, cancelled));
    EXPECT_TRUE(cancelled.Log.contains(QStringLiteral("カテゴリ「B」のリンクは以前のまま残しました。")));
    EXPECT_EQ(sorted(), (QList<QPair<int, QString>>{{1, e4}, {1, e5}, {2, e3}, {3, e1}, {3, e2}}));
    blog.Server.ReleaseStalled();
}
