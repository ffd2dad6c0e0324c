#include "Blogsites.h"
#include "Scripttest.h"
#include "Testpaths.h"

#include "blogtype/Tblogconfig.h"
#include "blogtype/Tcategoryparser.h"
#include "blogtype/Tentryparser.h"
#include "blogtype/Tscriptcontroller.h"
#include "platform/Varnokierror.h"
#include "retrieval/Tcodepage.h"
#include "retrieval/Tdownloadhost.h"
#include "retrieval/Thttputility.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
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
    controller->Initialize(config.GetLanguage(), ReadScriptFile(config.GetScriptPath()));
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
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("Blogger"), QStringLiteral("FC2ブログ"),
                                  QStringLiteral("WordPress"), QStringLiteral("livedoor Blog"),
                                  QStringLiteral("はてなブログ"), QStringLiteral("アメーバブログ"),
                                  QStringLiteral("汎用（標準規格対応）")}));
    // The helper itself is not a blog type's script and is not installed on its own.
    EXPECT_FALSE(QFileInfo::exists(BlogFolder() + QStringLiteral("/common.js")));
}

TEST_P(BlogSiteTest, WalkFromTopPageToOldestEntry)
{
    const TBlogConfig config = Config();
    TEntryParser parser;
    parser.Initialize(config.GetLanguage(), ReadScriptFile(config.GetScriptPath()));
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

TEST_P(BlogSiteTest, CategoryPagesListTheirEntriesAndLeadToTheNextPage)
{
    const TBlogConfig config = Config();
    TCategoryParser parser;
    parser.Initialize(config.GetLanguage(), ReadScriptFile(config.GetScriptPath()));
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
        QString(QChar(0xD800)) + QStringLiteral("\\\"\u2028\u2029") + QString(QChar(0)),
    };
    for (const QString &type : {QStringLiteral("generic.ini"), QStringLiteral("wordpress.ini"),
                                QStringLiteral("blogger.ini"), QStringLiteral("hatena.ini"),
                                QStringLiteral("livedoor.ini"), QStringLiteral("fc2.ini"),
                                QStringLiteral("ameba.ini")}) {
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
