// Times the shipped blog types on a large page: TEntryParser::Parse (GetDate, GetTitle,
// GetNextUrl) on a page seen before and on a new one, and the category calls
// (GetEntryUrl, GetNextCategoryUrl), on a 500 KB page with about 12,000 elements and
// a 150 KB inline script.

#include "blogtype/Tblogconfig.h"
#include "blogtype/Tcategoryparser.h"
#include "blogtype/Tentryparser.h"
#include "retrieval/Tdownloadhost.h"

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

QString MakePage(qsizetype targetChars)
{
    QString page = QStringLiteral(
        "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n"
        "<title>春の散歩道 &#8211; 日々の記録</title>\n"
        "<link rel=\"canonical\" href=\"https://blog.example.jp/2024/04/01/walk/\">\n"
        "<link rel=\"stylesheet\" href=\"https://blog.example.jp/wp-content/themes/t/style.css\">\n"
        "<script>window.DATA = {\"items\": [");
    for (int i = 0; i < 3000; ++i)
        page += QStringLiteral("{\"id\": %1, \"title\": \"記事 %1 \\u0026 その他\", \"url\": \"\\/p\\/%1\"},").arg(i);
    page += QStringLiteral("{}]};</script>\n</head>\n<body class=\"single\">\n<aside id=\"secondary\"><ul>\n");
    int i = 0;
    while (page.size() < targetChars / 2) {
        page += QStringLiteral("<li class=\"cat-item\"><a href=\"https://blog.example.jp/archives/%1/\" "
                               "title='過去の記事 %1'>過去の記事「%1」 &amp; その他</a></li>\n")
                    .arg(++i);
    }
    page += QStringLiteral("</ul></aside>\n<main id=\"main\" class=\"site-main\">\n<article class=\"post hentry\">\n"
                           "<h1 class=\"entry-title\">春の散歩道 &amp; 桜の&quot;名所&quot;めぐり</h1>\n"
                           "<time class=\"entry-date published\" datetime=\"2024-04-01T10:30:00+09:00\">4月1日</time>\n"
                           "<div class=\"entry-content\">\n");
    while (page.size() < targetChars - 600) {
        page += QStringLiteral("<p>今日は<a href=\"/tag/%1/\">天気</a>が良かったので、<b>川沿い</b>の道を歩いてみました。"
                               "桜はまだ三分咲き<span class=\"x\">といった</span>ところです。</p>\n")
                    .arg(i++);
    }
    page += QStringLiteral("</div>\n</article>\n<nav class=\"navigation post-navigation\"><div class=\"nav-links\">"
                           "<div class=\"nav-previous\"><a href=\"https://blog.example.jp/2024/03/30/rain/\" "
                           "rel=\"prev\">前の投稿</a></div></div></nav>\n"
                           "<nav class=\"navigation pagination\"><a class=\"next page-numbers\" "
                           "href=\"https://blog.example.jp/page/2/\">次へ</a></nav>\n</main>\n</body>\n</html>\n");
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

void Print(const QString &what, const TFigures &f, int runs)
{
    std::printf("%-40s median %7.2f ms  min %7.2f ms  max %7.2f ms  (%d runs)\n", qPrintable(what), f.median,
                f.min, f.max, runs);
}

} // namespace

int main()
{
    const QString page = MakePage(500 * 1024);
    std::printf("page: %lld characters\n", static_cast<long long>(page.size()));
    TBlogConfigManager manager(QStringLiteral(VARNOKI_BENCH_BIN_DIR) + QStringLiteral("/blog"));
    manager.Load();
    const int runs = 10;
    for (const TBlogConfig &config : manager.GetBlogConfigs()) {
        const QString script = ReadScriptFile(config.GetScriptPath());
        TEntryParser entries;
        entries.Initialize(config.GetLanguage(), script);
        const TParsedEntry parsed = entries.Parse(page);
        std::printf("%s: date \"%s\", title \"%s\", next \"%s\"\n", qPrintable(config.GetName()),
                    qPrintable(parsed.date), qPrintable(parsed.title), qPrintable(parsed.nextUrl));
        Print(config.GetName() + QStringLiteral(" Parse, same page"), Time(runs, [&] { entries.Parse(page); }), runs);
        // A page the script has not seen yet is scanned once, on the first call.
        int fresh = 0;
        Print(config.GetName() + QStringLiteral(" Parse, new page"),
              Time(runs, [&] { entries.Parse(page + QString::number(++fresh)); }), runs);

        TCategoryParser categories;
        categories.Initialize(config.GetLanguage(), script);
        Print(config.GetName() + QStringLiteral(" category page"), Time(runs, [&] {
                  categories.GetEntryUrl(page);
                  categories.GetNextCategoryUrl(page);
              }),
              runs);
    }
    return 0;
}
