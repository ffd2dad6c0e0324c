#include "Blogsites.h"
#include "Definitionfiles.h"
#include "Fixtureblog.h"
#include "Serviceblogs.h"
#include "Testpaths.h"
#include "cli/Tclicommands.h"
#include "platform/Tappdirs.h"
#include "retrieval/Thttputility.h"
#include "store/Tcommatext.h"
#include "store/Tldbdb.h"
#include "store/Tproject.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <optional>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
struct TRun
{
    int Status = -1;
    QString Out;
    QString Err;
};

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Link(const QString &target, const QString &link)
{
    ASSERT_TRUE(QFile::link(target, link)) << link.toStdString();
}

// Runs the commands in a program tree of its own: the real templates and databases,
// plus blog types and templates the test writes. Most tests call RunCli in this
// process with its output captured; the ones about processes (exit statuses, signals,
// a lock another process holds, an installed tree) run a private copy of varnoki-cli,
// which finds its data beside its own executable.
class CliTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        const QString bin = TestPaths::BinDir();
        ASSERT_TRUE(QDir().mkpath(BinPath(QStringLiteral("blog"))));
        ASSERT_TRUE(QDir().mkpath(BinPath(QStringLiteral("template"))));
        ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("config"))));
        ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("tmp"))));
        ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("work"))));
        ASSERT_TRUE(QFile::copy(bin + QStringLiteral("/varnoki-cli"), BinPath(QStringLiteral("varnoki-cli"))));
        Link(bin + QStringLiteral("/db"), BinPath(QStringLiteral("db")));
        const QDir templates(bin + QStringLiteral("/template"));
        for (const QString &name : templates.entryList(QDir::Files))
            Link(templates.filePath(name), BinPath(QStringLiteral("template/") + name));

        WriteBytes(BinPath(QStringLiteral("blog/fixture.ini")),
                   "[CONFIG]\nname=テスト用\nsimpletext=試験のためのブログ\nencode=UTF-8\n"
                   "[SCRIPT]\nfile=fixture.js\nlanguage=JScript\n");
        ASSERT_TRUE(QFile::copy(TestPaths::FixturesDir() + QStringLiteral("/jobs/fixture.js"),
                                BinPath(QStringLiteral("blog/fixture.js"))));
        // Sorted after the shipped templates, so "new" still takes a shipped one.
        WriteBytes(BinPath(QStringLiteral("template/zz-status.ini")),
                   "[TEMPLATE]\nname=終了コード\nexe=tools/status.sh\n[CONFIG]\n1=タイトル\n");
        WriteBytes(BinPath(QStringLiteral("template/tools/status.sh")),
                   "#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$1\" \"$2\" \"$3\" > \"$2\"\nexit 3\n");
        QFile::setPermissions(BinPath(QStringLiteral("template/tools/status.sh")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        WriteBytes(BinPath(QStringLiteral("template/zz-missing.ini")),
                   "[TEMPLATE]\nname=プログラムなし\nexe=no-such-program\n[CONFIG]\n1=タイトル\n");

        // This process as the private copy would run: its tree, folders and working folder.
        SetAppDirOverride(BinPath(QString()));
        for (const char *name : {"XDG_CONFIG_HOME", "TMPDIR", "XDG_DATA_HOME"})
            FSavedEnvironment.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        const QProcessEnvironment env = Environment();
        for (const auto &variable : FSavedEnvironment)
            qputenv(variable.first, QFile::encodeName(env.value(QLatin1String(variable.first))));
        FSavedCurrent = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(Path(QStringLiteral("work"))));
    }

    void TearDown() override
    {
        QDir::setCurrent(FSavedCurrent);
        for (const auto &variable : FSavedEnvironment) {
            if (variable.second)
                qputenv(variable.first, *variable.second);
            else
                qunsetenv(variable.first);
        }
        SetAppDirOverride(QString());
    }

    QString Path(const QString &name) const { return FDir.filePath(name); }
    QString BinPath(const QString &name) const { return FDir.filePath(QStringLiteral("bin/") + name); }
    QString Project() const { return Path(QStringLiteral("work/blog.FDB")); }

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("config")));
        env.insert(QStringLiteral("TMPDIR"), Path(QStringLiteral("tmp")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), Path(QStringLiteral("data")));
        return env;
    }

    void Start(QProcess &process, const QStringList &args) const
    {
        process.setProcessEnvironment(Environment());
        process.setWorkingDirectory(Path(QStringLiteral("work")));
        process.start(BinPath(QStringLiteral("varnoki-cli")), args);
    }

    // A command line run in this process, its output captured.
    TRun Cli(const QStringList &args) const
    {
        struct TCapture : TCliSink
        {
            void Write(TCliStream stream, const QByteArray &bytes) override
            {
                (stream == TCliStream::Out ? Out : Err) += bytes;
            }
            QByteArray Out;
            QByteArray Err;
        } capture;
        TCliSink *previous = SetCliSink(&capture);
        TRun run;
        run.Status = RunCli(args);
        SetCliSink(previous);
        run.Out = QString::fromUtf8(capture.Out);
        run.Err = QString::fromUtf8(capture.Err);
        return run;
    }

    // The same command line run by the private copy of varnoki-cli.
    TRun CliProcess(const QStringList &args) const
    {
        QProcess process;
        Start(process, args);
        TRun run;
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
            return run;
        run.Status = process.exitCode();
        run.Out = QString::fromUtf8(process.readAllStandardOutput());
        run.Err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    void ExpectOk(const TRun &run) const
    {
        EXPECT_EQ(run.Status, 0) << run.Err.toStdString();
        EXPECT_EQ(run.Err, QString());
    }

    void ExpectUsageError(const QStringList &args) const
    {
        const TRun run = Cli(args);
        EXPECT_EQ(run.Status, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(run.Out, QString()) << args.join(QLatin1Char(' ')).toStdString();
        // One line, in the program's words.
        EXPECT_TRUE(run.Err.endsWith(QLatin1Char('\n')) && run.Err.count(QLatin1Char('\n')) == 1)
            << run.Err.toStdString();
    }

    void NewProject(const QString &url)
    {
        ExpectOk(Cli({QStringLiteral("new"), Project(), QStringLiteral("--blog-type"),
                      QStringLiteral("テスト用"), QStringLiteral("--url"), url}));
    }

    // Whatever a command did, its working copy must not stay behind.
    void ExpectNoWorkingCopies()
    {
        EXPECT_EQ(QDir(Path(QStringLiteral("tmp"))).entryList(QDir::Files), QStringList());
        EXPECT_EQ(QDir(PrivateTemp()).entryList(QDir::Files), QStringList());
    }

    // Where the commands keep their working copies.
    QString PrivateTemp() const { return Path(QStringLiteral("tmp/varnoki-%1").arg(::getuid())); }

    // Starts a crawl and returns once it has stored the page lastBeforeStall.
    void StartStalledCrawl(QProcess &process, const QString &lastBeforeStall)
    {
        Start(process, {QStringLiteral("entries"), Project()});
        QByteArray out;
        const QByteArray line = (QStringLiteral("OK: ") + lastBeforeStall + QLatin1Char(' ')).toUtf8();
        while (!out.contains(line) && process.waitForReadyRead(60000))
            out += process.readAllStandardOutput();
        ASSERT_TRUE(out.contains(line)) << out.toStdString();
    }

    QTemporaryDir FDir;
    QList<QPair<const char *, std::optional<QByteArray>>> FSavedEnvironment;
    QString FSavedCurrent;
};

// A blog of three entries and two categories, the newest first.
class CliBlogTest : public CliTest
{
protected:
    void SetUp() override
    {
        CliTest::SetUp();
        Blog.SetEntries({{QStringLiteral("/entry/3"), QStringLiteral("三番目"), QStringLiteral("2024/05/03 12:34:56"), {}},
                         {QStringLiteral("/entry/2"), QStringLiteral("Second \\ entry"), QStringLiteral("2024-05-02"), {}},
                         {QStringLiteral("/entry/1"), QStringLiteral("最初"), QStringLiteral("2024/05/01 08:00:00"), {}}});
        Blog.SetPage(QStringLiteral("/cat/diary"),
                     Entry(3) + Entry(1) + QStringLiteral("<a class=\"next\" href=\"%1\">次</a>")
                                               .arg(Blog.Url(QStringLiteral("/cat/diary/2"))));
        Blog.SetPage(QStringLiteral("/cat/diary/2"), Entry(2));
        Blog.SetPage(QStringLiteral("/cat/trip"), Entry(3));
    }

    QString Entry(int n) const
    {
        return QStringLiteral("<a class=\"entry\" href=\"%1\">x</a>").arg(EntryUrl(n));
    }
    QString EntryUrl(int n) const { return Blog.Url(QStringLiteral("/entry/%1").arg(n)); }

    TFixtureBlog Blog;
};

TEST_F(CliBlogTest, ProjectGoesFromNewToHtmlAndStaysReadableByTheCore)
{
    NewProject(Blog.TopUrl());
    ExpectOk(Cli({QStringLiteral("set"), Project(), QStringLiteral("--category"),
                  QStringLiteral("日記=") + Blog.Url(QStringLiteral("/cat/diary")), QStringLiteral("--category"),
                  QStringLiteral("旅行 記録=") + Blog.Url(QStringLiteral("/cat/trip")),
                  QStringLiteral("--value"), QStringLiteral("ページタイトル=目次=テスト")}));

    const TRun entries = Cli({QStringLiteral("entries"), Project()});
    ExpectOk(entries);
    EXPECT_TRUE(entries.Out.contains(QStringLiteral("OK: ") + EntryUrl(1) + QStringLiteral(" 最初")));
    EXPECT_TRUE(entries.Out.endsWith(QStringLiteral("終了しました。\n")));

    const TRun categories = Cli({QStringLiteral("categories"), Project()});
    ExpectOk(categories);
    EXPECT_TRUE(categories.Out.contains(QStringLiteral("OK: ") + Blog.Url(QStringLiteral("/cat/diary/2"))));

    ExpectOk(Cli({QStringLiteral("comment"), Project(), EntryUrl(2), QStringLiteral("一行目\n二行目\tタブ\\")}));

    const TRun tsv = Cli({QStringLiteral("list"), Project()});
    ExpectOk(tsv);
    const QString expectedTsv =
        QStringLiteral("1\t%1\t2024-05-03 12:34:56\t三番目\t日記,\"旅行 記録\"\t\n"
                       "2\t%2\t2024-05-02 00:00:00\tSecond \\\\ entry\t日記\t一行目\\n二行目\\tタブ\\\\\n"
                       "3\t%3\t2024-05-01 08:00:00\t最初\t日記\t\n")
            .arg(EntryUrl(3), EntryUrl(2), EntryUrl(1));
    EXPECT_EQ(tsv.Out, expectedTsv);

    const TRun json = Cli({QStringLiteral("list"), Project(), QStringLiteral("--format"), QStringLiteral("json")});
    ExpectOk(json);
    const QJsonArray array = QJsonDocument::fromJson(json.Out.toUtf8()).array();
    ASSERT_EQ(array.size(), 3);
    const QJsonObject second = array.at(1).toObject();
    EXPECT_EQ(second.keys(), (QStringList{QStringLiteral("categories"), QStringLiteral("comment"),
                                          QStringLiteral("date"), QStringLiteral("id"),
                                          QStringLiteral("title"), QStringLiteral("url")}));
    EXPECT_TRUE(second.value(QStringLiteral("id")).isDouble());
    EXPECT_EQ(second.value(QStringLiteral("id")).toInt(), 2);
    EXPECT_EQ(second.value(QStringLiteral("comment")).toString(), QStringLiteral("一行目\n二行目\tタブ\\"));
    EXPECT_EQ(array.at(0).toObject().value(QStringLiteral("categories")).toString(),
              QStringLiteral("日記,\"旅行 記録\""));

    // The same file through the core's own project model.
    {
        TLdbDb db;
        TProject project;
        project.Load(Project(), db);
        EXPECT_EQ(project.GetBlogTypeName(), QStringLiteral("テスト用"));
        EXPECT_EQ(project.GetEntryUrl(), Blog.TopUrl());
        ASSERT_EQ(project.GetCategoryCount(), 2);
        EXPECT_EQ(project.GetCategory(1).GetName(), QStringLiteral("旅行 記録"));
        EXPECT_EQ(project.GetHtmlValues().value(QStringLiteral("ページタイトル")), QStringLiteral("目次=テスト"));
        const TEntryList stored = db.LoadEntries();
        const TCategoryMap storedCategories = db.LoadCategories();
        ASSERT_EQ(stored.size(), 3);
        EXPECT_EQ(stored.at(1).GetComment(), QStringLiteral("一行目\n二行目\tタブ\\"));
        EXPECT_EQ(CategoryCommaText(stored.at(0), storedCategories), QStringLiteral("日記,\"旅行 記録\""));
        const QString work = db.GetWorkFileName();
        db.Close();
        QFile::remove(work);
    }

    const TRun make = Cli({QStringLiteral("make"), Project(), QStringLiteral("toc.html"), QStringLiteral("--wait")});
    ExpectOk(make);
    const QString html = QString::fromUtf8(ReadAll(Path(QStringLiteral("work/toc.html"))));
    EXPECT_TRUE(html.contains(QStringLiteral("目次=テスト")));
    EXPECT_TRUE(html.contains(QStringLiteral("三番目")));
    EXPECT_TRUE(html.contains(EntryUrl(1)));
    EXPECT_FALSE(make.Err.contains(QStringLiteral("拡張子"))) << make.Err.toStdString();
    // Markdown named .html is made all the same, with a word on the name.
    ExpectOk(Cli({QStringLiteral("set"), Project(), QStringLiteral("--template"), QStringLiteral("Markdown の目次")}));
    const TRun markdown = Cli({QStringLiteral("make"), Project(), QStringLiteral("toc.html"), QStringLiteral("--wait")});
    EXPECT_EQ(markdown.Status, 0);
    EXPECT_TRUE(markdown.Err.contains(QStringLiteral("拡張子は .md にしてください: toc.html"))) << markdown.Err.toStdString();
    EXPECT_TRUE(ReadAll(Path(QStringLiteral("work/toc.html"))).contains("三番目"));
    ExpectNoWorkingCopies();
}

TEST_F(CliBlogTest, LatestOnlyAddsNewEntriesInFront)
{
    NewProject(Blog.TopUrl());
    ExpectOk(Cli({QStringLiteral("entries"), Project()}));
    Blog.SetEntries({{QStringLiteral("/entry/4"), QStringLiteral("四番目"), QStringLiteral("2024/05/04"), {}},
                     {QStringLiteral("/entry/3"), QStringLiteral("三番目"), QStringLiteral("2024/05/03"), {}}});
    const TRun run = Cli({QStringLiteral("entries"), Project(), QStringLiteral("--latest-only")});
    ExpectOk(run);
    EXPECT_FALSE(run.Out.contains(QStringLiteral("OK: ") + EntryUrl(3)));
    const QStringList lines = Cli({QStringLiteral("list"), Project()}).Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines.at(0).contains(QStringLiteral("四番目")));
    EXPECT_TRUE(lines.at(3).contains(QStringLiteral("最初")));
}

TEST_F(CliBlogTest, FailedDownloadKeepsWhatWasStoredAndExitsWithOne)
{
    Blog.SetEntries({{QStringLiteral("/entry/3"), QStringLiteral("三番目"), QStringLiteral("2024/05/03"), {}},
                     {QStringLiteral("/entry/2"), QStringLiteral("二番目"), QStringLiteral("2024/05/02"),
                      QStringLiteral("BOOM")}});
    NewProject(Blog.TopUrl());
    const TRun run = Cli({QStringLiteral("entries"), Project()});
    EXPECT_EQ(run.Status, 1);
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Error: ") + EntryUrl(2))) << run.Out.toStdString();
    const QString list = Cli({QStringLiteral("list"), Project()}).Out;
    EXPECT_TRUE(list.startsWith(QStringLiteral("1\t") + EntryUrl(3))) << list.toStdString();
    EXPECT_EQ(list.count(QLatin1Char('\n')), 1);
    ExpectNoWorkingCopies();
}

TEST_F(CliBlogTest, AMaintenancePageMidWalkKeepsTheEarlierEntriesAndExitsWithOne)
{
    NewProject(Blog.TopUrl());
    ExpectOk(Cli({QStringLiteral("entries"), Project()}));
    ExpectOk(Cli({QStringLiteral("comment"), Project(), EntryUrl(1), QStringLiteral("大事なメモ")}));
    Blog.Server.SetRoute("/entry/2", THttpTestResponse::WithStatus(503, "<h1>メンテナンス中</h1>"));
    const TRun run = Cli({QStringLiteral("entries"), Project()});
    EXPECT_EQ(run.Status, 1);
    EXPECT_TRUE(run.Out.contains(QStringLiteral("HTTP エラー: HTTP/1.1 503 Service Unavailable"))) << run.Out.toStdString();
    const QStringList lines = Cli({QStringLiteral("list"), Project()}).Out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines.at(2).endsWith(QStringLiteral("\t大事なメモ"))) << lines.at(2).toStdString();
    ExpectNoWorkingCopies();
}

TEST_F(CliBlogTest, ControlCharactersOfAHostileBlogReachTheTerminalEscaped)
{
    Blog.SetEntries({{QStringLiteral("/entry/1"), QStringLiteral("赤\x1b[31m鐘\x07終\u009b2J\u202e逆\u2069"), QStringLiteral("2024/05/01"), {}}});
    NewProject(Blog.TopUrl());
    const TRun entries = Cli({QStringLiteral("entries"), Project()});
    ExpectOk(entries);
    EXPECT_TRUE(entries.Out.contains(QStringLiteral("赤\\x1B[31m鐘\\x07終\\x9B2J\\u202E逆\\u2069"))) << entries.Out.toStdString();
    const TRun tsv = Cli({QStringLiteral("list"), Project()});
    EXPECT_TRUE(tsv.Out.contains(QStringLiteral("赤\\x1B[31m鐘\\x07終\\x9B2J\\u202E逆\\u2069"))) << tsv.Out.toStdString();
    const TRun json = Cli({QStringLiteral("list"), Project(), QStringLiteral("--format"), QStringLiteral("json")});
    for (const QString &out : {entries.Out, tsv.Out, json.Out}) {
        EXPECT_FALSE(out.contains(QChar(0x1b)) || out.contains(QChar(0x07)) || out.contains(QChar(0x9b)) || out.contains(QChar(0x202e)))
            << out.toStdString();
    }
    // JSON readers still get the title as it was.
    EXPECT_EQ(QJsonDocument::fromJson(json.Out.toUtf8()).array().at(0).toObject().value(QStringLiteral("title")).toString(),
              QStringLiteral("赤\x1b[31m鐘\x07終\u009b2J\u202e逆\u2069"));
}

TEST_F(CliBlogTest, ASecondWriterIsRefusedWhileACrawlHoldsTheProject)
{
    Blog.Server.SetRoute("/entry/1", THttpTestResponse::Stall());
    NewProject(Blog.TopUrl());
    QProcess crawl;
    StartStalledCrawl(crawl, EntryUrl(2));
    const QByteArray before = ReadAll(Project());

    const TRun comment = Cli({QStringLiteral("comment"), Project(), EntryUrl(3), QStringLiteral("x")});
    EXPECT_EQ(comment.Status, 1);
    EXPECT_TRUE(comment.Err.contains(Project()) && comment.Err.contains(QStringLiteral("PID %1").arg(crawl.processId())))
        << comment.Err.toStdString();
    EXPECT_EQ(ReadAll(Project()), before);
    // Reading goes on meanwhile.
    ExpectOk(Cli({QStringLiteral("show"), Project()}));

    ::kill(pid_t(crawl.processId()), SIGINT);
    ASSERT_TRUE(crawl.waitForFinished(60000));
    ExpectOk(Cli({QStringLiteral("comment"), Project(), EntryUrl(3), QStringLiteral("x")}));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("work/.blog.FDB.lock"))));
}

TEST_F(CliBlogTest, AKilledCrawlIsRecovered)
{
    QList<TFixtureBlog::TPage> pages;
    for (int n = 120; n >= 1; --n)
        pages.append({QStringLiteral("/entry/%1").arg(n), QStringLiteral("記事%1").arg(n), QStringLiteral("2024/01/01"), {},
                      // The last page before the stall is slow, as real pages are: a page
                      // that took its time is committed before its line is printed.
                      n == 21 ? 1 : 0});
    Blog.SetEntries(pages);
    Blog.Server.SetRoute("/entry/20", THttpTestResponse::Stall());
    NewProject(Blog.TopUrl());
    QProcess crawl;
    StartStalledCrawl(crawl, EntryUrl(21)); // 100 entries stored
    ::kill(pid_t(crawl.processId()), SIGKILL);
    ASSERT_TRUE(crawl.waitForFinished(60000));
    EXPECT_EQ(crawl.exitStatus(), QProcess::CrashExit);

    // Any command on the project points the unsaved work out; recover takes it up.
    const TRun list = Cli({QStringLiteral("list"), Project()});
    EXPECT_EQ(list.Out, QString());
    EXPECT_TRUE(list.Err.contains(QStringLiteral("varnoki-cli recover"))) << list.Err.toStdString();
    const TRun listed = Cli({QStringLiteral("recover")});
    ExpectOk(listed);
    EXPECT_TRUE(listed.Out.endsWith(QStringLiteral("\t") + Project() + QStringLiteral("\n"))) << listed.Out.toStdString();
    ExpectOk(Cli({QStringLiteral("recover"), Project()}));
    const QStringList lines = Cli({QStringLiteral("list"), Project()}).Out.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_GE(lines.size(), 100);
    EXPECT_TRUE(lines.first().contains(EntryUrl(120)));
    EXPECT_TRUE(lines.at(99).contains(EntryUrl(21)));
    ExpectNoWorkingCopies();
}

TEST_F(CliTest, AFileThatIsNoProjectIsNamedSo)
{
    NewProject(QStringLiteral("http://127.0.0.1:9/"));
    const QByteArray project = ReadAll(Project());
    WriteBytes(Path(QStringLiteral("work/text.FDB")), "this is not a database\n");
    WriteBytes(Path(QStringLiteral("work/cut.FDB")), project.left(project.size() / 2));
    for (const QString &name : {QStringLiteral("text.FDB"), QStringLiteral("cut.FDB")}) {
        const TRun run = Cli({QStringLiteral("show"), Path(QStringLiteral("work/") + name)});
        EXPECT_EQ(run.Status, 2);
        EXPECT_TRUE(run.Err.startsWith(QStringLiteral("プロジェクトファイルとして開けません: ") + Path(QStringLiteral("work/") + name)))
            << run.Err.toStdString();
    }
    ExpectNoWorkingCopies();
}

TEST_F(CliBlogTest, TryShowsWhatTheScriptReadsAndWalksOlderEntries)
{
    const TRun top = Cli({QStringLiteral("try"), QStringLiteral("--blog-type"), QStringLiteral("テスト用"),
                          Blog.TopUrl(), QStringLiteral("--walk"), QStringLiteral("2")});
    ExpectOk(top);
    const QStringList lines = top.Out.split(u'\n', Qt::SkipEmptyParts);
    auto value = [](const QString &line) { return line.left(line.lastIndexOf(QStringLiteral(" ("))); };
    ASSERT_GE(lines.size(), 15) << top.Out.toStdString();
    EXPECT_EQ(value(lines.at(1)), QStringLiteral("GetRecentEntry: ") + EntryUrl(3));
    EXPECT_TRUE(lines.at(1).endsWith(QStringLiteral(" ms)")));
    // The walk starts at the newest entry, and each step shows what the program reads.
    EXPECT_EQ(lines.at(7), QStringLiteral("[1] ") + EntryUrl(3));
    EXPECT_EQ(value(lines.at(8)), QStringLiteral("  GetDate: 2024/05/03 12:34:56 → 2024-05-03 12:34:56"));
    EXPECT_EQ(value(lines.at(9)), QStringLiteral("  GetTitle: 三番目"));
    EXPECT_EQ(value(lines.at(10)), QStringLiteral("  GetNextUrl: ") + EntryUrl(2));
    EXPECT_EQ(lines.at(11), QStringLiteral("[2] ") + EntryUrl(2));
    EXPECT_EQ(lines.size(), 15);

    // A script error names its line and column; a saved page works as a file.
    WriteBytes(Path(QStringLiteral("work/boom.html")), "<h1>t</h1><span class=\"date\">いつか</span>BOOM");
    const TRun boom = Cli({QStringLiteral("try"), QStringLiteral("--blog-type"), QStringLiteral("テスト用"),
                           Path(QStringLiteral("work/boom.html"))});
    EXPECT_EQ(boom.Status, 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\nGetTitle: エラー \\d+,\\d+:.*ReferenceError")).match(boom.Out).hasMatch())
        << boom.Out.toStdString();
    EXPECT_TRUE(boom.Out.contains(QStringLiteral("GetDate: いつか → 日付として読めません")));
    // An error page is said to be one.
    Blog.Server.SetRoute("/gone", THttpTestResponse::WithStatus(404, "gone"));
    const TRun gone = Cli({QStringLiteral("try"), QStringLiteral("--blog-type"), QStringLiteral("テスト用"),
                           Blog.Url(QStringLiteral("/gone"))});
    EXPECT_EQ(gone.Status, 1);
    EXPECT_TRUE(gone.Out.contains(QStringLiteral("HTTP エラー: HTTP/1.1 404 Not Found")));
}

// A page file that is a device, a named pipe or a folder is refused at once, and one
// larger than a fetch takes is not read whole.
TEST_F(CliTest, TryRefusesWhatIsNoPlainFileOfAPageSize)
{
    const QString fifo = Path(QStringLiteral("work/pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString big = Path(QStringLiteral("work/big.html"));
    {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(TFetchControl().MaxBodyBytes + 1));
    }
    const QList<QPair<QString, QString>> cases = {
        {QStringLiteral("/dev/zero"), QStringLiteral("ふつうのファイルではありません")},
        {fifo, QStringLiteral("ふつうのファイルではありません")},
        {Path(QStringLiteral("work")), QStringLiteral("ふつうのファイルではありません")},
        {big, QStringLiteral("大きすぎます")}};
    for (const auto &[file, message] : cases) {
        SCOPED_TRACE(file.toStdString());
        const TRun run = Cli({QStringLiteral("try"), QStringLiteral("--blog-type"), QStringLiteral("テスト用"), file});
        EXPECT_EQ(run.Status, 2);
        EXPECT_TRUE(run.Err.contains(message)) << run.Err.toStdString();
    }
}

// A shipped blog type tried on a copy of its service's pages: the walk from the top
// page reaches every entry, newest first, and ends at the oldest.
TEST_F(CliTest, TryWalksAShippedBlogTypeToTheOldestEntry)
{
    const QList<TBlogSite> sites = LoadBlogSites();
    const auto site = std::find_if(sites.begin(), sites.end(),
                                   [](const TBlogSite &s) { return s.name == QLatin1String("livedoor"); });
    ASSERT_NE(site, sites.end());
    for (const QString &name : {QStringLiteral("common.js"), QStringLiteral("services.js"), QStringLiteral("livedoor.ini"),
                                QStringLiteral("livedoor.js")})
        Link(TestPaths::BinDir() + QStringLiteral("/blog/") + name, BinPath(QStringLiteral("blog/") + name));
    THttpTestServer server;
    const QString base = server.Url(QStringLiteral("/")).chopped(1);
    server.SetHandler(site->Handler(base));
    const TRun run = Cli({QStringLiteral("try"), QStringLiteral("--blog-type"), QStringLiteral("livedoor Blog"),
                          base + site->top, QStringLiteral("--walk"), QStringLiteral("10")});
    ExpectOk(run);
    QStringList walked;
    for (const QString &line : run.Out.split(u'\n')) {
        if (line.startsWith(u'['))
            walked << line.section(QLatin1Char(' '), 1);
    }
    QStringList expected;
    for (const TBlogSite::TEntry &entry : site->entries)
        expected << base + entry.url;
    EXPECT_EQ(walked, expected) << run.Out.toStdString();
    EXPECT_TRUE(run.Out.contains(QStringLiteral("  GetTitle: ") + site->entries.last().title));
    EXPECT_TRUE(run.Out.trimmed().section(u'\n', -2, -2).startsWith(QStringLiteral("  GetNextUrl:  (")))
        << run.Out.toStdString();
    EXPECT_EQ(run.Out.trimmed().section(u'\n', -1),
              QStringLiteral("古いエントリーがないため巡回を終えます（%1 件たどりました）。").arg(site->entries.size()));
}

// What a newcomer writing a blog type meets: a saved list answer read without a server,
// and a word where a page, an option or a name does not fit the blog type.
TEST_F(CliTest, TryReadsASavedListAndSaysWhatDoesNotFit)
{
    for (const QString &name : {QStringLiteral("common.js"), QStringLiteral("services.js"), QStringLiteral("wordpress.ini"),
                                QStringLiteral("wordpress.js"), QStringLiteral("seesaa.ini"), QStringLiteral("seesaa.js")})
        Link(TestPaths::BinDir() + QStringLiteral("/blog/") + name, BinPath(QStringLiteral("blog/") + name));
    QFile list(Path(QStringLiteral("posts.json")));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(R"([{"link":"https://b.example/2024/03/02/two/","title":{"rendered":"Two &amp; more"},"date":"2024-03-02T10:00:00"},
                  {"link":"/2024/03/01/one/","title":{"rendered":"One"},"date":"2024-03-01T09:00:00"}])");
    list.close();
    const QString listUrl = QStringLiteral("https://b.example/wp-json/wp/v2/posts?per_page=100&page=1");
    const TRun read = Cli({QStringLiteral("try"), QStringLiteral("--blog-type"), QStringLiteral("WordPress"), list.fileName(),
                           QStringLiteral("--list-url"), listUrl});
    ExpectOk(read);
    EXPECT_TRUE(read.Out.contains(QStringLiteral("  GetEntryList: 2 件")));
    EXPECT_TRUE(read.Out.contains(QStringLiteral("    https://b.example/2024/03/01/one/\tOne\t2024-03-01T09:00:00 → 2024-03-01 09:00:00")))
        << read.Out.toStdString();
    EXPECT_TRUE(read.Out.contains(QStringLiteral("  GetNextEntryListUrl:  (")));

    QFile page(Path(QStringLiteral("page.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\"></head></html>");
    page.close();
    const TRun garbled = Cli({QStringLiteral("try"), QStringLiteral("--blog-type"), QStringLiteral("Seesaaブログ"),
                              page.fileName(), QStringLiteral("--list"), QStringLiteral("1")});
    EXPECT_TRUE(garbled.Out.contains(QStringLiteral("Warning: ページの文字コードは Shift_JIS ですが、")))
        << garbled.Out.toStdString();
    EXPECT_TRUE(garbled.Out.contains(QStringLiteral("Warning: このブログの種類にはエントリーの一覧を読む関数がないため")));

    const TRun unknown = Cli({QStringLiteral("try"), QStringLiteral("--blog-type"), QStringLiteral("Wordpress"), page.fileName()});
    EXPECT_NE(unknown.Status, 0);
    EXPECT_TRUE(unknown.Err.contains(QStringLiteral("あるブログの種類: ")) && unknown.Err.contains(QStringLiteral("WordPress")))
        << unknown.Err.toStdString();

    QFile::remove(BinPath(QStringLiteral("blog/seesaa.js")));
    const TRun types = Cli({QStringLiteral("blog-types"), QStringLiteral("--verbose")});
    EXPECT_TRUE(types.Out.contains(QStringLiteral("（スクリプトがありません: "))) << types.Out.toStdString();
    EXPECT_EQ(types.Out.count(QStringLiteral("スクリプトがありません")), 1);
}

// A full download that finds far fewer entries keeps the earlier list unless allowed.
TEST_F(CliBlogTest, AShrinkingListIsKeptUnlessAllowed)
{
    QList<TFixtureBlog::TPage> pages;
    for (int n = 12; n >= 1; --n)
        pages.append({QStringLiteral("/entry/%1").arg(n), QStringLiteral("記事%1").arg(n), QStringLiteral("2024/05/%1").arg(n), {}});
    Blog.SetEntries(pages);
    NewProject(Blog.TopUrl());
    ExpectOk(Cli({QStringLiteral("entries"), Project()}));
    Blog.SetEntries(pages.mid(0, 3));
    auto stored = [&] { return Cli({QStringLiteral("list"), Project()}).Out.count(QLatin1Char('\n')); };

    const TRun kept = Cli({QStringLiteral("entries"), Project()});
    EXPECT_EQ(kept.Status, 1);
    EXPECT_TRUE(kept.Out.contains(QStringLiteral("取得したエントリーは 3 件で、これまでの 12 件より少ないため、"
                                                 "以前のエントリー一覧をそのまま残しました。"))) << kept.Out.toStdString();
    EXPECT_TRUE(kept.Err.contains(QStringLiteral("--allow-shrink"))) << kept.Err.toStdString();
    EXPECT_EQ(stored(), 12);

    ExpectOk(Cli({QStringLiteral("entries"), Project(), QStringLiteral("--latest-only")}));
    EXPECT_EQ(stored(), 12);
    ExpectOk(Cli({QStringLiteral("entries"), Project(), QStringLiteral("--allow-shrink")}));
    EXPECT_EQ(stored(), 3);
}

// With the shipped blog types: detect names the service of a page, new takes the best
// of them, and set reads the blog's categories into the project.
TEST_F(CliTest, DetectNewAndSetReadTheBlogTypeAndCategoriesFromTheBlog)
{
    const QDir shipped(TestPaths::BinDir() + QStringLiteral("/blog"));
    for (const QString &name : shipped.entryList(QDir::Files))
        Link(shipped.filePath(name), BinPath(QStringLiteral("blog/") + name));
    const QList<TBlogSite> sites = LoadBlogSites();
    const auto site = std::find_if(sites.begin(), sites.end(),
                                   [](const TBlogSite &s) { return s.name == QLatin1String("hatena"); });
    ASSERT_NE(site, sites.end());
    THttpTestServer server;
    const QString base = server.Url(QStringLiteral("/")).chopped(1);
    server.SetHandler(site->Handler(base));

    const TRun detect = Cli({QStringLiteral("detect"), base + site->top});
    ExpectOk(detect);
    const QStringList lines = detect.Out.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), shipped.entryList({QStringLiteral("*.ini")}).size() + 1);
    EXPECT_TRUE(lines.value(0).startsWith(QStringLiteral("はてなブログ\t"))) << detect.Out.toStdString();
    WriteBytes(Path(QStringLiteral("plain.html")), "<html><body><p>plain</p></body></html>");
    const TRun nothing = Cli({QStringLiteral("detect"), Path(QStringLiteral("plain.html"))});
    EXPECT_EQ(nothing.Status, 1);

    // A top page that cannot be fetched makes no project.
    const TRun unreachable = Cli({QStringLiteral("new"), Project(), QStringLiteral("--url"), QStringLiteral("http://127.0.0.1:9/")});
    EXPECT_EQ(unreachable.Status, 1);
    EXPECT_FALSE(QFile::exists(Project()));
    ExpectOk(Cli({QStringLiteral("new"), Project(), QStringLiteral("--url"), base + site->top}));
    ExpectOk(Cli({QStringLiteral("set"), Project(), QStringLiteral("--category"), QStringLiteral("自分の名前=") + base + site->categories[0].url}));
    const TRun set = Cli({QStringLiteral("set"), Project(), QStringLiteral("--categories-from-blog")});
    ExpectOk(set);
    EXPECT_TRUE(set.Out.endsWith(QStringLiteral("ブログのカテゴリー 2 件のうち 1 件を追加しました。\n"))) << set.Out.toStdString();
    TLdbDb db;
    TProject project;
    project.Load(Project(), db, false);
    EXPECT_EQ(project.GetBlogTypeName(), QStringLiteral("はてなブログ"));
    ASSERT_EQ(project.GetCategoryCount(), 2);
    EXPECT_EQ(project.GetCategory(0).GetName(), QStringLiteral("自分の名前"));
    EXPECT_EQ(project.GetCategory(1).GetName(), site->categories[1].name);
    EXPECT_EQ(project.GetCategory(1).GetUrl(), base + site->categories[1].url);
    const QString work = db.GetWorkFileName();
    db.Close();
    QFile::remove(work);
}

// A blog type's entry list, as the download would read it, shown page by page with
// each entry's date as stored.
TEST_F(CliTest, TryReadsTheEntryListPageByPage)
{
    for (const QString &name : {QStringLiteral("common.js"), QStringLiteral("services.js"), QStringLiteral("wordpress.ini"),
                                QStringLiteral("wordpress.js")})
        Link(TestPaths::BinDir() + QStringLiteral("/blog/") + name, BinPath(QStringLiteral("blog/") + name));
    TServiceBlog blog(TServiceBlog::TService::WordPress, 150);
    const TRun run = Cli({QStringLiteral("try"), QStringLiteral("--blog-type"), QStringLiteral("WordPress"), blog.TopUrl(),
                          QStringLiteral("--list"), QStringLiteral("5")});
    ExpectOk(run);
    EXPECT_TRUE(run.Out.contains(QStringLiteral("GetEntryListUrl: ") + blog.Server.Url(QStringLiteral("/wp-json/wp/v2/posts?"))))
        << run.Out.toStdString();
    EXPECT_EQ(run.Out.count(QStringLiteral("\n[一覧 ")), 2) << run.Out.toStdString();
    EXPECT_TRUE(run.Out.contains(QStringLiteral("  GetEntryList: 100 件")));
    EXPECT_TRUE(run.Out.contains(QStringLiteral("  GetEntryList: 50 件")));
    EXPECT_TRUE(run.Out.contains(QStringLiteral("    %1\t%2\t").arg(blog.EntryUrl(150), TServiceBlog::Title(150))));
    EXPECT_TRUE(run.Out.contains(QStringLiteral(" → ") + TServiceBlog::LocalTime(1).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
    EXPECT_EQ(run.Out.count(QStringLiteral("\n    http")), 150);
}

// A WordPress list that breaks off (200 with no posts) or repeats its first page fails
// the download: exit 1, and the entries and comments stored before stay as they were.
TEST_F(CliTest, AListThatBreaksOffOrRepeatsExitsWithOneAndKeepsTheEntries)
{
    for (const QString &name : {QStringLiteral("common.js"), QStringLiteral("services.js"), QStringLiteral("wordpress.ini"),
                                QStringLiteral("wordpress.js")})
        Link(TestPaths::BinDir() + QStringLiteral("/blog/") + name, BinPath(QStringLiteral("blog/") + name));
    TServiceBlog blog(TServiceBlog::TService::WordPress, 250);
    ExpectOk(Cli({QStringLiteral("new"), Project(), QStringLiteral("--blog-type"), QStringLiteral("WordPress"),
                  QStringLiteral("--url"), blog.TopUrl()}));
    ExpectOk(Cli({QStringLiteral("entries"), Project()}));
    ExpectOk(Cli({QStringLiteral("comment"), Project(), blog.EntryUrl(1), QStringLiteral("大事なメモ")}));
    const QString before = Cli({QStringLiteral("list"), Project()}).Out;
    ASSERT_EQ(before.count(u'\n'), 250);
    ASSERT_TRUE(before.contains(QStringLiteral("\t大事なメモ\n")));
    for (const auto mode : {TServiceBlog::TListMode::EmptyLater, TServiceBlog::TListMode::Repeats}) {
        SCOPED_TRACE(int(mode));
        blog.ListMode = mode;
        const TRun run = Cli({QStringLiteral("entries"), Project()});
        EXPECT_EQ(run.Status, 1) << run.Out.toStdString();
        EXPECT_EQ(Cli({QStringLiteral("list"), Project()}).Out, before);
    }
}

TEST_F(CliBlogTest, TryStopsWhereTheWalkTurnsBack)
{
    const QString page = QStringLiteral("<h1>%1</h1><span class=\"date\">2024/01/01</span><a class=\"prev\" href=\"%2\">p</a>");
    Blog.SetPage(QStringLiteral("/loop/a"), page.arg(QStringLiteral("A"), Blog.Url(QStringLiteral("/loop/b"))));
    Blog.SetPage(QStringLiteral("/loop/b"), page.arg(QStringLiteral("B"), Blog.Url(QStringLiteral("/loop/a"))));
    const TRun run = Cli({QStringLiteral("try"), QStringLiteral("--blog-type"), QStringLiteral("テスト用"),
                          Blog.Url(QStringLiteral("/loop/a")), QStringLiteral("--walk"), QStringLiteral("5")});
    ExpectOk(run);
    EXPECT_EQ(run.Out.count(QStringLiteral("\n[")), 1) << run.Out.toStdString();
    EXPECT_TRUE(run.Out.contains(QStringLiteral("同じページに戻ったため巡回を終えます: ") + Blog.Url(QStringLiteral("/loop/a"))));
}

TEST_F(CliBlogTest, CtrlCCancelsTheDownloadAndSavesWhatCame)
{
    Blog.Server.SetRoute("/entry/1", THttpTestResponse::Stall());
    const QByteArray lastBeforeStall = (QStringLiteral("OK: ") + EntryUrl(2)).toUtf8();
    // A closed terminal and a kill end it the same way, and soon.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        QFile::remove(Project());
        NewProject(Blog.TopUrl());
        QProcess process;
        Start(process, {QStringLiteral("entries"), Project()});
        QByteArray out;
        while (!out.contains(lastBeforeStall) && process.waitForReadyRead(60000))
            out += process.readAllStandardOutput();
        ASSERT_TRUE(out.contains(lastBeforeStall)) << out.toStdString();
        ::kill(pid_t(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(5000)) << "still running 5 s after the signal";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 130);
        out += process.readAllStandardOutput();
        EXPECT_TRUE(out.endsWith("終了しました。\n")) << out.toStdString();
        const QString list = Cli({QStringLiteral("list"), Project()}).Out;
        EXPECT_EQ(list.count(QLatin1Char('\n')), 2) << list.toStdString();
        ExpectNoWorkingCopies();
    }
}

TEST_F(CliTest, SetChangesOnlyWhatItIsGiven)
{
    NewProject(QStringLiteral("http://example.com/"));
    TRun show = Cli({QStringLiteral("show"), Project()});
    ExpectOk(show);
    QStringList lines = show.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.at(0), QStringLiteral("blog-type\tテスト用"));
    EXPECT_EQ(lines.at(1), QStringLiteral("url\thttp://example.com/"));
    EXPECT_EQ(lines.at(2), QStringLiteral("template\tカテゴリー別目次"));
    // The first template's items, all empty.
    EXPECT_TRUE(lines.contains(QStringLiteral("value\tページタイトル\t")));

    ExpectOk(Cli({QStringLiteral("set"), Project(), QStringLiteral("--category"), QStringLiteral("A=http://a/?x=1")}));
    ExpectOk(Cli({QStringLiteral("set"), Project(), QStringLiteral("--template"), QStringLiteral("終了コード"),
                  QStringLiteral("--value"), QStringLiteral("タイトル=t\tab")}));
    ExpectOk(Cli({QStringLiteral("set"), Project(), QStringLiteral("--category"), QStringLiteral("B=http://b/")}));
    show = Cli({QStringLiteral("show"), Project()});
    EXPECT_EQ(show.Out, QStringLiteral("blog-type\tテスト用\nurl\thttp://example.com/\ntemplate\t終了コード\n"
                                       "category\tA\thttp://a/?x=1\ncategory\tB\thttp://b/\n"
                                       "value\tタイトル\tt\\tab\n"));

    // Choosing the same template again keeps its values; a new list replaces the old.
    ExpectOk(Cli({QStringLiteral("set"), Project(), QStringLiteral("--template"), QStringLiteral("終了コード"),
                  QStringLiteral("--clear-categories"), QStringLiteral("--category"), QStringLiteral("C=http://c/"),
                  QStringLiteral("--url"), QStringLiteral("http://example.org/")}));
    show = Cli({QStringLiteral("show"), Project()});
    EXPECT_EQ(show.Out, QStringLiteral("blog-type\tテスト用\nurl\thttp://example.org/\ntemplate\t終了コード\n"
                                       "category\tC\thttp://c/\nvalue\tタイトル\tt\\tab\n"));
    ExpectNoWorkingCopies();
}

TEST_F(CliTest, BadArgumentsExitWithTwoAndLeaveTheProjectAlone)
{
    NewProject(QStringLiteral("http://example.com/"));
    const QByteArray before = ReadAll(Project());
    const QString p = Project();
    ExpectUsageError({});
    ExpectUsageError({QStringLiteral("frobnicate")});
    ExpectUsageError({QStringLiteral("show")});
    ExpectUsageError({QStringLiteral("show"), p, QStringLiteral("extra")});
    ExpectUsageError({QStringLiteral("show"), p, QStringLiteral("--bogus")});
    ExpectUsageError({QStringLiteral("show"), Path(QStringLiteral("work/none.FDB"))});
    ExpectUsageError({QStringLiteral("show"), BinPath(QStringLiteral("blog/fixture.ini"))});
    ExpectUsageError({QStringLiteral("new"), Path(QStringLiteral("work/b.FDB")), QStringLiteral("--blog-type"), QStringLiteral("テスト用")});
    ExpectUsageError({QStringLiteral("new"), Path(QStringLiteral("work/b.FDB")), QStringLiteral("--blog-type"),
                      QStringLiteral("なし"), QStringLiteral("--url"), QStringLiteral("http://x/")});
    ExpectUsageError({QStringLiteral("new"), Path(QStringLiteral("work/b.FDB")), QStringLiteral("--blog-type"),
                      QStringLiteral("テスト用"), QStringLiteral("--url"), QStringLiteral("http://x/"),
                      QStringLiteral("--template"), QStringLiteral("なし")});
    ExpectUsageError({QStringLiteral("new"), p, QStringLiteral("--blog-type"), QStringLiteral("テスト用"),
                      QStringLiteral("--url"), QStringLiteral("http://x/")});
    ExpectUsageError({QStringLiteral("set"), p, QStringLiteral("--url"), QStringLiteral("http://changed/"),
                      QStringLiteral("--blog-type"), QStringLiteral("なし")});
    ExpectUsageError({QStringLiteral("set"), p, QStringLiteral("--category"), QStringLiteral("no-equals")});
    ExpectUsageError({QStringLiteral("set"), p, QStringLiteral("--category"), QStringLiteral("A=")});
    ExpectUsageError({QStringLiteral("set"), p, QStringLiteral("--value"), QStringLiteral("無い項目=1")});
    ExpectUsageError({QStringLiteral("set"), p, QStringLiteral("--url")});
    ExpectUsageError({QStringLiteral("list"), p, QStringLiteral("--format"), QStringLiteral("xml")});
    ExpectUsageError({QStringLiteral("comment"), p, QStringLiteral("http://example.com/none"), QStringLiteral("x")});
    ExpectUsageError({QStringLiteral("make"), p, Path(QStringLiteral("no-folder/toc.html"))});
    EXPECT_EQ(ReadAll(Project()), before);
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("work/b.FDB"))));

    // The project's blog type or template no longer installed.
    ExpectOk(Cli({QStringLiteral("set"), p, QStringLiteral("--template"), QStringLiteral("終了コード")}));
    QFile::remove(BinPath(QStringLiteral("template/zz-status.ini")));
    QFile::remove(BinPath(QStringLiteral("blog/fixture.ini")));
    ExpectUsageError({QStringLiteral("make"), p, QStringLiteral("toc.html"), QStringLiteral("--wait")});
    ExpectUsageError({QStringLiteral("entries"), p});
    ExpectNoWorkingCopies();
}

TEST_F(CliTest, HelpAndListingsGoToStandardOutput)
{
    for (const QString &command : {QStringLiteral("blog-types"), QStringLiteral("templates"), QStringLiteral("new"),
                                   QStringLiteral("set"), QStringLiteral("show"), QStringLiteral("entries"),
                                   QStringLiteral("categories"), QStringLiteral("list"),
                                   QStringLiteral("comment"), QStringLiteral("make")}) {
        const TRun run = Cli({command, QStringLiteral("--help")});
        ExpectOk(run);
        EXPECT_TRUE(run.Out.contains(QStringLiteral("varnoki-cli ") + command)) << command.toStdString();
    }
    ExpectOk(Cli({QStringLiteral("--help")}));

    TRun run = Cli({QStringLiteral("blog-types")});
    ExpectOk(run);
    EXPECT_EQ(run.Out, QStringLiteral("テスト用\t試験のためのブログ\n"));
    run = Cli({QStringLiteral("templates")});
    ExpectOk(run);
    EXPECT_TRUE(run.Out.endsWith(QStringLiteral("プログラムなし\tタイトル\n終了コード\tタイトル\n")));
    EXPECT_TRUE(run.Out.contains(QStringLiteral("\tページタイトル,")));
}

TEST_F(CliTest, EachCommandsHelpListsEveryOptionItTakes)
{
    for (const TCliCommand &command : CliCommands()) {
        const TRun help = Cli({command.Name, QStringLiteral("--help")});
        ExpectOk(help);
        const QString usage = help.Out.section(QStringLiteral("\n\n"), 0, 0);
        const QString options = help.Out.section(QStringLiteral("\n\n"), 1);
        EXPECT_TRUE(usage.startsWith(QStringLiteral("使い方 / Usage: varnoki-cli ") + command.Name)) << usage.toStdString();
        EXPECT_TRUE(options.contains(QStringLiteral("\n  -h, --help\n"))) << options.toStdString();
        for (const TCliOption &option : command.Options) {
            const QString shown = QStringLiteral("--") + option.Name
                                  + (option.ValueName.isEmpty() ? QString() : QLatin1Char(' ') + option.ValueName);
            const std::string where = command.Name.toStdString() + " " + shown.toStdString();
            EXPECT_TRUE(usage.contains(shown)) << where;
            EXPECT_TRUE(options.contains(QStringLiteral("\n  ") + shown)) << where;
            // What the help lists, the command takes.
            QStringList args = {command.Name, QStringLiteral("--") + option.Name};
            if (!option.ValueName.isEmpty())
                args.append(QStringLiteral("x"));
            EXPECT_EQ(Cli(args + QStringList{QStringLiteral("--help")}).Status, 0) << where;
        }
        EXPECT_EQ(Cli({command.Name, QStringLiteral("--no-such-option")}).Status, 2) << command.Name.toStdString();
        // Each command has its line in the command list.
        EXPECT_TRUE(Cli({QStringLiteral("--help")}).Out.contains(QStringLiteral("\n  ") + command.Name))
            << command.Name.toStdString();
    }
}

TEST_F(CliBlogTest, ExitStatusesAndOutputReachTheCallingProcess)
{
    TRun run = CliProcess({});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Out, QString());
    EXPECT_EQ(run.Err, QStringLiteral("コマンドを指定してください。 (varnoki-cli --help)\n"));
    run = CliProcess({QStringLiteral("show"), Path(QStringLiteral("work/none.FDB"))});
    EXPECT_EQ(run.Status, 2);
    EXPECT_TRUE(run.Err.startsWith(QStringLiteral("プロジェクトファイルが見つかりません: "))) << run.Err.toStdString();
    run = CliProcess({QStringLiteral("--version")});
    ExpectOk(run);
    EXPECT_EQ(run.Out, QStringLiteral("varnoki-cli " VARNOKI_VERSION "\n"));
    run = CliProcess({QStringLiteral("blog-types")});
    ExpectOk(run);
    EXPECT_EQ(run.Out, QStringLiteral("テスト用\t試験のためのブログ\n"));

    Blog.SetEntries({{QStringLiteral("/entry/2"), QStringLiteral("赤\x1b[31m二"), QStringLiteral("2024/05/02"), {}},
                     {QStringLiteral("/entry/1"), QStringLiteral("一番目"), QStringLiteral("2024/05/01"),
                      QStringLiteral("BOOM")}});
    NewProject(Blog.TopUrl());
    run = CliProcess({QStringLiteral("entries"), Project()});
    EXPECT_EQ(run.Status, 1);
    EXPECT_TRUE(run.Out.contains(QStringLiteral("OK: ") + EntryUrl(2) + QStringLiteral(" 赤\\x1B[31m二\n")))
        << run.Out.toStdString();
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Error: ") + EntryUrl(1))) << run.Out.toStdString();
}

TEST_F(CliTest, AnOrdinaryUserMakesAndSavesAProjectWithAnInstalledTree)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to lay out an installed tree and run it as another user";
    const QString prefix = Path(QStringLiteral("installed"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("cmake"),
                                {QStringLiteral("--install"), TestPaths::BinDir() + QStringLiteral("/.."),
                                 QStringLiteral("--prefix"), prefix}), 0);
    OpenToEveryone(FDir.path());
    for (const char *folder : {"tmp", "work", "config"})
        QFile::setPermissions(Path(QLatin1String(folder)), QFileDevice::Permissions(0x7777));
    const QString cli = prefix + QStringLiteral("/bin/varnoki-cli");
    auto asNobody = [&](const QStringList &args) {
        QProcess process;
        QProcessEnvironment env = Environment();
        env.remove(QStringLiteral("FIREBIRD_LOCK")); // the test run's own folder is root's
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(Path(QStringLiteral("work")));
        process.setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(99);
        });
        process.start(cli, args);
        process.waitForFinished(60000);
        TRun run;
        run.Status = process.exitCode();
        run.Out = QString::fromUtf8(process.readAllStandardOutput());
        run.Err = QString::fromUtf8(process.readAllStandardError());
        return run;
    };
    const QString project = Path(QStringLiteral("work/mine.FDB"));
    ExpectOk(asNobody({QStringLiteral("new"), project, QStringLiteral("--blog-type"), QStringLiteral("WordPress"),
                       QStringLiteral("--url"), QStringLiteral("http://127.0.0.1:9/")}));
    ExpectOk(asNobody({QStringLiteral("set"), project, QStringLiteral("--url"), QStringLiteral("http://127.0.0.1:9/blog/")}));
    const TRun shown = asNobody({QStringLiteral("show"), project});
    ExpectOk(shown);
    EXPECT_TRUE(shown.Out.contains(QStringLiteral("url\thttp://127.0.0.1:9/blog/"))) << shown.Out.toStdString();
    EXPECT_EQ(QFileInfo(project).ownerId(), 65534u);
    // Its working copies were private to it and are gone.
    EXPECT_EQ(QDir(Path(QStringLiteral("tmp/varnoki-65534"))).entryList(QDir::Files), QStringList());
}

// A template program runs in a process group of its own: SIGTERM, the timeout, and its
// own end while children it started still run all end the whole group.
TEST_F(CliTest, MakeWaitEndedBySigtermEndsTheProgramAndLeavesNothing)
{
    struct TCase
    {
        const char *what;
        QByteArray script;
        QStringList options;
        bool sigterm;
        int status;
        QString message;
    };
    const QList<TCase> cases = {
        {"SIGTERM", "sleep 60 &\necho \"started $$ $!\"\nwait\n", {}, true, 130, QStringLiteral("キャンセルしました")},
        {"timeout", "sleep 60 &\necho \"started $$ $!\"\nwait\n", {QStringLiteral("--timeout"), QStringLiteral("1")}, false, 1,
         QStringLiteral("1 秒以内に終わらなかった")},
        {"left a child", "sleep 60 &\necho \"started $$ $!\"\n", {}, false, 1, QStringLiteral("子プロセスを残していた")}};
    WriteBytes(BinPath(QStringLiteral("template/zz-hang.ini")),
               "[TEMPLATE]\nname=止まらない\nexe=tools/hang.sh\n[CONFIG]\n1=タイトル\n");
    NewProject(QStringLiteral("http://example.com/"));
    ExpectOk(Cli({QStringLiteral("set"), Project(), QStringLiteral("--template"), QStringLiteral("止まらない")}));
    for (const TCase &test : cases) {
        SCOPED_TRACE(test.what);
        WriteBytes(BinPath(QStringLiteral("template/tools/hang.sh")), "#!/bin/sh\n" + test.script);
        QFile::setPermissions(BinPath(QStringLiteral("template/tools/hang.sh")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcess make;
        Start(make, QStringList{QStringLiteral("make"), Project(), QStringLiteral("x.html"), QStringLiteral("--wait")} + test.options);
        QByteArray out;
        while (!out.contains('\n') && make.waitForReadyRead(60000))
            out += make.readAllStandardOutput();
        ASSERT_TRUE(out.startsWith("started ")) << out.toStdString();
        const QList<QByteArray> pids = out.mid(8).trimmed().split(' ');
        ASSERT_EQ(pids.size(), 2);
        if (test.sigterm)
            ::kill(pid_t(make.processId()), SIGTERM);
        ASSERT_TRUE(make.waitForFinished(60000));
        EXPECT_EQ(make.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(make.exitCode(), test.status);
        EXPECT_TRUE(QString::fromUtf8(make.readAllStandardError()).contains(test.message));
        // The program and its child went with it (a zombie counts as gone: it is not
        // ours to reap).
        for (const QByteArray &pid : pids) {
            const QByteArray state = ReadAll(QStringLiteral("/proc/%1/stat").arg(QString::fromLatin1(pid)));
            EXPECT_TRUE(state.isEmpty() || state.contains(") Z ")) << state.toStdString();
        }
        ExpectNoWorkingCopies();
    }
}

// A template runs only a program of its own folder or of the shipped programs: not one
// that "../" or a link leads out to.
TEST_F(CliTest, MakeRefusesAProgramOutsideTheTemplateFolders)
{
    WriteBytes(Path(QStringLiteral("outside.sh")), "#!/bin/sh\ntouch \"$2.ran\"\n");
    QFile::setPermissions(Path(QStringLiteral("outside.sh")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Link(Path(QStringLiteral("outside.sh")), BinPath(QStringLiteral("template/tools/out-link.sh")));
    NewProject(QStringLiteral("http://example.com/"));
    for (const QString &exe : {QStringLiteral("../../outside.sh"), QStringLiteral("tools/out-link.sh")}) {
        SCOPED_TRACE(exe.toStdString());
        WriteBytes(BinPath(QStringLiteral("template/zz-out.ini")),
                   "[TEMPLATE]\nname=外\nexe=" + exe.toUtf8() + "\n[CONFIG]\n1=タイトル\n");
        ExpectOk(Cli({QStringLiteral("set"), Project(), QStringLiteral("--template"), QStringLiteral("外")}));
        const TRun run = Cli({QStringLiteral("make"), Project(), QStringLiteral("x.html"), QStringLiteral("--wait")});
        EXPECT_EQ(run.Status, 1);
        EXPECT_TRUE(run.Err.contains(QStringLiteral("テンプレートのフォルダーの外"))) << run.Err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("work/x.html.ran"))));
        ExpectNoWorkingCopies();
    }
}

TEST_F(CliTest, MakeWaitPassesArgumentsAndExitStatusOn)
{
    NewProject(QStringLiteral("http://example.com/"));
    ExpectOk(Cli({QStringLiteral("set"), Project(), QStringLiteral("--template"), QStringLiteral("終了コード")}));
    const TRun run = Cli({QStringLiteral("make"), Project(), QStringLiteral("out page.html"), QStringLiteral("--wait")});
    EXPECT_EQ(run.Status, 3);
    const QStringList args = QString::fromUtf8(ReadAll(Path(QStringLiteral("work/out page.html"))))
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(args.size(), 4);
    EXPECT_EQ(args.at(0), QFileInfo(BinPath(QStringLiteral("template/tools"))).absoluteFilePath());
    EXPECT_TRUE(args.at(1).startsWith(Path(QStringLiteral("tmp/"))));
    EXPECT_EQ(args.at(2), Path(QStringLiteral("work/out page.html")));
    EXPECT_EQ(args.at(3), BinPath(QStringLiteral("template/tools/status.sh")));
    // Waited for, so the export is no longer needed.
    ExpectNoWorkingCopies();

    // Without --wait the program outlives the command; its export is cleared away by a
    // later command once the program has ended.
    ExpectOk(Cli({QStringLiteral("make"), Project(), QStringLiteral("later.html")}));
    QStringList left;
    for (int tries = 0; tries < 100; ++tries) {
        Cli({QStringLiteral("show"), Project()});
        left = QDir(PrivateTemp()).entryList(QDir::Files);
        if (left.isEmpty())
            break;
    }
    EXPECT_EQ(left, QStringList());

    ExpectOk(Cli({QStringLiteral("set"), Project(), QStringLiteral("--template"), QStringLiteral("プログラムなし")}));
    for (const QStringList &make : {QStringList{QStringLiteral("make"), Project(), QStringLiteral("x.html")},
                                    QStringList{QStringLiteral("make"), Project(), QStringLiteral("x.html"),
                                                QStringLiteral("--wait")}}) {
        const TRun failed = Cli(make);
        EXPECT_EQ(failed.Status, 1);
        EXPECT_TRUE(failed.Err.contains(QStringLiteral("no-such-program"))) << failed.Err.toStdString();
    }
    ExpectNoWorkingCopies();
}
} // namespace
