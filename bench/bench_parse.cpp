// Times one TEntryParser::Parse (GetDate, GetTitle, GetNextUrl) on a 300 KB entry page
// with a regular-expression script, and TScriptController::QuoteString on a 1 MB page.

#include "blogtype/Tentryparser.h"
#include "blogtype/Tscriptcontroller.h"

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const char16_t *Script = uR"JS(
function Match(page, re) {
  var m = re.exec(page);
  return m ? m[1] : "";
}
function GetDate(page) {
  var m = /<div class="entry-date">\s*(\d{4})年(\d{1,2})月(\d{1,2})日\s+(\d{1,2}):(\d{2})\s*<\/div>/.exec(page);
  return m ? m[1] + "/" + m[2] + "/" + m[3] + " " + m[4] + ":" + m[5] + ":00" : "";
}
function GetTitle(page) {
  return Match(page, /<h2 class="entry-title">\s*<a [^>]*>([\s\S]*?)<\/a>\s*<\/h2>/)
    .replace(/&amp;/g, "&").replace(/&lt;/g, "<").replace(/&gt;/g, ">").replace(/&quot;/g, "\"");
}
function GetNextUrl(page) {
  return Match(page, /<a[^>]+class="prev-entry"[^>]+href="([^"]+)"/);
}
)JS";

// A blog entry page of about targetChars characters, CR LF line ends, with the
// date, the title and the previous-entry link after long stretches of markup.
QString MakePage(qsizetype targetChars)
{
    QString page = QStringLiteral(
        "<!DOCTYPE html>\r\n<html lang=\"ja\">\r\n<head>\r\n<meta charset=\"EUC-JP\">\r\n"
        "<title>日々の記録 : 春の散歩道</title>\r\n</head>\r\n<body>\r\n<div id=\"sidebar\">\r\n");
    int i = 0;
    while (page.size() < targetChars / 2) {
        page += QStringLiteral("<li><a href=\"https://blog.example.jp/archives/%1.html\" "
                               "title=\"過去の記事 %1\">過去の記事「%1」について &amp; その他</a></li>\r\n")
                    .arg(++i);
    }
    page += QStringLiteral("</div>\r\n<div class=\"entry\">\r\n<h2 class=\"entry-title\">\r\n"
                           "<a href=\"https://blog.example.jp/archives/5000.html\">春の散歩道 &amp; "
                           "桜の&quot;名所&quot;めぐり</a>\r\n</h2>\r\n<div class=\"entry-body\">\r\n");
    while (page.size() < targetChars - 400) {
        page += QStringLiteral("<p>今日は天気が良かったので、川沿いの道を歩いてみました。"
                               "桜はまだ三分咲きといったところです。\\ \"quote\" \tend</p>\n\r");
    }
    page += QStringLiteral("</div>\r\n<div class=\"entry-date\">2024年4月1日 10:30</div>\r\n"
                           "<a rel=\"prev\" class=\"prev-entry\" "
                           "href=\"https://blog.example.jp/archives/4999.html\">前の記事</a>\r\n"
                           "</body>\r\n</html>\r\n");
    return page;
}

struct TFigures
{
    double median;
    double min;
    double max;
};

TFigures Time(int runs, const std::function<void()> &work)
{
    work(); // warm-up
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front(), ms.back()};
}

void Print(const char *what, const TFigures &f, int runs)
{
    std::printf("%-52s median %7.2f ms  min %7.2f ms  max %7.2f ms  (%d runs)\n", what, f.median,
                f.min, f.max, runs);
}

} // namespace

int main()
{
    const QString page = MakePage(300 * 1024);
    TEntryParser parser;
    parser.Initialize(QStringLiteral("JScript"), QString::fromUtf16(Script));
    const TParsedEntry entry = parser.Parse(page);
    if (entry.date != QStringLiteral("2024/4/1 10:30:00")
        || entry.title != QStringLiteral("春の散歩道 & 桜の\"名所\"めぐり")
        || entry.nextUrl != QStringLiteral("https://blog.example.jp/archives/4999.html")) {
        std::fprintf(stderr, "unexpected parse result: %s | %s | %s\n", qPrintable(entry.date),
                     qPrintable(entry.title), qPrintable(entry.nextUrl));
        return 1;
    }
    std::printf("entry page: %lld characters\n", static_cast<long long>(page.size()));
    const int parseRuns = 50;
    Print("TEntryParser::Parse, 300 KB page (3 calls)",
          Time(parseRuns, [&] { parser.Parse(page); }), parseRuns);

    const QString big = MakePage(1024 * 1024);
    std::printf("quote page: %lld characters\n", static_cast<long long>(big.size()));
    const int quoteRuns = 30;
    qsizetype sink = 0;
    Print("TScriptController::QuoteString, 1 MB page",
          Time(quoteRuns, [&] { sink += TScriptController::QuoteString(big).size(); }), quoteRuns);
    return sink > 0 ? 0 : 1;
}
