// Reads a 3,000-entry blog shaped like each service that has an entry list (WordPress's
// REST API, Blogger's JSON feed, Hatena Blog's Atom feed, Ameba's entry list pages, a
// paged RSS feed for the generic type), served on 127.0.0.1 with SleepTime 1000 ms, by
// its list, and counts what the page walk of the same blog costs.
// The page walk's wall time is estimated as its requests times the wait (the waits
// dominate; running it would take 50 minutes); its requests are counted by walking it
// with no wait. "--service NAME" runs one service only.
#include "Serviceblogs.h"
#include "Testpaths.h"

#include "platform/Tappconfig.h"
#include "retrieval/Tdownloadhost.h"
#include "retrieval/Tentrydownload.h"
#include "store/Tldbdb.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QThread>

namespace {
// Waits for real, as the program's windows do.
class TWaitingHost : public TDownloadHost
{
public:
    void AddLog(const QString &) override { ++Lines; }
    void ShowUrl(const QString &) override {}
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    void Wait(int milliseconds) override { QThread::msleep(static_cast<unsigned long>(milliseconds)); }
    bool IsCancelled() override { return false; }
    int Lines = 0;
};

struct TFigures
{
    int requests = 0;
    qint64 ms = 0;
    int entries = 0;
};

TFigures Download(TServiceBlog &blog, int sleepTime)
{
    TAppConfig::GetInstance().SetDefaults();
    TAppConfig::GetInstance().SetSleepTime(sleepTime);
    TLdbDb db;
    db.CreateFromEmpty(TestPaths::EmptyProjectDb());
    TWaitingHost host;
    blog.Server.ClearRequests();
    QElapsedTimer timer;
    timer.start();
    TEntryDownloadJob job(db, blog.BlogConfig(), blog.TopUrl(), false, host);
    job.RunDownload();
    TFigures figures;
    figures.ms = timer.elapsed();
    figures.requests = int(blog.Server.Requests().size());
    figures.entries = int(db.LoadEntries().size());
    const QString work = db.GetWorkFileName();
    db.Close();
    QFile::remove(work);
    return figures;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    constexpr int Entries = 3000;
    constexpr int SleepTime = 1000;
    using TService = TServiceBlog::TService;
    const QList<QPair<TService, QString>> services = {
        {TService::WordPress, QStringLiteral("WordPress")}, {TService::Blogger, QStringLiteral("Blogger")},
        {TService::Hatena, QStringLiteral("Hatena")}, {TService::Ameba, QStringLiteral("Ameba")},
        {TService::Generic, QStringLiteral("Generic")}};
    const QStringList args = app.arguments();
    const qsizetype only = args.indexOf(QStringLiteral("--service"));
    const QString wanted = only >= 0 && only + 1 < args.size() ? args[only + 1] : QString();

    out << Entries << " entries a blog, SleepTime " << SleepTime << " ms\n";
    for (const auto &[service, name] : services) {
        if (!wanted.isEmpty() && wanted.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        TServiceBlog blog(service, Entries);
        const TFigures list = Download(blog, SleepTime);
        blog.ListMode = TServiceBlog::TListMode::Forbidden;
        const TFigures walk = Download(blog, 0);
        const qint64 estimate = qint64(walk.requests) * SleepTime + walk.ms;
        out << name << ":\n";
        out << "  list:      " << list.requests << " requests, " << list.ms << " ms, " << list.entries << " entries\n";
        out << "  page walk: " << walk.requests << " requests (" << walk.requests - 1
            << " without the list request), " << walk.ms << " ms with no wait, estimated "
            << estimate << " ms (" << estimate / 60000.0 << " min) with the wait, " << walk.entries << " entries\n";
        out << "  ratio:     1 request in " << double(walk.requests - 1) / list.requests << "\n";
        out.flush();
    }
    return 0;
}
