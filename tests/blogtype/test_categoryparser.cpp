#include "Scripttest.h"

#include "blogtype/Tcategoryparser.h"

namespace {

const QString JScript = QStringLiteral("JScript");

// The page arrives with its breaks normalised, so the script spells the breaks it
// should return as <CR> and <LF>.
const QString Echo = QStringLiteral(
    "function GetEntryUrl(s) { return s.replace(/<CR>/g, '\\r').replace(/<LF>/g, '\\n'); }\n");

} // namespace

TEST(CategoryParserTest, EntryUrlsAreSplitIntoUntrimmedLines)
{
    TCategoryParser parser;
    parser.Initialize(JScript, Echo);

    const QStringList abc = {QStringLiteral("http://a/1"), QStringLiteral("http://a/2"),
                             QStringLiteral("http://a/3")};
    const struct {
        const char *result;
        QStringList expected;
    } cases[] = {
        {"http://a/1<LF>http://a/2<LF>http://a/3", abc},
        {"http://a/1<CR><LF>http://a/2<CR><LF>http://a/3", abc},
        {"http://a/1<CR>http://a/2<CR>http://a/3", abc},
        {"http://a/1<LF>http://a/2<CR><LF>http://a/3<CR><LF>", abc},
        {"http://a/1<LF>http://a/2<LF>http://a/3<CR>", abc},
        {"x<LF><LF>y", {QStringLiteral("x"), QString(), QStringLiteral("y")}},
        {"x<CR><CR><LF>y", {QStringLiteral("x"), QString(), QStringLiteral("y")}},
        {"x<LF><CR>y", {QStringLiteral("x"), QString(), QStringLiteral("y")}},
        {"x<LF><LF>", {QStringLiteral("x"), QString()}},
        {"<LF>", {QString()}},
        {"  http://a/1 \t<LF> http://a/2", {QStringLiteral("  http://a/1 \t"), QStringLiteral(" http://a/2")}},
        {"", {}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(parser.GetEntryUrl(QString::fromUtf8(c.result)), c.expected) << c.result;
        EXPECT_FALSE(parser.HasError());
    }
}

TEST(CategoryParserTest, SampleBlogScriptReadsCategoryPages)
{
    TCategoryParser parser;
    parser.Initialize(JScript, ReadScriptFixture(QStringLiteral("sampleblog.js")));

    const QString first = QStringLiteral(
        "<h1>カテゴリー「旅行」</h1>\r\n<ul>\r\n"
        "<li class=\"entry\"><a href=\"https://blog.example.jp/entry/9.html\">京都</a></li>\r\n"
        "<li class=\"entry\"><a href=\"https://blog.example.jp/entry/7.html\">\"奈良\"</a></li>\n"
        "<li class=\"entry\"><a href=\"https://blog.example.jp/entry/4.html\">大阪\\</a></li>\r"
        "</ul>\r\n<a class=\"next-page\" href=\"https://blog.example.jp/category/travel?page=2&amp;sort=new\">次へ</a>\r\n");
    EXPECT_EQ(parser.GetEntryUrl(first),
              QStringList({QStringLiteral("https://blog.example.jp/entry/9.html"),
                           QStringLiteral("https://blog.example.jp/entry/7.html"),
                           QStringLiteral("https://blog.example.jp/entry/4.html")}));
    EXPECT_EQ(parser.GetNextCategoryUrl(first),
              QStringLiteral("https://blog.example.jp/category/travel?page=2&sort=new"));

    const QString last = QStringLiteral("<h1>カテゴリー「旅行」</h1>\n<ul>\n</ul>\n");
    EXPECT_EQ(parser.GetEntryUrl(last), QStringList());
    EXPECT_EQ(parser.GetNextCategoryUrl(last), QString());
    EXPECT_FALSE(parser.HasError());
}

TEST(CategoryParserTest, ScriptErrorsStayInTheParserUntilTheNextCall)
{
    TCategoryParser parser;
    parser.Initialize(JScript, Echo + QStringLiteral("function Unused(s) { }\n"));

    EXPECT_EQ(parser.GetNextCategoryUrl(QStringLiteral("page")), QString());
    EXPECT_TRUE(parser.HasError());
    EXPECT_TRUE(parser.GetErrorMessage().contains(QLatin1String("GetNextCategoryUrl")))
        << parser.GetErrorMessage().toStdString();

    EXPECT_EQ(parser.GetEntryUrl(QStringLiteral("http://a/1")), QStringList({QStringLiteral("http://a/1")}));
    EXPECT_FALSE(parser.HasError());
    EXPECT_EQ(parser.GetErrorMessage(), QString());

    parser.Initialize(JScript, QStringLiteral("function GetEntryUrl(s) {\n  return s.no.such;\n}\n"));
    EXPECT_EQ(parser.GetEntryUrl(QStringLiteral("page")), QStringList());
    EXPECT_TRUE(parser.GetErrorMessage().startsWith(QLatin1String("2,")))
        << parser.GetErrorMessage().toStdString();
}
