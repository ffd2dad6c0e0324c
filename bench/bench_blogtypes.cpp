// Times the shipped blog types. First each one on an entry page of its own service
// (the first fixture blog's newest entry, grown to 100 KB with the sidebars, menus
// and inline data real pages carry), as a download reads it: TEntryParser::Parse
// (GetDate, GetTitle, GetNextUrl) on a page not seen before. Then all of them on one
// 500 KB page with about 12,000 elements and a 150 KB inline script: Parse on a page
// seen before and on a new one, and the category calls (GetEntryUrl,
// GetNextCategoryUrl).

#include "blogtype/Tblogconfig.h"
#include "blogtype/Tcategoryparser.h"
#include "blogtype/Tentryparser.h"
#include "platform/Tappdirs.h"
#include "retrieval/Tcodepage.h"
#include "retrieval/Tdownloadhost.h"
#include "retrieval/Thttputility.h"

#include "Blogsites.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <ctime>
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

// page with markup of the kind real entry pages carry around the entry, inserted
// before </body> until the page has targetChars characters.
QString GrowPage(QString page, qsizetype targetChars)
{
    QString filler = QStringLiteral("<script>var tracking = {\"site\": \"x\", \"tags\": [");
    for (int i = 0; i < 400; ++i)
        filler += QStringLiteral("\"tag%1\",").arg(i);
    filler += QStringLiteral("\"end\"]};</script>\n<div class=\"sidebar widget-area\" id=\"side\">\n");
    for (int i = 0; page.size() + filler.size() < targetChars; ++i) {
        filler += QStringLiteral("<div class=\"widget recent-posts\" data-id=\"w%1\"><ul class=\"list\">"
                                 "<li class=\"item\"><a href=\"/archive/%1\" title=\"過去の記事 %1\" "
                                 "class=\"link\">過去の記事「%1」 &amp; その他</a>"
                                 "<span class=\"date\">2023/01/%2</span></li></ul></div>\n")
                      .arg(i)
                      .arg(1 + i % 28);
    }
    filler += QStringLiteral("</div>\n");
    const qsizetype body = page.lastIndexOf(QLatin1String("</body>"));
    page.insert(body < 0 ? page.size() : body, filler);
    return page;
}

struct TFigures
{
    double median;
    double min;
    double max;
    double cpuMedian; // of this thread's processor time, which other programs' load leaves alone
};

double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

TFigures Time(int runs, const std::function<void()> &work)
{
    work(); // warm-up
    std::vector<double> ms;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = ThreadCpuMs();
        work();
        cpu.push_back(ThreadCpuMs() - cpuStart);
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    return {ms[ms.size() / 2], ms.front(), ms.back(), cpu[cpu.size() / 2]};
}

void Print(const QString &what, const TFigures &f, int runs)
{
    std::printf("%-40s median %7.2f ms  min %7.2f ms  max %7.2f ms  cpu median %7.2f ms  (%d runs)\n",
                qPrintable(what), f.median, f.min, f.max, f.cpuMedian, runs);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The helper scripts are found beside the program, as an installed one finds them.
    SetAppDirOverride(QStringLiteral(VARNOKI_BENCH_BIN_DIR));
    {
        // "--blog DIR" times the blog types of another folder (an older build's, say).
        const qsizetype blogArgument = app.arguments().indexOf(QStringLiteral("--blog"));
        const QString blogFolder = blogArgument > 0 && blogArgument + 1 < app.arguments().size()
                                       ? app.arguments().at(blogArgument + 1)
                                       : QStringLiteral(VARNOKI_BENCH_BIN_DIR) + QStringLiteral("/blog");
        std::printf("Entry pages of each blog type's own service, 100 KB, read once each (%s):\n",
                    qPrintable(blogFolder));
        const int runs = 30;
        QStringList seen;
        for (const TBlogSite &site : LoadBlogSites()) {
            if (seen.contains(site.blogType) || site.entries.isEmpty())
                continue;
            seen << site.blogType;
            if (!QFileInfo::exists(blogFolder + QLatin1Char('/') + site.blogType))
                continue;
            const TBlogConfig config(blogFolder + QLatin1Char('/') + site.blogType);
            const QString base = QStringLiteral("http://blog.example");
            const QString page =
                GrowPage(DecodePage(site.Page(site.entries[0].url, base),
                                    TCodePage::GetInstance()->GetCodePage(config.GetEncode())),
                         100 * 1024);
            TEntryParser entries;
            entries.Initialize(config);
            int fresh = 0;
            const TParsedEntry parsed = entries.Parse(page);
            if (parsed.title != site.entries[0].title)
                std::printf("  %s: title \"%s\" instead of \"%s\"\n", qPrintable(site.name), qPrintable(parsed.title),
                            qPrintable(site.entries[0].title));
            Print(QStringLiteral("  ") + site.name + QStringLiteral(" (%1 KB)").arg(page.size() / 1024),
                  Time(runs, [&] { entries.Parse(page + QStringLiteral("<!-- %1 -->").arg(++fresh)); }), runs);
            // The first page after loading the script, as "try" and the first page of a
            // download meet it: the engine has not compiled the helpers yet.
            std::vector<double> first;
            for (int i = 0; i < 5; ++i) {
                TEntryParser cold;
                cold.Initialize(config);
                QElapsedTimer timer;
                timer.start();
                cold.Parse(page);
                first.push_back(double(timer.nsecsElapsed()) / 1e6);
            }
            std::sort(first.begin(), first.end());
            std::printf("  %-38s median %7.2f ms  min %7.2f ms  max %7.2f ms  (5 runs)\n", "  first page after loading",
                        first[2], first.front(), first.back());
        }
    }
    // "--entry-pages" stops after the first part.
    if (app.arguments().contains(QStringLiteral("--entry-pages")))
        return 0;
    const QString page = MakePage(500 * 1024);
    std::printf("page: %lld characters\n", static_cast<long long>(page.size()));
    TBlogConfigManager manager(QStringLiteral(VARNOKI_BENCH_BIN_DIR) + QStringLiteral("/blog"));
    manager.Load();
    const int runs = 10;
    for (const TBlogConfig &config : manager.GetBlogConfigs()) {
        TEntryParser entries;
        entries.Initialize(config);
        const TParsedEntry parsed = entries.Parse(page);
        std::printf("%s: date \"%s\", title \"%s\", next \"%s\"\n", qPrintable(config.GetName()),
                    qPrintable(parsed.date), qPrintable(parsed.title), qPrintable(parsed.nextUrl));
        Print(config.GetName() + QStringLiteral(" Parse, same page"), Time(runs, [&] { entries.Parse(page); }), runs);
        // A page the script has not seen yet is scanned once, on the first call.
        int fresh = 0;
        Print(config.GetName() + QStringLiteral(" Parse, new page"),
              Time(runs, [&] { entries.Parse(page + QString::number(++fresh)); }), runs);

        TCategoryParser categories;
        categories.Initialize(config);
        Print(config.GetName() + QStringLiteral(" category page"), Time(runs, [&] {
                  categories.GetEntryUrl(page);
                  categories.GetNextCategoryUrl(page);
              }),
              runs);
    }
    return 0;
}
