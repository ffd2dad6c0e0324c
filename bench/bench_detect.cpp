// Times the detection of a page's blog type by every shipped blog type, as the window's
// 自動判別 and varnoki-cli detect run it once the top page has come (the scripts are
// loaded while it is fetched): the pages named on
// the command line, else the fixture blogs' top pages. Prints the median of 5 runs.

#include "blogtype/Tblogconfig.h"
#include "platform/Tappdirs.h"
#include "retrieval/Tblogdetect.h"
#include "retrieval/Tcodepage.h"
#include "retrieval/Thttputility.h"

#include "Blogsites.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    SetAppDirOverride(QStringLiteral(VARNOKI_BENCH_BIN_DIR));
    TBlogConfigManager manager(QStringLiteral(VARNOKI_BENCH_BIN_DIR) + QStringLiteral("/blog"));
    manager.Load();
    QList<QPair<QString, QString>> pages; // name, page
    for (const QString &path : app.arguments().mid(1)) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            pages.append({QFileInfo(path).fileName(), DecodePage(file.readAll(), NoCodePage)});
    }
    if (pages.isEmpty()) {
        for (const TBlogSite &site : LoadBlogSites())
            pages.append({site.name, DecodePage(site.Page(site.top, QStringLiteral("http://127.0.0.1:9")), NoCodePage)});
    }
    std::vector<double> all;
    QElapsedTimer loading;
    loading.start();
    TBlogDetector detector(manager.GetBlogConfigs());
    std::printf("loading the blog types' scripts (while the fetch runs): %.1f ms\n", double(loading.nsecsElapsed()) / 1e6);
    for (const auto &[name, page] : pages) {
        std::vector<double> runs;
        QString best;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer clock;
            clock.start();
            const QList<TBlogDetection> detections = detector.Detect(page, QString());
            runs.push_back(double(clock.nsecsElapsed()) / 1e6);
            best = detections.isEmpty() ? QString() : detections.first().Config.GetName();
        }
        std::sort(runs.begin(), runs.end());
        all.push_back(runs[2]);
        std::printf("%-40s %7lld chars %7.1f ms  %s\n", qPrintable(name), static_cast<long long>(page.size()), runs[2],
                    qPrintable(best));
    }
    std::sort(all.begin(), all.end());
    if (!all.empty())
        std::printf("median %.1f ms, slowest %.1f ms over %zu pages (%lld blog types)\n", all[all.size() / 2], all.back(),
                    all.size(), static_cast<long long>(manager.GetBlogConfigs().size()));
    return 0;
}
