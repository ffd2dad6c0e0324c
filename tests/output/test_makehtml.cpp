#include "Outputtestsupport.h"
#include "output/Tmakehtml.h"
#include "output/Ttemplatemanager.h"
#include "platform/Varnokierror.h"

namespace {

void WriteFile(const QString &path, const QByteArray &data, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner);
}

QStringList ReadLines(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A template whose program, in a sub-folder, writes its working folder, its argument
// count and its arguments into the HTML file it is given.
class MakeHtmlStep : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Project.AddEntry(QStringLiteral("http://blog.example/1"), QStringLiteral("one"), 45000);
        WriteFile(TemplateDir + QStringLiteral("/record.ini"),
                  "[TEMPLATE]\nname=record\nexe=プログラム 置き場/record args.sh\n");
        WriteFile(TemplateDir + QStringLiteral("/プログラム 置き場/record args.sh"),
                  "#!/bin/sh\n{ pwd -P; echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > \"$2.part\"\n"
                  "mv \"$2.part\" \"$2\"\n",
                  true);
        QDir().mkpath(OutputDir);
    }

    TTestProject Project;
    QTemporaryDir Root;
    QString TemplateDir = Root.filePath(QStringLiteral("テンプレート 置き場"));
    QString OutputDir = Root.filePath(QStringLiteral("出力 先"));
};

TEST_F(MakeHtmlStep, PathsReachTheProgramAsSingleArgumentsInItsOwnFolder)
{
    const THtmlTemplate recorder(TemplateDir + QStringLiteral("/record.ini"));
    // Quotes and shell syntax in a name stay plain text: no shell is involved.
    const QString htmlPath = OutputDir + QStringLiteral("/目次 \"$(touch injected)\" ページ.html");
    const QString secondHtml = OutputDir + QStringLiteral("/second.html");
    TFileWaiter waiter(OutputDir);
    const QString dbPath = MakeHtml(*Project.Db, EmptyHtmlDb(), {QStringLiteral("a=1")}, recorder, htmlPath);
    const QString secondDb = MakeHtml(*Project.Db, EmptyHtmlDb(), {}, recorder, secondHtml);
    ASSERT_TRUE(waiter.Wait(htmlPath));
    ASSERT_TRUE(waiter.Wait(secondHtml));

    const QString programDir = QFileInfo(recorder.GetExePath()).canonicalPath();
    EXPECT_EQ(ReadLines(htmlPath),
              (QStringList{programDir, QStringLiteral("3"), dbPath, htmlPath, recorder.GetExePath()}));
    EXPECT_EQ(ReadLines(secondHtml).value(2), secondDb);
    EXPECT_NE(dbPath, secondDb);
    EXPECT_FALSE(QFileInfo::exists(programDir + QStringLiteral("/injected")));
    // The database is complete by the time the program is started.
    EXPECT_EQ(SqliteRows(dbPath, QStringLiteral("select url from entries")),
              (QList<QVariantList>{{QStringLiteral("http://blog.example/1")}}));
}

TEST_F(MakeHtmlStep, AProgramThatCannotBeStartedIsReportedAndLeavesNoDatabase)
{
    WriteFile(TemplateDir + QStringLiteral("/missing.ini"), "[TEMPLATE]\nname=missing\nexe=nothing-here\n");
    WriteFile(TemplateDir + QStringLiteral("/noexe.ini"), "[TEMPLATE]\nname=noexe\n");
    const QStringList before = Project.Temp.Files();
    for (const char *ini : {"/missing.ini", "/noexe.ini"}) {
        const THtmlTemplate broken(TemplateDir + QLatin1String(ini));
        try {
            MakeHtml(*Project.Db, EmptyHtmlDb(), {}, broken, OutputDir + QStringLiteral("/x.html"));
            ADD_FAILURE() << ini;
        } catch (const EVarnokiError &error) {
            EXPECT_TRUE(error.Message().startsWith(QStringLiteral("テンプレートのプログラムを起動できませんでした")));
        }
        EXPECT_EQ(Project.Temp.Files(), before);
    }
}

TEST_F(MakeHtmlStep, ShippedTemplateWritesItsPageWhereverThePathsPoint)
{
    const THtmlTemplate list(TestPaths::BinDir() + QStringLiteral("/template/list.ini"));
    ASSERT_EQ(list.GetName(), QStringLiteral("記事一覧（絞り込み検索つき）"));
    const QString htmlPath = OutputDir + QStringLiteral("/ブログ 目次.html");
    TFileWaiter waiter(OutputDir);
    MakeHtml(*Project.Db, EmptyHtmlDb(), {QStringLiteral("ページタイトル=私の & 目次")}, list, htmlPath);
    ASSERT_TRUE(waiter.Wait(htmlPath));

    const QJsonObject page = CheckHtml(htmlPath);
    EXPECT_EQ(page.value(QStringLiteral("title")).toString(), QStringLiteral("私の & 目次"));
    EXPECT_EQ(page.value(QStringLiteral("items")).toArray().size(), 1);
}

} // namespace
