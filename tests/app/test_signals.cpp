// A logout, kill or Ctrl+C ends a window program within seconds, idle or in the middle of
// a download, with its work kept for the next start. The window program is this test
// program run again as a child (WindowChild below), with the signal handling of the real
// one; the parent sends the signal and waits.
#include "Apptestsupport.h"
#include "Httptestserver.h"

#include "app/Tquitsignals.h"
#include "store/Tldbdb.h"
#include "store/Tworkingcopy.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>

#include <csignal>
#include <cstdio>

namespace {
// "idle URL TMPDIR" or "download URL TMPDIR"
const char ChildVariable[] = "VARNOKI_SIGNAL_CHILD";
} // namespace

// Runs only as the child: the window with a changed project, idle or downloading.
TEST_F(AppTest, WindowChild)
{
    const QStringList what = QString::fromUtf8(qgetenv(ChildVariable)).split(QLatin1Char(' '));
    if (what.size() != 3)
        GTEST_SKIP() << "run by WindowSignals";
    // Where the parent looks for the work kept (the test program's own folder goes).
    qputenv("TMPDIR", QFile::encodeName(what.at(2)));
    TFormMain &form = Main();
    QuitOnTerminationSignals(&form);
    form.EditEntryUrl->setText(what.at(1)); // a change to keep
    QTimer::singleShot(0, &form, [&form, what] {
        if (what.at(0) == QLatin1String("download"))
            form.ActionDownloadEntry->trigger();
    });
    std::puts("ready");
    std::fflush(stdout);
    QApplication::exec();
    FForm.reset();
}

TEST_F(AppTest, WindowSignals)
{
    if (qEnvironmentVariableIsSet(ChildVariable))
        GTEST_SKIP();
    THttpTestServer server;
    server.SetRoute("/", THttpTestResponse::Html("<a class=\"entry-link\" href=\"" + server.Url(QStringLiteral("/e3.html")).toUtf8()
                                                 + "\">new</a>"));
    server.SetRoute("/e3.html", THttpTestResponse::Html("<div class=\"entry-date\">2009/03/05 10:00:00</div>"
                                                        "<h2 class=\"entry-title\">三番目</h2><a class=\"prev\" href=\""
                                                        + server.Url(QStringLiteral("/e2.html")).toUtf8() + "\">p</a>"));
    server.SetRoute("/e2.html", THttpTestResponse::Stall());

    for (const char *mode : {"idle", "download"}) {
        for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
            SCOPED_TRACE(std::string(mode) + " signal " + std::to_string(signal));
            QTemporaryDir tmp;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("TMPDIR"), tmp.path());
            env.insert(QLatin1String(ChildVariable),
                       QLatin1String(mode) + QLatin1Char(' ') + server.Url() + QLatin1Char(' ') + tmp.path());
            QProcess child;
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--gtest_filter=AppTest.WindowChild")});
            QByteArray out;
            while (!out.contains("ready\n") && child.waitForReadyRead(60000))
                out += child.readAllStandardOutput();
            ASSERT_TRUE(out.contains("ready\n"));
            if (QLatin1String(mode) == QLatin1String("download")) {
                const int before = int(server.Requests().size());
                QElapsedTimer waited;
                waited.start();
                while (int(server.Requests().size()) < before + 3 && waited.elapsed() < 60000)
                    child.waitForReadyRead(20);
            }
            if (QLatin1String(mode) == QLatin1String("idle") && signal == SIGTERM) {
                // A command line on another project meanwhile, as a scheduled update runs.
                for (const QStringList &args :
                     {QStringList{QStringLiteral("new"), tmp.filePath(QStringLiteral("other.FDB")), QStringLiteral("--blog-type"),
                                  QStringLiteral("WordPress"), QStringLiteral("--url"), server.Url()},
                      QStringList{QStringLiteral("show"), tmp.filePath(QStringLiteral("other.FDB"))}}) {
                    QProcess cli;
                    cli.setProcessEnvironment(env);
                    cli.start(TestPaths::BinDir() + QStringLiteral("/varnoki-cli"), args);
                    EXPECT_TRUE(cli.waitForFinished(60000));
                    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
                }
            }
            QElapsedTimer timer;
            timer.start();
            ::kill(pid_t(child.processId()), signal);
            EXPECT_TRUE(child.waitForFinished(5000)) << "still running after 5 s";
            EXPECT_LT(timer.elapsed(), 5000);
            if (child.state() != QProcess::NotRunning) {
                child.kill();
                child.waitForFinished();
                continue;
            }
            EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << child.readAllStandardError().toStdString();

            // The next start finds the work; a download's first entry came with it.
            const QByteArray oldTmp = qgetenv("TMPDIR");
            qputenv("TMPDIR", QFile::encodeName(tmp.path()));
            const QList<TUnsavedWork> kept = FindUnsavedWork();
            ASSERT_EQ(kept.size(), 1);
            {
                TLdbDb db;
                db.Restore(kept.first());
                EXPECT_EQ(db.LoadEntries().size(), QLatin1String(mode) == QLatin1String("download") ? 1 : 0);
            }
            qputenv("TMPDIR", oldTmp);
        }
    }
}
