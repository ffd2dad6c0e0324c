#include "Blogsites.h"
#include "Definitionfiles.h"
#include "Scripttest.h"
#include "Testpaths.h"

#include "blogtype/Tblogconfig.h"
#include "blogtype/Tcategoryparser.h"
#include "blogtype/Tentryparser.h"
#include "blogtype/Tscriptcontroller.h"
#include "platform/Tappdirs.h"
#include "platform/Varnokierror.h"
#include "retrieval/Tcodepage.h"
#include "retrieval/Tdownloadhost.h"
#include "retrieval/Thttputility.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <memory>

namespace {
const QString Base = QStringLiteral("http://blog.example");

const QStringList ScriptFunctions = {
    QStringLiteral("GetRecentEntry"), QStringLiteral("GetDate"), QStringLiteral("GetTitle"),
    QStringLiteral("GetNextUrl"), QStringLiteral("GetEntryUrl"), QStringLiteral("GetNextCategoryUrl")};

QString BlogFolder()
{
    return TestPaths::BinDir() + QStringLiteral("/blog");
}

TBlogConfig BlogType(const QString &iniName)
{
    return TBlogConfig(BlogFolder() + QLatin1Char('/') + iniName);
}

QString Url(const QString &path)
{
    return path.isEmpty() ? QString() : Base + path;
}

QStringList Urls(const QStringList &paths)
{
    QStringList urls;
    for (const QString &path : paths)
        urls << Url(path);
    return urls;
}

// A page as the blog type's character set reads it, the way a download does.
QString PageText(const TBlogSite &site, const TBlogConfig &config, const QString &target)
{
    return DecodePage(site.Page(target, Base), TCodePage::GetInstance()->GetCodePage(config.GetEncode()));
}

// All pages of a site, decoded for the given blog type.
QList<QPair<QString, QString>> AllPages(const TBlogSite &site, const TBlogConfig &config)
{
    QList<QPair<QString, QString>> pages;
    for (auto it = site.routes.begin(); it != site.routes.end(); ++it)
        pages.append({it.key(), PageText(site, config, it.key())});
    return pages;
}

std::unique_ptr<TScriptController> LoadScript(const TBlogConfig &config)
{
    auto controller = std::make_unique<TScriptController>();
    controller->Initialize(config.GetLanguage(), ReadScriptFile(config.GetScriptPath()), ReadHelperScripts(config));
    return controller;
}

class BlogSiteTest : public ::testing::TestWithParam<TBlogSite>
{
protected:
    const TBlogSite &Site() const { return GetParam(); }
    TBlogConfig Config() const { return BlogType(Site().blogType); }
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

TEST(BlogTypes, EveryShippedBlogTypeIsComplete)
{
    TBlogConfigManager manager(BlogFolder());
    manager.Load();
    QStringList names;
    for (const TBlogConfig &config : manager.GetBlogConfigs()) {
        SCOPED_TRACE(config.GetName().toStdString());
        names << config.GetName();
        EXPECT_FALSE(config.GetSimpleText().isEmpty());
        EXPECT_EQ(config.GetLanguage(), QStringLiteral("JScript"));
        EXPECT_NE(TCodePage::GetInstance()->GetCodePage(config.GetEncode()), NoCodePage);
        EXPECT_GT(QFileInfo(config.GetHelpPath()).size(), 500);

        // The installed script carries the shared helper and defines every function.
        auto controller = LoadScript(config);
        for (const QString &function : ScriptFunctions + QStringList{QStringLiteral("HtmlDoc")}) {
            EXPECT_EQ(controller->CallFunction(QStringLiteral("(function () { return typeof ") + function
                                                   + QStringLiteral("; })"),
                                               QString()),
                      QStringLiteral("function"))
                << function.toStdString();
        }
    }
    // Every INI file of the source became a blog type of its own name.
    EXPECT_EQ(names.size(), ShippedBlogTypeFiles().size());
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());

    // Every service of the registry has its blog type, and every blog type a fixture
    // blog that its tests crawl.
    QSet<QString> tested;
    for (const TBlogSite &site : LoadBlogSites())
        tested.insert(site.blogType);
    for (const QString &file : ServiceBlogTypeFiles())
        EXPECT_TRUE(ShippedBlogTypeFiles().contains(file)) << file.toStdString();
    for (const QString &file : ShippedBlogTypeFiles())
        EXPECT_TRUE(tested.contains(file)) << "no fixture blog for " << file.toStdString();
    // The guide to writing one is installed with them.
    EXPECT_GT(QFileInfo(BlogFolder() + QStringLiteral("/guide.html")).size(), 10000);
    // The helpers are installed beside the blog types, not joined into their scripts.
    EXPECT_TRUE(QFileInfo::exists(BlogFolder() + QStringLiteral("/common.js")));
    EXPECT_TRUE(QFileInfo::exists(BlogFolder() + QStringLiteral("/services.js")));
}

TEST_P(BlogSiteTest, WalkFromTopPageToOldestEntry)
{
    const TBlogConfig config = Config();
    TEntryParser parser;
    parser.Initialize(config);
    ASSERT_FALSE(Site().entries.isEmpty());

    EXPECT_EQ(parser.GetRecentEntry(PageText(Site(), config, Site().top)), Url(Site().entries[0].url));
    for (qsizetype i = 0; i < Site().entries.size(); ++i) {
        const TBlogSite::TEntry &entry = Site().entries[i];
        SCOPED_TRACE(entry.url.toStdString());
        const TParsedEntry parsed = parser.Parse(PageText(Site(), config, entry.url));
        EXPECT_EQ(parsed.date, entry.date);
        EXPECT_EQ(parsed.title, entry.title);
        EXPECT_EQ(parsed.nextUrl, i + 1 < Site().entries.size() ? Url(Site().entries[i + 1].url) : QString());
    }
}

// Templates disagree on whether "next" or "previous" is the older entry. With every
// pager turned round, a blog type that reads the direction from the data still walks
// back, and stops at the oldest entry.
TEST_P(BlogSiteTest, PagersTurnedRoundStillLeadToTheOlderEntry)
{
    if (!Site().pagersReadByData)
        GTEST_SKIP() << "the blog type follows the service's own older link";
    const TBlogConfig config = Config();
    TEntryParser parser;
    parser.Initialize(config);
    const QList<QPair<QString, QString>> pairs = {
        {QStringLiteral("paging-prev"), QStringLiteral("paging-next")},
        {QStringLiteral("pagingPrev"), QStringLiteral("pagingNext")},
        {QStringLiteral("pager-prev"), QStringLiteral("pager-next")},
        {QStringLiteral("rel=\"prev\""), QStringLiteral("rel=\"next\"")},
        {QStringLiteral("前の記事"), QStringLiteral("次の記事")}};
    for (qsizetype i = 0; i < Site().entries.size(); ++i) {
        SCOPED_TRACE(Site().entries[i].url.toStdString());
        QString page = PageText(Site(), config, Site().entries[i].url);
        for (const auto &[one, other] : pairs) {
            page.replace(one, QStringLiteral("\x01"));
            page.replace(other, one);
            page.replace(QStringLiteral("\x01"), other);
        }
        EXPECT_EQ(parser.GetNextUrl(page), i + 1 < Site().entries.size() ? Url(Site().entries[i + 1].url) : QString());
    }
}

TEST_P(BlogSiteTest, CategoryPagesListTheirEntriesAndLeadToTheNextPage)
{
    const TBlogConfig config = Config();
    TCategoryParser parser;
    parser.Initialize(config);
    ASSERT_FALSE(Site().categories.isEmpty());
    for (const TBlogSite::TCategory &category : Site().categories) {
        for (const TBlogSite::TCategoryPage &page : category.pages) {
            SCOPED_TRACE(page.url.toStdString());
            const QString text = PageText(Site(), config, page.url);
            EXPECT_EQ(parser.GetEntryUrl(text), Urls(page.entries));
            EXPECT_FALSE(parser.HasError()) << parser.GetErrorMessage().toStdString();
            EXPECT_EQ(parser.GetNextCategoryUrl(text), Url(page.next));
            EXPECT_FALSE(parser.HasError()) << parser.GetErrorMessage().toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Blogs, BlogSiteTest, ::testing::ValuesIn(LoadBlogSites()), SiteName);

TBlogSite SiteNamed(const QString &name)
{
    for (const TBlogSite &site : LoadBlogSites()) {
        if (site.name == name)
            return site;
    }
    ADD_FAILURE() << "no fixture blog " << name.toStdString();
    return TBlogSite();
}

// FC2 templates need not write <link rel="next">: the walk then goes by entry numbers
// and the category pages by their page numbers or the "next page" link.
TEST(BlogTypes, Fc2BlogsWithoutRelLinks)
{
    const QRegularExpression relLinks(QStringLiteral("<link rel=\"(?:next|prev)\"[^>]*>"));
    for (const QString &name : {QStringLiteral("fc2"), QStringLiteral("fc2-euc")}) {
        SCOPED_TRACE(name.toStdString());
        const TBlogSite site = SiteNamed(name);
        const TBlogConfig config = BlogType(site.blogType);
        auto text = [&](const QString &target) { return PageText(site, config, target).remove(relLinks); };
        TEntryParser entries;
        entries.Initialize(config);
        for (qsizetype i = 0; i < site.entries.size(); ++i) {
            const QString page = text(site.entries[i].url);
            ASSERT_FALSE(page.contains(QStringLiteral("<link rel=\"next\"")));
            EXPECT_EQ(entries.GetNextUrl(page), i + 1 < site.entries.size() ? Url(site.entries[i + 1].url) : QString())
                << site.entries[i].url.toStdString();
        }
        TCategoryParser categories;
        categories.Initialize(config);
        for (const TBlogSite::TCategory &category : site.categories) {
            for (const TBlogSite::TCategoryPage &page : category.pages)
                EXPECT_EQ(categories.GetNextCategoryUrl(text(page.url)), Url(page.next)) << page.url.toStdString();
        }
    }
}

// A page without any service's marks may be anybody's; one with another service's
// marks is left alone.
namespace {
// A blog type written into the user's own folder, found with the shipped blog types
// beside the program as an installed program finds them.
class UserBlogTypeTest : public ::testing::Test
{
protected:
    void SetUp() override { SetAppDirOverride(TestPaths::BinDir()); }
    void TearDown() override
    {
        for (const QString &name : FWritten)
            QFile::remove(GetUserBlogDir() + name);
        SetAppDirOverride(QString());
    }

    TBlogConfig Write(const QString &name, const QByteArray &script)
    {
        WriteFile(name + QStringLiteral(".ini"), "[CONFIG]\nname=" + name.toUtf8() + "\nencode=UTF-8\n[SCRIPT]\nfile="
                                                    + name.toUtf8() + ".js\nlanguage=JScript\n");
        WriteFile(name + QStringLiteral(".js"), script);
        return TBlogConfig(GetUserBlogDir() + name + QStringLiteral(".ini"));
    }

    void WriteFile(const QString &name, const QByteArray &bytes)
    {
        EXPECT_TRUE(WriteBytes(GetUserBlogDir() + name, bytes));
        FWritten << name;
    }

    QStringList FWritten;
};

const QString UserPage = QStringLiteral(
    "<html><head><link rel=\"canonical\" href=\"http://my.example/post/12\"></head><body>"
    "<div id=\"posts\"><div class=\"post\"><a class=\"title\" href=\"/post/12\">Twelve &amp; more</a>"
    "<span class=\"when\" data-at=\"2024-05-06 07:08\">May 6</span></div>"
    "<div class=\"post\"><a class=\"title\" href=\"/post/11\">Eleven</a>"
    "<span class=\"when\" data-at=\"2024-05-01 10:00\">May 1</span></div></div>"
    "<a class=\"older\" href=\"/post/11\">older</a><a class=\"more\" href=\"/page/2\">more</a></body></html>");
} // namespace

// The user's script is not joined with anything; the program loads the shipped
// helpers ahead of it, so a declaration alone makes a working blog type.
TEST_F(UserBlogTypeTest, ADeclarationOfTheUsersOwnIsAWholeBlogType)
{
    const TBlogConfig config = Write(QStringLiteral("mine"),
        "BlogType({\n"
        "  main: \"#posts\",\n"
        "  entries: {items: \".post\", link: \"a.title\", date: \".when@data-at\"},\n"
        "  title: \"a.title\",\n"
        "  date: \".when@data-at\",\n"
        "  older: \"a.older\",\n"
        "  olderList: \"a.more\"\n"
        "});\n");
    TEntryParser entries;
    entries.Initialize(config);
    EXPECT_EQ(entries.GetLoadWarning(), QString());
    EXPECT_EQ(entries.GetRecentEntry(UserPage), QStringLiteral("http://my.example/post/12"));
    const TParsedEntry parsed = entries.Parse(UserPage);
    EXPECT_EQ(parsed.title, QStringLiteral("Twelve & more"));
    EXPECT_EQ(parsed.date, QStringLiteral("2024-05-06 07:08"));
    EXPECT_EQ(parsed.nextUrl, QStringLiteral("http://my.example/post/11"));
    TCategoryParser categories;
    categories.Initialize(config);
    EXPECT_EQ(categories.GetEntryUrl(UserPage),
              (QStringList{QStringLiteral("http://my.example/post/12"), QStringLiteral("http://my.example/post/11")}));
    EXPECT_EQ(categories.GetNextCategoryUrl(UserPage), QStringLiteral("http://my.example/page/2"));
}

TEST_F(UserBlogTypeTest, FunctionsWrittenOutWinAndErrorsPointIntoTheRightFile)
{
    // A function the script writes itself is kept; the rest come from the declaration.
    // Error positions count the script's own lines, whatever the helpers hold.
    const TBlogConfig config = Write(QStringLiteral("mixed"),
        "function GetTitle(page) {\n"
        "  return \"own \" + TextOf(HtmlDoc(page), \"a.title\");\n"
        "}\n"
        "BlogType({title: \"b\", date: function () { return undefinedName; }, older: \"a..bad\"});\n");
    TEntryParser entries;
    entries.Initialize(config);
    EXPECT_EQ(entries.GetTitle(UserPage), QStringLiteral("own Twelve & more"));
    try {
        entries.GetDate(UserPage);
        ADD_FAILURE() << "no error";
    } catch (const EVarnokiError &error) {
        EXPECT_TRUE(error.Message().startsWith(QStringLiteral("4,"))) << error.Message().toStdString();
        EXPECT_FALSE(error.Message().contains(QStringLiteral("common.js")));
    }
    // A selector the helpers cannot read fails inside them, and the message says so.
    try {
        entries.GetNextUrl(UserPage);
        ADD_FAILURE() << "no error";
    } catch (const EVarnokiError &error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("a..bad"))) << error.Message().toStdString();
        EXPECT_TRUE(error.Message().endsWith(QStringLiteral("(common.js)"))) << error.Message().toStdString();
    }
}

TEST_F(UserBlogTypeTest, FunctionsWrittenWithLetOrConstAreKeptToo)
{
    const TBlogConfig config = Write(QStringLiteral("lexical"),
        "BlogType({title: \"a.title\", older: \"a.older\"});\n"
        "let GetNextUrl = function () { return \"http://my.example/mine\"; };\n");
    TEntryParser entries;
    entries.Initialize(config);
    EXPECT_EQ(entries.GetNextUrl(UserPage), QStringLiteral("http://my.example/mine"));
    EXPECT_EQ(entries.GetTitle(UserPage), QStringLiteral("Twelve & more"));
}

TEST_F(UserBlogTypeTest, TheUsersHelperFilesReplaceTheShippedOnes)
{
    WriteFile(QStringLiteral("services.js"), "ServiceMarks.mine = /my\\.example/;\n");
    const TBlogConfig config = Write(QStringLiteral("marked"),
        "BlogType({service: \"mine\", main: \"#posts\", entries: {items: \".post\", link: \"a.title\"}});\n");
    TEntryParser entries;
    entries.Initialize(config);
    EXPECT_EQ(entries.GetRecentEntry(UserPage), QStringLiteral("http://my.example/post/12"));
    // The shipped services are no longer known, so their pages are not refused.
    QString wordpressPage = UserPage;
    wordpressPage.replace(QStringLiteral("http://my.example/post/12"), QStringLiteral("http://wp.example/wp-content/x"));
    EXPECT_EQ(entries.GetRecentEntry(wordpressPage), QStringLiteral("http://wp.example/post/12"));

    QFile::remove(GetUserBlogDir() + QStringLiteral("services.js"));
    entries.Initialize(config);
    EXPECT_EQ(entries.GetRecentEntry(wordpressPage), QString());

    WriteFile(QStringLiteral("common.js"), "function GetRecentEntry() { return \"from my helper\"; }\n");
    entries.Initialize(config);
    EXPECT_EQ(entries.GetRecentEntry(UserPage), QStringLiteral("from my helper"));
}

// Where the pager is read by the data, a link that carries no order (a named entry
// among dated ones) is still the older entry when nothing ordered is older.
TEST(BlogTypes, ANamedOlderEntryAmongDatedOnesIsFollowed)
{
    const TBlogConfig config = BlogType(QStringLiteral("hatena.ini"));
    TEntryParser parser;
    parser.Initialize(config);
    const QString page = QStringLiteral(
        "<html data-blog-name=\"x\"><head><link rel=\"canonical\" href=\"%1\"></head><body><div id=\"main\">"
        "<article class=\"entry\"><h1 class=\"entry-title\"><a class=\"entry-title-link\" href=\"%1\">t</a></h1>"
        "</article><div class=\"pager pager-permalink\"><span class=\"pager-prev\"><a href=\"%2\">newer</a></span>"
        "<span class=\"pager-next\"><a href=\"%3\">older</a></span></div></div></body></html>");
    const QString own = QStringLiteral("http://b.example/entry/2024/03/10/120000");
    const QString newer = QStringLiteral("http://b.example/entry/2024/03/11/080000");
    const QString named = QStringLiteral("http://b.example/entry/my-slug");
    EXPECT_EQ(parser.GetNextUrl(page.arg(own, newer, named)), named);
    // Turned round: the dated link is older than the page and wins over the named one.
    const QString older = QStringLiteral("http://b.example/entry/2024/03/09/080000");
    EXPECT_EQ(parser.GetNextUrl(page.arg(own, named, older)), older);
    // The only link is newer by its date: the walk ends here.
    EXPECT_EQ(parser.GetNextUrl(page.arg(own, QString(), newer)), QString());
}

// Pages shaped like the themes real blogs run (classic and Japanese WordPress themes,
// Blogger layouts, Ameba skins, FC2 templates, static and hosted blogs): titles beside
// comments and site names, dates written as text, UTC instants, pagers without rel,
// top pages that list archives. The table says what each function must return.
TEST(BlogTypes, PagesShapedLikeRealThemesReadRight)
{
    const QString folder = TestPaths::FixturesDir() + QStringLiteral("/pageshapes/");
    QFile table(folder + QStringLiteral("cases.tsv"));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    QMap<QString, std::shared_ptr<TScriptController>> controllers;
    int cases = 0;
    for (const QString &line : QString::fromUtf8(table.readAll()).split(QLatin1Char('\n'))) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        ASSERT_GE(fields.size(), 3) << line.toStdString();
        SCOPED_TRACE(QString(fields[0] + QLatin1Char(' ') + fields[2]).toStdString());
        QFile page(folder + fields[0]);
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        auto &controller = controllers[fields[1]];
        if (!controller)
            controller = LoadScript(BlogType(fields[1]));
        EXPECT_EQ(controller->CallFunction(fields[2], QString::fromUtf8(page.readAll())), fields.value(3));
        EXPECT_FALSE(controller->HasError()) << controller->GetErrorMessage().toStdString();
        ++cases;
    }
    EXPECT_GE(cases, 20);
}

TEST(BlogTypes, PagesWithoutServiceMarksAreReadAndOthersLeftAlone)
{
    const QString list = QStringLiteral(
        "<html><head><link rel=\"canonical\" href=\"http://b.example/\"></head><body><main>"
        "<article><h2 class=\"entry-title\"><a href=\"/2024/02/old/\">Old</a></h2>"
        "<time class=\"entry-date\" datetime=\"2024-02-01T10:00:00+09:00\">2月1日</time></article>"
        "<article><h2 class=\"entry-title\"><a href=\"/2024/03/new/\">New</a></h2>"
        "<time class=\"entry-date\" datetime=\"2024-03-01T10:00:00+09:00\">3月1日</time></article>"
        "</main></body></html>");
    TEntryParser wordpress;
    const TBlogConfig config = BlogType(QStringLiteral("wordpress.ini"));
    wordpress.Initialize(config);
    EXPECT_EQ(wordpress.GetRecentEntry(list), QStringLiteral("http://b.example/2024/03/new/"));
    QString livedoorPage = list;
    livedoorPage.replace(QStringLiteral("</head>"), QStringLiteral("<script>var ld_blog_vars = {};</script></head>"));
    EXPECT_EQ(wordpress.GetRecentEntry(livedoorPage), QString());

    // A plain dated list is enough for the generic blog type.
    TEntryParser generic;
    const TBlogConfig genericConfig = BlogType(QStringLiteral("generic.ini"));
    generic.Initialize(genericConfig);
    EXPECT_EQ(generic.GetRecentEntry(QStringLiteral(
                  "<base href=\"http://c.example/notes/\"><main><ul>"
                  "<li><time datetime=\"2023-12-30\">12/30</time> <a href=\"p/1\">one</a></li>"
                  "<li><time datetime=\"2024-01-02\">1/2</time> <a href=\"p/2\">two</a></li>"
                  "</ul></main>")),
              QStringLiteral("http://c.example/notes/p/2"));
}

// A blog type given another service's pages finds nothing to walk, so the download
// stops with its usual message, and none of its functions fails on any page.
TEST(BlogTypes, PagesOfOtherServicesYieldNothingAndNoErrors)
{
    const QList<TBlogSite> sites = LoadBlogSites();
    QSet<QString> types;
    for (const TBlogSite &site : sites)
        types.insert(site.blogType);
    for (const QString &type : types) {
        const TBlogConfig config = BlogType(type);
        auto controller = LoadScript(config);
        for (const TBlogSite &site : sites) {
            const bool own = site.blogType == type;
            const bool generic = type == QStringLiteral("generic.ini");
            for (const auto &[target, text] : AllPages(site, config)) {
                SCOPED_TRACE(QString(type + QLatin1Char(' ') + site.name + target).toStdString());
                for (const QString &function : ScriptFunctions) {
                    const QString result = controller->CallFunction(function, text);
                    EXPECT_FALSE(controller->HasError())
                        << function.toStdString() << ": " << controller->GetErrorMessage().toStdString();
                    if (!own && !generic && (function == QLatin1String("GetRecentEntry")
                                             || function == QLatin1String("GetEntryUrl"))) {
                        EXPECT_EQ(result, QString()) << function.toStdString();
                    }
                }
            }
        }
    }
}

// Broken, endless or deeply nested markup and script data must neither fail nor run
// into the script time limit.
TEST(BlogTypes, HostilePagesEndQuicklyWithoutErrors)
{
    const QStringList pages = {
        QString(),
        QStringLiteral("<"),
        QStringLiteral("<a href=\"") + QString(100000, u'x'),
        QStringLiteral("<div>").repeated(5000) + QStringLiteral("<article><h2><a href=\"/x\">t</a></h2></article>"),
        QStringLiteral("<a ").repeated(200000) + QStringLiteral(">"),
        QStringLiteral("a<b").repeated(100000),
        QStringLiteral("<!--") + QString(100000, u'x'),
        QStringLiteral("<script>var ld_blog_vars = {'a") + QString(1000, u'x'),
        QStringLiteral("<script>window.INIT_DATA={\"a\":") + QStringLiteral("[").repeated(5000),
        QStringLiteral("ld_blog_vars.articles.push({").repeated(2000),
        QStringLiteral("<script type=\"application/ld+json\">") + QStringLiteral("[").repeated(100000)
            + QStringLiteral("</script>"),
        QStringLiteral("<a title=\"").repeated(50000),
        QStringLiteral("&#99999999999;&#x110000;&#0;&#xD800;&amp").repeated(10000),
        QStringLiteral("<div/>").repeated(10000),
        QStringLiteral("</div>").repeated(20000),
        QStringLiteral("<p><li><dd><td><tr><option><h1><h2><a href=\"/blog-entry-1.html\">").repeated(1500),
        QStringLiteral("<h2 class=\"entry_header\"><a href=\"/blog-entry-1.html\">x</a></h2><p>2024/01/02</p>").repeated(3000),
        QStringLiteral("<a href=\"/p/1\"><article class=\"post\"><h2>x</h2><time datetime=\"2024-01-02\">x</time></article></a>")
            .repeated(3000),
        QString(QChar(0xD800)) + QStringLiteral("\\\"\u2028\u2029") + QString(QChar(0)),
    };
    for (const QString &type : ShippedBlogTypeFiles()) {
        auto controller = LoadScript(BlogType(type));
        for (qsizetype i = 0; i < pages.size(); ++i) {
            SCOPED_TRACE(QString(type + QStringLiteral(" page ") + QString::number(i)).toStdString());
            QElapsedTimer timer;
            timer.start();
            for (const QString &function : ScriptFunctions) {
                controller->CallFunction(function, pages[i]);
                EXPECT_FALSE(controller->HasError())
                    << function.toStdString() << ": " << controller->GetErrorMessage().toStdString();
            }
            EXPECT_LT(timer.elapsed(), 5000);
        }
    }
}

namespace {
// The shared helper on its own, with a test function that runs one helper call.
class HelperTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFile file(TestPaths::SourceDir() + QStringLiteral("/data/blog/common.js"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        FController.Initialize(QStringLiteral("JScript"),
                               QString::fromUtf8(file.readAll())
                                   + QStringLiteral("\nvar Helpers = {ResolveUrl: ResolveUrl, NormalizeUrl: NormalizeUrl,"
                                                    " DecodeEntities: DecodeEntities};\n"
                                                    "function Call(text) { var a = text.split('\\u0001');"
                                                    " return Helpers[a[0]].apply(null, a.slice(1)); }"));
    }

    QString Call(const QStringList &call)
    {
        const QString result =
            FController.CallFunction(QStringLiteral("Call"), call.join(QChar(1)));
        EXPECT_FALSE(FController.HasError()) << FController.GetErrorMessage().toStdString();
        return result;
    }

    TScriptController FController;
};
} // namespace

// The examples of RFC 3986, section 5.4, and what pages write in practice.
TEST_F(HelperTest, ResolvesReferencesLikeBrowsers)
{
    const QString base = QStringLiteral("http://a/b/c/d;p?q");
    const QList<QPair<QString, QString>> cases = {
        {QStringLiteral("g:h"), QStringLiteral("g:h")},
        {QStringLiteral("g"), QStringLiteral("http://a/b/c/g")},
        {QStringLiteral("./g"), QStringLiteral("http://a/b/c/g")},
        {QStringLiteral("g/"), QStringLiteral("http://a/b/c/g/")},
        {QStringLiteral("/g"), QStringLiteral("http://a/g")},
        {QStringLiteral("//g"), QStringLiteral("http://g")},
        {QStringLiteral("?y"), QStringLiteral("http://a/b/c/d;p?y")},
        {QStringLiteral("g?y"), QStringLiteral("http://a/b/c/g?y")},
        {QStringLiteral("#s"), QStringLiteral("http://a/b/c/d;p?q#s")},
        {QStringLiteral(";x"), QStringLiteral("http://a/b/c/;x")},
        {QStringLiteral(""), QStringLiteral("http://a/b/c/d;p?q")},
        {QStringLiteral(".."), QStringLiteral("http://a/b/")},
        {QStringLiteral("../g"), QStringLiteral("http://a/b/g")},
        {QStringLiteral("../../../g"), QStringLiteral("http://a/g")},
        {QStringLiteral("/./g"), QStringLiteral("http://a/g")},
        {QStringLiteral("g..") , QStringLiteral("http://a/b/c/g..")},
        {QStringLiteral("./g/."), QStringLiteral("http://a/b/c/g/")},
        {QStringLiteral("g;x=1/../y"), QStringLiteral("http://a/b/c/y")},
        {QStringLiteral("http:g"), QStringLiteral("http://a/b/c/g")},
        {QStringLiteral("  \n/g \t"), QStringLiteral("http://a/g")},
    };
    for (const auto &[ref, expected] : cases)
        EXPECT_EQ(Call({QStringLiteral("ResolveUrl"), base, ref}), expected) << ref.toStdString();
}

TEST_F(HelperTest, NormalisesOnlyWhatDoesNotChangeTheAddress)
{
    EXPECT_EQ(Call({QStringLiteral("NormalizeUrl"), QStringLiteral("HTTP://Blog.Example:80/A/b/?x=1&Y=2#top")}),
              QStringLiteral("http://blog.example/A/b/?x=1&Y=2"));
    EXPECT_EQ(Call({QStringLiteral("NormalizeUrl"), QStringLiteral("https://blog.example:443")}),
              QStringLiteral("https://blog.example/"));
    EXPECT_EQ(Call({QStringLiteral("NormalizeUrl"), QStringLiteral("http://blog.example:8080/%e6%97%a5?")}),
              QStringLiteral("http://blog.example:8080/%e6%97%a5?"));
}

TEST_F(HelperTest, DecodesCharacterReferencesOnce)
{
    const QList<QPair<QString, QString>> cases = {
        {QStringLiteral("Tom&#8217;s &amp; &quot;x&quot;"), QStringLiteral("Tom’s & \"x\"")},
        {QStringLiteral("&amp;#038;"), QStringLiteral("&#038;")},
        {QStringLiteral("?a=1&#038;b=2&amp;c=3"), QStringLiteral("?a=1&b=2&c=3")},
        {QStringLiteral("?a=1&copy=2&lang=ja"), QStringLiteral("?a=1&copy=2&lang=ja")},
        {QStringLiteral("&copy; &nbsp;&hellip;&#x1F338;"), QStringLiteral("© \u00a0…🌸")},
        {QStringLiteral("&#150;&#0;&#xD800;&#99999999;"), QStringLiteral("–\uFFFD\uFFFD\uFFFD")},
        {QStringLiteral("&unknown; &amp"), QStringLiteral("&unknown; &")},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(Call({QStringLiteral("DecodeEntities"), text}), expected) << text.toStdString();
}
