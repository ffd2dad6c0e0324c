// Crawls a 2,000-entry blog served on 127.0.0.1 (keep-alive) with the entry download
// job and compares the time with plain sequential fetching of the same pages.
#include "Fixtureblog.h"
#include "Testpaths.h"

#include "platform/Tappconfig.h"
#include "retrieval/Tdownloadhost.h"
#include "retrieval/Tentrydownload.h"
#include "retrieval/Thttputility.h"
#include "store/Tldbdb.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

namespace {
class TQuietHost : public TDownloadHost
{
public:
    void AddLog(const QString &) override { ++Lines; }
    void ShowUrl(const QString &) override {}
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    void Wait(int) override {}
    bool IsCancelled() override { return false; }
    int Lines = 0;
};

QByteArray EntryPage(int n, const QString &base)
{
    QString html = QStringLiteral("<html><head><title>記事 %1</title></head><body><h1>記事 %1 のタイトル</h1>"
                                  "<span class=\"date\">2020/01/01 10:%2:00</span>")
                       .arg(n)
                       .arg(n % 60, 2, 10, QLatin1Char('0'));
    // Pages of a realistic size: some 20 KB of body text.
    for (int i = 0; i < 100; ++i)
        html += QStringLiteral("<p>本文の段落です。ブログの記事らしい長さにするための文章。</p>");
    if (n > 1)
        html += QStringLiteral("<a class=\"prev\" href=\"%1/entry/%2\">前</a>").arg(base).arg(n - 1);
    return (html + QStringLiteral("</body></html>")).toUtf8();
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_crawl"));
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;
    QTextStream out(stdout);

    TFixtureBlog blog;
    // Real servers keep connections open; so does curl between the pages of one run.
    blog.Server.SetKeepAlive(true);
    const QString base = blog.Url(QString());
    blog.Server.SetHandler([&](const THttpTestRequest &request) -> std::optional<THttpTestResponse> {
        const QByteArray target = request.Target;
        if (target == "/")
            return THttpTestResponse::Html(
                QStringLiteral("<a class=\"latest\" href=\"%1/entry/%2\">最新</a>").arg(base).arg(count).toUtf8());
        if (target.startsWith("/entry/"))
            return THttpTestResponse::Html(EntryPage(target.mid(7).toInt(), base));
        return std::nullopt;
    });

    QElapsedTimer timer;
    timer.start();
    for (int n = count; n >= 1; --n)
        FetchPageBytesDirect(base + QStringLiteral("/entry/%1").arg(n));
    const qint64 plain = timer.elapsed();
    out << "plain sequential fetch of " << count << " pages: " << plain << " ms, "
        << blog.Server.ConnectionCount() << " connection(s)" << Qt::endl;

    // The same pages with the curl program, which keeps one connection for all of them.
    qint64 curlMs = -1;
    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    QTemporaryDir dir;
    if (!curl.isEmpty() && dir.isValid()) {
        QFile config(dir.filePath(QStringLiteral("urls.txt")));
        config.open(QIODevice::WriteOnly);
        for (int n = count; n >= 1; --n)
            config.write(QStringLiteral("url = \"%1/entry/%2\"\noutput = \"/dev/null\"\n").arg(base).arg(n).toUtf8());
        config.close();
        QProcess process;
        timer.restart();
        process.start(curl, {QStringLiteral("-s"), QStringLiteral("-K"), config.fileName()});
        process.waitForFinished(-1);
        curlMs = timer.elapsed();
        out << "curl fetching the same pages: " << curlMs << " ms" << Qt::endl;
    }

    TAppConfig::GetInstance().SetSleepTime(0);
    TLdbDb db;
    db.CreateFromEmpty(TestPaths::EmptyProjectDb());
    TQuietHost host;
    TEntryDownloadJob job(db, blog.BlogConfig(), blog.TopUrl(), false, host);
    timer.restart();
    const bool ok = job.RunDownload();
    const qint64 crawl = timer.elapsed();
    out << "entry download of " << count << " entries: " << crawl << " ms ("
        << (ok ? "ok" : "error") << ", " << db.LoadEntries().size() << " stored)" << Qt::endl;
    out << "connections of both runs: " << blog.Server.ConnectionCount() << Qt::endl;
    out << "ratio to the plain fetch: " << QString::number(double(crawl) / qMax<qint64>(plain, 1), 'f', 2)
        << Qt::endl;
    if (curlMs >= 0)
        out << "ratio to curl: " << QString::number(double(crawl) / qMax<qint64>(curlMs, 1), 'f', 2) << Qt::endl;

    const QString work = db.GetWorkFileName();
    db.Close();
    QFile::remove(work);
    return ok ? 0 : 1;
}
