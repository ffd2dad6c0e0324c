#include "Scripttest.h"

#include "blogtype/Tentryparser.h"
#include "platform/Varnokierror.h"

#include <QRegularExpression>

#include <functional>

namespace {

const QString JScript = QStringLiteral("JScript");

QString EntryPage(const QString &titleBlock, const QString &date, const QString &prev)
{
    QString page = QStringLiteral("<html>\r\n<head><title>サンプル</title></head>\r\n<body>\r\n"
                                  "<h2 class=\"entry-title\">")
        + titleBlock + QStringLiteral("</h2>\r\n");
    if (!date.isEmpty())
        page += QStringLiteral("<div class=\"entry-date\">") + date + QStringLiteral("</div>\r\n");
    if (!prev.isEmpty())
        page += QStringLiteral("<a class=\"prev\" href=\"") + prev + QStringLiteral("\">前の記事</a>\r\n");
    return page + QStringLiteral("</body></html>\r\n");
}

QString RaisedMessage(const std::function<void()> &call)
{
    try {
        call();
    } catch (const EVarnokiError &error) {
        return error.Message();
    }
    ADD_FAILURE() << "no error raised";
    return QString();
}

// GetNextUrl answers with the functions called since its last call.
const QString Recording = QStringLiteral(
    "var calls = [];\n"
    "function GetDate(s) { calls.push('GetDate'); if (s == 'throw') throw new Error('bad date'); }\n"
    "function GetTitle(s) { calls.push('GetTitle'); return s; }\n"
    "function GetNextUrl(s) { calls.push('GetNextUrl'); var c = calls.join(','); calls = []; return c; }\n");

} // namespace

TEST(EntryParserTest, SampleBlogScriptReadsTopAndEntryPages)
{
    TEntryParser parser;
    parser.Initialize(JScript, ReadScriptFixture(QStringLiteral("sampleblog.js")));

    const QString top = QStringLiteral(
        "<ul>\n<li><a class=\"entry-link\" href=\"https://blog.example.jp/entry/3.html?a=1&amp;b=2\">三</a></li>\n"
        "<li><a class=\"entry-link\" href=\"https://blog.example.jp/entry/2.html\">二</a></li>\n</ul>");
    EXPECT_EQ(parser.GetRecentEntry(top),
              QStringLiteral("https://blog.example.jp/entry/3.html?a=1&amp;b=2"));

    const QString page = EntryPage(QStringLiteral("\r\n\t  年末の\u3000まとめ \"特集\" \\ 2024\r\n  "),
                                   QStringLiteral("2024年12月31日 23:59"),
                                   QStringLiteral("https://blog.example.jp/entry/2.html"));
    const TParsedEntry entry = parser.Parse(page);
    EXPECT_EQ(entry.date, QStringLiteral("2024/12/31 23:59:00"));
    EXPECT_EQ(entry.title, QStringLiteral("年末の\u3000まとめ \"特集\" \\ 2024"));
    EXPECT_EQ(entry.nextUrl, QStringLiteral("https://blog.example.jp/entry/2.html"));

    EXPECT_EQ(parser.GetDate(page), entry.date);
    EXPECT_EQ(parser.GetTitle(page), entry.title);
    EXPECT_EQ(parser.GetNextUrl(page), entry.nextUrl);
    EXPECT_FALSE(parser.HasError());

    // The oldest entry: no date element, no previous link.
    const TParsedEntry last = parser.Parse(EntryPage(QStringLiteral("最初"), QString(), QString()));
    EXPECT_EQ(last.date, QString());
    EXPECT_EQ(last.title, QStringLiteral("最初"));
    EXPECT_EQ(last.nextUrl, QString());
    EXPECT_EQ(parser.GetRecentEntry(QStringLiteral("<p>no entries</p>")), QString());
}

TEST(EntryParserTest, TitleTrimsOnlyControlCharactersAndSpaces)
{
    TEntryParser parser;
    parser.Initialize(JScript, QStringLiteral("function GetTitle(s) { return s; }"));
    EXPECT_EQ(parser.GetTitle(QStringLiteral(" \t\r\n\x01Title  \r\n")), QStringLiteral("Title"));
    EXPECT_EQ(parser.GetTitle(QStringLiteral(" \t\r\n \n")), QString());
    EXPECT_EQ(parser.GetTitle(QStringLiteral("\u3000題名\u00a0")), QStringLiteral("\u3000題名\u00a0"));
    EXPECT_EQ(parser.GetTitle(QStringLiteral("  a  b  ")), QStringLiteral("a  b"));
}

TEST(EntryParserTest, ParseCallsInOrderAndStopsAtTheFirstError)
{
    TEntryParser parser;
    parser.Initialize(JScript, Recording);

    const TParsedEntry entry = parser.Parse(QStringLiteral(" page "));
    EXPECT_EQ(entry.date, QString());
    EXPECT_EQ(entry.title, QStringLiteral("page"));
    EXPECT_EQ(entry.nextUrl, QStringLiteral("GetDate,GetTitle,GetNextUrl"));

    const QString message = RaisedMessage([&] { parser.Parse(QStringLiteral("throw")); });
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^2,[1-9][0-9]*:Error: bad date$"))
                    .match(message)
                    .hasMatch())
        << message.toStdString();
    EXPECT_TRUE(parser.HasError());
    EXPECT_EQ(parser.GetErrorMessage(), message);

    // Usable again, and the failed Parse never reached GetTitle.
    EXPECT_EQ(parser.GetNextUrl(QStringLiteral("x")), QStringLiteral("GetDate,GetNextUrl"));
    EXPECT_FALSE(parser.HasError());
}

TEST(EntryParserTest, BrokenScriptsRaiseAtEveryCall)
{
    TEntryParser parser;
    parser.Initialize(JScript, QStringLiteral("function GetDate(s) { return '2024/01/01'; }\n"
                                              "function GetTitle(s) { return 'title'; }\n"));
    for (int i = 0; i < 2; ++i) {
        const QString message = RaisedMessage([&] { parser.Parse(QStringLiteral("page")); });
        EXPECT_TRUE(message.contains(QLatin1String("ReferenceError")) && message.contains(QLatin1String("GetNextUrl")))
            << message.toStdString();
    }
    EXPECT_TRUE(RaisedMessage([&] { parser.GetRecentEntry(QStringLiteral("top")); })
                    .contains(QLatin1String("GetRecentEntry")));
    EXPECT_EQ(parser.GetDate(QStringLiteral("page")), QStringLiteral("2024/01/01"));

    parser.Initialize(JScript, QStringLiteral("function GetRecentEntry(s) {\n  return s +;\n}\n"));
    EXPECT_EQ(RaisedMessage([&] { parser.GetRecentEntry(QStringLiteral("top")); }),
              QStringLiteral("2,13:SyntaxError: Unexpected token ';'"));

    TEntryParser limited(std::chrono::milliseconds(100));
    limited.Initialize(JScript, QStringLiteral("function GetRecentEntry(s) { for (;;) { } }"));
    EXPECT_EQ(RaisedMessage([&] { limited.GetRecentEntry(QStringLiteral("top")); }),
              QStringLiteral("0,0:スクリプトの実行が制限時間（0.1秒）を超えたため中止しました。"));
}
