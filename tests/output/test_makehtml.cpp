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
                  "cp \"$1\" \"$2.db\"\nmv \"$2.part\" \"$2\"\n",
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
    const auto first = MakeHtml(*Project.Db, EmptyHtmlDb(), {QStringLiteral("a=1")}, recorder, htmlPath);
    const auto second = MakeHtml(*Project.Db, EmptyHtmlDb(), {}, recorder, secondHtml);
    ASSERT_TRUE(first->Wait(30000, {}));
    ASSERT_TRUE(second->Wait(30000, {}));
    EXPECT_TRUE(first->Succeeded()) << first->Failure().toStdString();

    const QString programDir = QFileInfo(recorder.GetExePath()).canonicalPath();
    const QStringList lines = ReadLines(htmlPath);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines.mid(0, 2), (QStringList{programDir, QStringLiteral("3")}));
    EXPECT_EQ(lines.mid(3), (QStringList{htmlPath, recorder.GetExePath()}));
    EXPECT_NE(lines.at(2), ReadLines(secondHtml).value(2));
    EXPECT_FALSE(QFileInfo::exists(programDir + QStringLiteral("/injected")));
    // The database is complete by the time the program is started, and gone once it
    // has ended.
    EXPECT_EQ(SqliteRows(htmlPath + QStringLiteral(".db"), QStringLiteral("select url from entries")),
              (QList<QVariantList>{{QStringLiteral("http://blog.example/1")}}));
    EXPECT_FALSE(QFileInfo::exists(lines.at(2)));
    QStringList copies = Project.Temp.Files();
    copies.removeIf([](const QString &name) { return !name.endsWith(QStringLiteral(".tmp")); });
    EXPECT_EQ(copies.size(), 1); // the working copy alone
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
    const auto run = MakeHtml(*Project.Db, EmptyHtmlDb(), {QStringLiteral("ページタイトル=私の & 目次")}, list, htmlPath);
    ASSERT_TRUE(run->Wait(30000, {}));
    EXPECT_TRUE(run->Succeeded()) << run->Failure().toStdString();

    const QJsonObject page = CheckHtml(htmlPath);
    EXPECT_EQ(page.value(QStringLiteral("title")).toString(), QStringLiteral("私の & 目次"));
    EXPECT_EQ(page.value(QStringLiteral("items")).toArray().size(), 1);
}

TEST_F(MakeHtmlStep, AFailingProgramSaysWhyAndAHangingOneIsEnded)
{
    WriteFile(TemplateDir + QStringLiteral("/fail.ini"), "[TEMPLATE]\nname=fail\nexe=fail.sh\n");
    WriteFile(TemplateDir + QStringLiteral("/fail.sh"),
              "#!/bin/sh\necho 'ページタイトルの値が正しくありません' >&2\nexit 3\n", true);
    WriteFile(TemplateDir + QStringLiteral("/hang.ini"), "[TEMPLATE]\nname=hang\nexe=hang.sh\n");
    WriteFile(TemplateDir + QStringLiteral("/hang.sh"), "#!/bin/sh\nexec sleep 60\n", true);

    const THtmlTemplate fail(TemplateDir + QStringLiteral("/fail.ini"));
    const auto failed = MakeHtml(*Project.Db, EmptyHtmlDb(), {}, fail, OutputDir + QStringLiteral("/x.html"));
    bool finished = false;
    failed->OnFinished = [&finished] { finished = true; };
    ASSERT_TRUE(failed->Wait(30000, {}));
    EXPECT_TRUE(finished);
    EXPECT_FALSE(failed->Succeeded());
    EXPECT_EQ(failed->ExitCode(), 3);
    EXPECT_EQ(failed->Failure(), QStringLiteral("テンプレートのプログラムが終了コード 3 で終わりました: ")
                                     + fail.GetExePath() + QStringLiteral("\nページタイトルの値が正しくありません"));

    const QStringList before = Project.Temp.Files();
    const THtmlTemplate hang(TemplateDir + QStringLiteral("/hang.ini"));
    const auto hanging = MakeHtml(*Project.Db, EmptyHtmlDb(), {}, hang, OutputDir + QStringLiteral("/y.html"));
    EXPECT_FALSE(hanging->Wait(200, {}));
    EXPECT_FALSE(hanging->IsRunning());
    EXPECT_TRUE(hanging->Failure().startsWith(QStringLiteral("テンプレートのプログラムが異常終了しました")));
    // Cancelled the same way, and nothing stays behind either time.
    const auto cancelled = MakeHtml(*Project.Db, EmptyHtmlDb(), {}, hang, OutputDir + QStringLiteral("/z.html"));
    EXPECT_FALSE(cancelled->Wait(60000, [] { return true; }));
    EXPECT_FALSE(cancelled->IsRunning());
    EXPECT_EQ(Project.Temp.Files(), before);
}

} // namespace
