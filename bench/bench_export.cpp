// Times the export of a large project and the template programs on its output.
#include "output/Thtmldb.h"
#include "store/Tldbdb.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <climits>
#include <cstdio>

namespace {

constexpr int EntryCount = 10000;
constexpr int CategoryCount = 20;
constexpr int Runs = 3;

// CPU time of this process (all its threads) or of its finished children, in ms;
// on a busy machine it says more than the wall-clock time.
qint64 CpuMs(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

QString Url(int i)
{
    return QStringLiteral("https://blog.example.jp/archives/%1.html").arg(i);
}

void FillProject(TLdbDb &db)
{
    db.Prepare(QStringLiteral("insert into entries (id, url, title, created_on) values (:ID, :URL, :TITLE, :DATE)"));
    for (int i = 1; i <= EntryCount; ++i) {
        db.FQuery().bindValue(QStringLiteral(":ID"), i);
        db.FQuery().bindValue(QStringLiteral(":URL"), Url(i));
        db.FQuery().bindValue(QStringLiteral(":TITLE"), QStringLiteral("記事のタイトル その%1 & <いろいろ>").arg(i));
        db.FQuery().bindValue(QStringLiteral(":DATE"), DateTimeToQDateTime(45500 - i * 0.37));
        db.Exec();
    }
    db.Prepare(QStringLiteral("insert into comments (url, comment) values (:URL, :COMMENT)"));
    for (int i = 1; i <= EntryCount; i += 4) {
        db.FQuery().bindValue(QStringLiteral(":URL"), Url(i));
        db.FQuery().bindValue(QStringLiteral(":COMMENT"), QStringLiteral("コメント %1\n二行目").arg(i));
        db.Exec();
    }
    db.InsertCategory(0, QStringLiteral(" "), QString());
    QList<QStringList> links(CategoryCount + 1);
    for (int c = 1; c <= CategoryCount; ++c)
        db.InsertCategory(c, QStringLiteral("カテゴリー%1").arg(c), QStringLiteral("https://blog.example.jp/category/%1").arg(c));
    for (int i = 1; i <= EntryCount; ++i) {
        links[1 + i % CategoryCount] << Url(i);
        links[1 + (i / CategoryCount + i + 1) % CategoryCount] << Url(i);
    }
    for (int c = 1; c <= CategoryCount; ++c)
        db.InsertCategoryEntries(c, links[c]);
    db.FQuery().finish();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString binDir = QStringLiteral(VARNOKI_BENCH_BIN_DIR);
    QTemporaryDir out;
    try {
        TLdbDb db;
        db.CreateFromEmpty(binDir + QStringLiteral("/db/VARNOKI.FDB"));
        FillProject(db);

        qint64 bestLoad = LLONG_MAX;
        qint64 bestExport = LLONG_MAX;
        qint64 bestExportCpu = LLONG_MAX;
        QString outputDb;
        for (int run = 0; run < Runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            db.LoadEntries();
            db.LoadCategories();
            bestLoad = std::min(bestLoad, timer.elapsed());

            timer.restart();
            const qint64 cpu = CpuMs(RUSAGE_SELF);
            const QString path = CreateHtmlDb(db, binDir + QStringLiteral("/db/html.mdb"),
                                              {QStringLiteral("ページタイトル=ベンチマーク")});
            bestExport = std::min(bestExport, timer.elapsed());
            bestExportCpu = std::min(bestExportCpu, CpuMs(RUSAGE_SELF) - cpu);
            if (!outputDb.isEmpty())
                QFile::remove(outputDb);
            outputDb = path;
        }
        std::printf("export of %d entries with 2 category links each: %lld ms, %lld ms CPU "
                    "(reading the project alone: %lld ms), best of %d\n",
                    EntryCount, bestExport, bestExportCpu, bestLoad, Runs);

        for (const char *name : {"list", "category", "monthly"}) {
            const QString program = binDir + QStringLiteral("/template/varnoki-toc-") + QLatin1String(name);
            const QString html = out.filePath(QLatin1String(name) + QStringLiteral(".html"));
            qint64 best = LLONG_MAX;
            qint64 bestCpu = LLONG_MAX;
            for (int run = 0; run < Runs; ++run) {
                QElapsedTimer timer;
                timer.start();
                const qint64 cpu = CpuMs(RUSAGE_CHILDREN);
                QProcess process;
                process.start(program, {outputDb, html, program});
                if (!process.waitForFinished(120000) || process.exitCode() != 0) {
                    std::fprintf(stderr, "%s failed: %s\n", name, process.readAllStandardError().constData());
                    return 1;
                }
                best = std::min(best, timer.elapsed());
                bestCpu = std::min(bestCpu, CpuMs(RUSAGE_CHILDREN) - cpu);
            }
            std::printf("varnoki-toc-%s on that database: %lld ms, %lld ms CPU (%lld KiB of HTML), best of %d\n",
                        name, best, bestCpu, QFile(html).size() / 1024, Runs);
        }
        QFile::remove(outputDb);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
