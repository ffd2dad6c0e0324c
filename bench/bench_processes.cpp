// Several varnoki-cli processes of one user at once, as a window and a scheduled update
// or two shells would run them: each worker creates a project, downloads a small blog
// served on 127.0.0.1, comments, sets categories, shows, lists and saves, again and
// again. Prints how long the commands took and every one that failed or hung.
//
//   bench_processes [SECONDS=120] [WORKERS=6] [VARNOKI-CLI=build/bin/varnoki-cli]
#include "Fixtureblog.h"
#include "Testpaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <thread>
#include <vector>

namespace {
constexpr int HangMs = 60000;   // a command still running then counts as hung and is killed
constexpr int SlowMs = 10000;

struct TResult
{
    QString Command;
    qint64 Ms = 0;
    int Exit = 0;
    bool Hung = false;
    QByteArray Error;
};

QMutex ResultsLock;
std::vector<TResult> Results;

TResult Run(const QString &cli, const QProcessEnvironment &env, const QString &dir, const QStringList &args)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir);
    QElapsedTimer timer;
    timer.start();
    process.start(cli, args);
    TResult result;
    result.Command = args.first();
    if (!process.waitForFinished(HangMs)) {
        result.Hung = true;
        process.kill();
        process.waitForFinished(5000);
    }
    result.Ms = timer.elapsed();
    result.Exit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    if (result.Exit != 0 || result.Hung)
        result.Error = process.readAllStandardError().left(300);
    return result;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 120;
    const int workers = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 6;
    const QString cli = argc > 3 ? QString::fromLocal8Bit(argv[3])
                                 : QStringLiteral(VARNOKI_BENCH_BIN_DIR "/varnoki-cli");
    QTextStream out(stdout);

    TFixtureBlog blog;
    QList<TFixtureBlog::TPage> pages;
    for (int i = 20; i >= 1; --i)
        pages.append({QStringLiteral("/entry/%1").arg(i), QStringLiteral("記事 %1").arg(i),
                      QStringLiteral("2024/01/%1 10:00:00").arg(i, 2, 10, QLatin1Char('0')), {}, 0});
    blog.SetEntries(pages);

    // One user: one temporary folder, one settings and data folder for every worker.
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("data/varnoki/blog"));
    QDir(home.path()).mkpath(QStringLiteral("tmp"));
    QFile ini(home.filePath(QStringLiteral("data/varnoki/blog/fixture.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[CONFIG]\nname=fixture\nencode=UTF-8\n[SCRIPT]\nfile=fixture.js\nlanguage=JScript\n");
    ini.close();
    QFile::copy(TestPaths::FixturesDir() + QStringLiteral("/jobs/fixture.js"),
                home.filePath(QStringLiteral("data/varnoki/blog/fixture.js")));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), home.filePath(QStringLiteral("tmp")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));

    QElapsedTimer clock;
    clock.start();
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            const QString dir = home.filePath(QStringLiteral("w%1").arg(w));
            QDir().mkpath(dir);
            for (int round = 0; clock.elapsed() < seconds * 1000LL; ++round) {
                const QString project = QStringLiteral("p%1.FDB").arg(round % 3);
                const QString entry = blog.Url(QStringLiteral("/entry/%1").arg(1 + round % 20));
                const QList<QStringList> commands = {
                    {QStringLiteral("new"), project, QStringLiteral("--blog-type"), QStringLiteral("fixture"),
                     QStringLiteral("--url"), blog.TopUrl()},
                    {QStringLiteral("entries"), project},
                    {QStringLiteral("comment"), project, entry, QStringLiteral("コメント %1").arg(round)},
                    {QStringLiteral("set"), project, QStringLiteral("--category"),
                     QStringLiteral("分類=%1").arg(blog.Url(QStringLiteral("/c")))},
                    {QStringLiteral("entries"), project, QStringLiteral("--latest-only")},
                    {QStringLiteral("show"), project},
                    {QStringLiteral("list"), project},
                };
                for (const QStringList &args : commands) {
                    if (QFile::exists(QDir(dir).filePath(project)) && args.first() == QLatin1String("new"))
                        QFile::remove(QDir(dir).filePath(project));
                    TResult result = Run(cli, env, dir, args);
                    QMutexLocker locker(&ResultsLock);
                    Results.push_back(result);
                }
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();

    std::vector<qint64> times;
    int slow = 0, hung = 0, failed = 0;
    for (const TResult &result : Results) {
        times.push_back(result.Ms);
        slow += result.Ms > SlowMs;
        hung += result.Hung;
        if (result.Exit != 0 || result.Hung) {
            ++failed;
            if (failed <= 10)
                out << "failed: " << result.Command << " exit " << result.Exit << (result.Hung ? " (hung)" : "")
                    << " after " << result.Ms << " ms: " << QString::fromUtf8(result.Error).simplified() << "\n";
        }
    }
    std::sort(times.begin(), times.end());
    const auto at = [&times](double q) { return times.empty() ? 0 : times[size_t(q * double(times.size() - 1))]; };
    out << workers << " processes side by side for " << seconds << " s: " << times.size() << " commands\n"
        << "  per command: median " << at(0.5) << " ms, 99th percentile " << at(0.99) << " ms, slowest "
        << (times.empty() ? 0 : times.back()) << " ms\n"
        << "  slower than " << SlowMs / 1000 << " s: " << slow << ", hung (over " << HangMs / 1000
        << " s, killed): " << hung << ", failed: " << failed << "\n";
    return hung || slow ? 1 : 0;
}
