#include "output/Ttemplatemanager.h"
#include "platform/Tappdirs.h"
#include "platform/Tinifile.h"

#include "Definitionfiles.h"
#include "Testpaths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ctime>

namespace {
class TemplateManagerTest : public ::testing::Test
{
protected:
    QString Folder() const { return FDir.filePath(QStringLiteral("template")); }
    QString Path(const QString &name) const { return Folder() + QLatin1Char('/') + name; }

    void Write(const QString &name, const QByteArray &bytes)
    {
        ASSERT_TRUE(WriteBytes(Path(name), bytes));
    }

    THtmlTemplateList Load()
    {
        TTemplateManager manager(Folder());
        manager.Load();
        return manager.GetTemplates();
    }

    QStringList Names()
    {
        QStringList names;
        for (const THtmlTemplate &htmlTemplate : Load())
            names << htmlTemplate.GetName();
        return names;
    }

    QTemporaryDir FDir;
};
} // namespace

TEST_F(TemplateManagerTest, ReadsEveryField)
{
    Write(QStringLiteral("simple.ini"), "[TEMPLATE]\n"
                                        "name=Simple\n"
                                        "exe=simple\n"
                                        "help=simple.html\n"
                                        "[CONFIG]\n"
                                        "1=Title\n"
                                        "2=Footer\n");
    const THtmlTemplateList templates = Load();
    ASSERT_EQ(templates.size(), 1);
    const THtmlTemplate &t = templates.at(0);
    EXPECT_EQ(t.GetPath(), Path(QStringLiteral("simple.ini")));
    EXPECT_EQ(t.GetName(), QStringLiteral("Simple"));
    EXPECT_EQ(t.GetDirectory(), Folder() + QLatin1Char('/'));
    EXPECT_EQ(t.GetExePath(), Path(QStringLiteral("simple")));
    EXPECT_EQ(t.GetHelpPath(), Path(QStringLiteral("simple.html")));
    EXPECT_EQ(t.GetConfigNames(), (QStringList{QStringLiteral("Title"), QStringLiteral("Footer")}));
}

TEST_F(TemplateManagerTest, ConfigItemsAreTheNonEmptyValuesInFileOrder)
{
    Write(QStringLiteral("t.ini"), "[TEMPLATE]\n"
                                   "name=T\n"
                                   "[CONFIG]\n"
                                   "3=A\n"
                                   "1=\n"
                                   "no equals sign\n"
                                   "; 4=Commented\n"
                                   "2=B\n"
                                   "x=A\n");
    const THtmlTemplateList templates = Load();
    ASSERT_EQ(templates.size(), 1);
    EXPECT_EQ(templates.at(0).GetConfigNames(),
              (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A")}));
}

TEST_F(TemplateManagerTest, ARepeatedKeyIsOneItemWithItsLastValue)
{
    Write(QStringLiteral("t.ini"), "[TEMPLATE]\nname=T\n[CONFIG]\n1=Old\n2=Two\n1=New\n");
    const THtmlTemplateList templates = Load();
    ASSERT_EQ(templates.size(), 1);
    EXPECT_EQ(templates.at(0).GetConfigNames(),
              (QStringList{QStringLiteral("New"), QStringLiteral("Two")}));
}

TEST_F(TemplateManagerTest, NoConfigSectionMeansNoItemsAndEmptyValuesGiveTheFolder)
{
    Write(QStringLiteral("t.ini"), "[TEMPLATE]\nname=T\n");
    const THtmlTemplateList templates = Load();
    ASSERT_EQ(templates.size(), 1);
    EXPECT_TRUE(templates.at(0).GetConfigNames().isEmpty());
    EXPECT_EQ(templates.at(0).GetExePath(), Folder() + QLatin1Char('/'));
    EXPECT_EQ(templates.at(0).GetHelpPath(), Folder() + QLatin1Char('/'));
}

TEST_F(TemplateManagerTest, AMissingFolderGivesNoTemplates)
{
    EXPECT_TRUE(Load().isEmpty());
}

TEST_F(TemplateManagerTest, EveryPlainFileIsReadButSubFoldersAreNot)
{
    Write(QStringLiteral("readme.txt"), "This folder holds the templates.\n");
    Write(QStringLiteral(".hidden"), "[TEMPLATE]\nname=Hidden\n");
    Write(QStringLiteral("list.tpl"), "[TEMPLATE]\nname=List\n");
    Write(QStringLiteral("noname.ini"), "[TEMPLATE]\nexe=x\n");
    Write(QStringLiteral("sub/inner.ini"), "[TEMPLATE]\nname=Inner\n");
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("folder.ini"))));
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Hidden"), QStringLiteral("List")}));
}

TEST_F(TemplateManagerTest, SortedByFileNameAndDuplicatesKept)
{
    Write(QStringLiteral("c.ini"), "[TEMPLATE]\nname=Same\nexe=c\n");
    Write(QStringLiteral("B.ini"), "[TEMPLATE]\nname=Bee\n");
    Write(QStringLiteral("a.ini"), "[TEMPLATE]\nname=Same\nexe=a\n");
    const THtmlTemplateList templates = Load();
    ASSERT_EQ(templates.size(), 3);
    EXPECT_EQ(templates.at(0).GetExePath(), Path(QStringLiteral("a")));
    EXPECT_EQ(templates.at(1).GetName(), QStringLiteral("Bee"));
    EXPECT_EQ(templates.at(2).GetExePath(), Path(QStringLiteral("c")));
}

TEST_F(TemplateManagerTest, ProgramAndHelpInSubFoldersWithEitherSeparator)
{
    Write(QStringLiteral("t.ini"), "[TEMPLATE]\nname=T\nexe=bin\\make-toc\nhelp=doc/help.html\n");
    const THtmlTemplateList templates = Load();
    ASSERT_EQ(templates.size(), 1);
    EXPECT_EQ(templates.at(0).GetExePath(), Path(QStringLiteral("bin/make-toc")));
    EXPECT_EQ(templates.at(0).GetHelpPath(), Path(QStringLiteral("doc/help.html")));
}

TEST_F(TemplateManagerTest, WindowsMadeFilesInShiftJisAndUtf16)
{
    // Shift_JIS without a mark: name=はてな, one item 表示 (its trail byte is 0x5C).
    Write(QStringLiteral("sjis.ini"),
          QByteArrayLiteral("[TEMPLATE]\r\nname=\x82\xCD\x82\xC4\x82\xC8\r\n[CONFIG]\r\n1=\x95\x5C\x8E\xA6\r\n"));
    QStringEncoder le(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    Write(QStringLiteral("utf16.ini"),
          le(QStringLiteral("[TEMPLATE]\r\nname=目次\r\nexe=目次.exe\r\n[CONFIG]\r\n1=タイトル\r\n2=説明\r\n")));
    const THtmlTemplateList templates = Load();
    ASSERT_EQ(templates.size(), 2);
    EXPECT_EQ(templates.at(0).GetName(), QStringLiteral("はてな"));
    EXPECT_EQ(templates.at(0).GetConfigNames(), QStringList{QStringLiteral("表示")});
    EXPECT_EQ(templates.at(1).GetName(), QStringLiteral("目次"));
    EXPECT_EQ(templates.at(1).GetExePath(), Path(QStringLiteral("目次.exe")));
    EXPECT_EQ(templates.at(1).GetConfigNames(),
              (QStringList{QStringLiteral("タイトル"), QStringLiteral("説明")}));
}

TEST_F(TemplateManagerTest, ATemplateFromAMissingPathHasNoName)
{
    const THtmlTemplate missing(Path(QStringLiteral("none.ini")));
    EXPECT_EQ(missing.GetPath(), Path(QStringLiteral("none.ini")));
    EXPECT_EQ(missing.GetName(), QString());
    EXPECT_TRUE(missing.GetConfigNames().isEmpty());

    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("dir.ini"))));
    EXPECT_EQ(THtmlTemplate(Path(QStringLiteral("dir.ini"))).GetName(), QString());
}

TEST_F(TemplateManagerTest, CopiesShareNothing)
{
    Write(QStringLiteral("t.ini"), "[TEMPLATE]\nname=T\nexe=t\n[CONFIG]\n1=A\n");
    THtmlTemplate copy;
    {
        const THtmlTemplate original(Path(QStringLiteral("t.ini")));
        copy = original;
        EXPECT_EQ(copy.GetConfigNames(), original.GetConfigNames());
    }
    EXPECT_EQ(copy.GetName(), QStringLiteral("T"));
    EXPECT_EQ(copy.GetExePath(), Path(QStringLiteral("t")));
    EXPECT_EQ(copy.GetConfigNames(), QStringList{QStringLiteral("A")});
}

TEST_F(TemplateManagerTest, ProgramsLargeFilesAndUnreadableFilesAreSkipped)
{
    Write(QStringLiteral("a.ini"), "[TEMPLATE]\nname=A\n");
    // A 50 MB file, for instance a template program, is not read at all.
    {
        QFile big(Path(QStringLiteral("big.bin")));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write("[TEMPLATE]\nname=Big\n");
        ASSERT_TRUE(big.resize(50 * 1024 * 1024));
    }
    QByteArray program("\x7F" "ELF\x02\x01\x01", 7);
    for (int i = 0; i < 300000; ++i)
        program.append(char((i * 2654435761u) >> 24));
    Write(QStringLiteral("make-toc"), program);
    ASSERT_TRUE(MakeFifo(Path(QStringLiteral("pipe"))));
    Write(QStringLiteral("secret.ini"), "[TEMPLATE]\nname=Secret\n");
    ASSERT_TRUE(QFile::setPermissions(Path(QStringLiteral("secret.ini")), QFileDevice::WriteOwner));
    Write(QStringLiteral("z.ini"), "[TEMPLATE]\nname=Z\n");
    OpenToEveryone(FDir.path());

    QElapsedTimer timer;
    timer.start();
    const int result = RunUnprivileged([this] {
        return Names() == QStringList{QStringLiteral("A"), QStringLiteral("Z")} ? 1 : 0;
    });
    EXPECT_EQ(result, 1);
    EXPECT_LT(timer.elapsed(), 10000);
}

TEST_F(TemplateManagerTest, TheDefaultFolderIsTemplateBesideTheProgram)
{
    Write(QStringLiteral("t.ini"), "[TEMPLATE]\nname=T\n");
    SetAppDirOverride(FDir.path());
    TTemplateManager manager;
    manager.Load();
    SetAppDirOverride(QString());
    ASSERT_EQ(manager.GetTemplates().size(), 1);
    EXPECT_EQ(manager.GetTemplates().at(0).GetPath(), Path(QStringLiteral("t.ini")));
}

TEST_F(TemplateManagerTest, TheUsersOwnTemplatesReplaceShippedOnesOfTheSameFileName)
{
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(FDir.filePath(QStringLiteral("data"))));
    const QString user = GetUserTemplateDir();
    Write(QStringLiteral("t.ini"), "[TEMPLATE]\nname=T\n");
    Write(QStringLiteral("u.ini"), "[TEMPLATE]\nname=U\n");
    ASSERT_TRUE(WriteBytes(user + QStringLiteral("t.ini"), "[TEMPLATE]\nname=Mine\nexe=mine.sh\n"));
    SetAppDirOverride(FDir.path());
    TTemplateManager manager;
    manager.Load();
    SetAppDirOverride(QString());
    qputenv("XDG_DATA_HOME", savedData);
    ASSERT_EQ(manager.GetTemplates().size(), 2);
    EXPECT_EQ(manager.GetTemplates().at(0).GetName(), QStringLiteral("Mine"));
    // Its program is found beside its own file.
    EXPECT_EQ(manager.GetTemplates().at(0).GetExePath(), user + QStringLiteral("mine.sh"));
    EXPECT_EQ(manager.GetTemplates().at(1).GetName(), QStringLiteral("U"));
}

TEST_F(TemplateManagerTest, AProgramNotBesideItsFileIsTakenFromTheShippedPrograms)
{
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(FDir.filePath(QStringLiteral("data"))));
    const QString user = GetUserTemplateDir();
    Write(QStringLiteral("shipped-program"), "#!/bin/sh\n");
    ASSERT_TRUE(WriteBytes(user + QStringLiteral("mine.ini"),
                           "[TEMPLATE]\nname=Mine\nexe=shipped-program\n"));
    ASSERT_TRUE(WriteBytes(user + QStringLiteral("none.ini"), "[TEMPLATE]\nname=None\nexe=nowhere\n"));
    SetAppDirOverride(FDir.path());
    TTemplateManager manager;
    manager.Load();
    ASSERT_EQ(manager.GetTemplates().size(), 2);
    const QString found = manager.GetTemplates().at(0).GetExePath();
    // One found nowhere is named beside its file, where its error message points.
    const QString missing = manager.GetTemplates().at(1).GetExePath();
    SetAppDirOverride(QString());
    qputenv("XDG_DATA_HOME", savedData);
    EXPECT_EQ(found, Path(QStringLiteral("shipped-program")));
    EXPECT_EQ(missing, user + QStringLiteral("nowhere"));
}

TEST_F(TemplateManagerTest, ChoicesAreReadBesideTheItems)
{
    Write(QStringLiteral("c.ini"), "[TEMPLATE]\n"
                                   "name=C\n"
                                   "[CONFIG]\n"
                                   "1=Order\n"
                                   "2=Show\n"
                                   "3=Title\n"
                                   "4=Empty\n"
                                   "5=Bars\n"
                                   "[CHOICES]\n"
                                   "order = new | old |new||\n"
                                   "Show=yes|no\n"
                                   "Show=on|off\n"
                                   "Unknown=a|b\n"
                                   "Empty=\n"
                                   "Bars=| |\n"
                                   "no equals sign\n"
                                   "=x|y\n"
                                   "; Title=a|b\n");
    const THtmlTemplateList templates = Load();
    ASSERT_EQ(templates.size(), 1);
    const THtmlTemplate &t = templates.at(0);
    // Trimmed, repeats and empty values dropped; the name's letter case ignored.
    EXPECT_EQ(t.GetChoices(QStringLiteral("Order")), (QStringList{QStringLiteral("new"), QStringLiteral("old")}));
    EXPECT_EQ(t.GetChoices(QStringLiteral("ORDER")), t.GetChoices(QStringLiteral("Order")));
    // The last of a repeated key counts, as everywhere in these files.
    EXPECT_EQ(t.GetChoices(QStringLiteral("Show")), (QStringList{QStringLiteral("on"), QStringLiteral("off")}));
    EXPECT_TRUE(t.GetChoices(QStringLiteral("Title")).isEmpty());
    EXPECT_TRUE(t.GetChoices(QStringLiteral("Empty")).isEmpty());
    EXPECT_TRUE(t.GetChoices(QStringLiteral("Bars")).isEmpty());
    EXPECT_TRUE(t.GetChoices(QStringLiteral("Unknown")).isEmpty()) << "not an item of the template";
    EXPECT_TRUE(t.GetChoices(QString()).isEmpty());
    // The section does not add items.
    EXPECT_EQ(t.GetConfigNames().size(), 5);
}

// A file of many choices takes time by its size, not by its square: every "make" and
// "set --template" reads it.
TEST_F(TemplateManagerTest, AHundredThousandChoicesLoadWellUnderASecond)
{
    QByteArray ini = "[TEMPLATE]\nname=C\n[CONFIG]\n1=Many\n2=Keys\n[CHOICES]\nMany=";
    for (int i = 0; i < 100000; ++i)
        ini += "v" + QByteArray::number(i) + "|v0|";
    for (int i = 0; i < 100000; ++i)
        ini += "\nKeys=k" + QByteArray::number(i);
    Write(QStringLiteral("c.ini"), ini + "\n");
    // Processor time, which a busy machine does not stretch as it does the wall clock.
    const std::clock_t start = std::clock();
    const THtmlTemplateList templates = Load();
    const qint64 elapsed = qint64(std::clock() - start) * 1000 / CLOCKS_PER_SEC;
    ASSERT_EQ(templates.size(), 1);
    const QStringList many = templates.at(0).GetChoices(QStringLiteral("Many"));
    ASSERT_EQ(many.size(), 100000);
    EXPECT_EQ(many.last(), QStringLiteral("v99999"));
    EXPECT_EQ(templates.at(0).GetChoices(QStringLiteral("Keys")), QStringList{QStringLiteral("k99999")});
    RecordProperty("load_ms", int(elapsed));
    EXPECT_LT(elapsed, 1000);
}

TEST_F(TemplateManagerTest, KindExtensionAndDefaultsSayWhatATemplateMakes)
{
    using K = THtmlTemplate::TKind;
    struct Case { const char *ini; K kind; const char *ext; const char *fits; const char *doesNot; };
    const Case cases[] = {
        {"", K::Page, "html", "a.HTM", "a.md"}, // templates older than the keys
        {"kind=Fragment\n", K::Fragment, "html", "a.html", "a.txt"},
        {"kind=markdown\n", K::Markdown, "md", "a.markdown", "a.html"},
        {"kind=markdown\next=.txt\n", K::Markdown, "txt", "a.TXT", "a.html"},
        {"kind=odd\next=../x\n", K::Page, "html", "a.html", "a"}, // unknown kind, unfit extension
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ini);
        Write(QStringLiteral("k.ini"), QByteArray("[TEMPLATE]\nname=K\n") + c.ini
                                           + "[CONFIG]\n1=Title\n2=Order\n"
                                             "[DEFAULTS]\norder = new\nTitle=\nUnknown=x\n");
        const THtmlTemplate t = Load().at(0);
        EXPECT_EQ(t.GetKind(), c.kind);
        EXPECT_EQ(t.GetExt(), QLatin1String(c.ext));
        EXPECT_TRUE(ExtensionFitsTemplate(t, QLatin1String(c.fits)));
        EXPECT_FALSE(ExtensionFitsTemplate(t, QLatin1String(c.doesNot)));
        EXPECT_TRUE(TemplateExtensionNote(t, QLatin1String(c.fits)).isEmpty());
        EXPECT_TRUE(TemplateExtensionNote(t, QLatin1String(c.doesNot)).contains(QLatin1Char('.') + t.GetExt()));
        EXPECT_EQ(t.GetDefault(QStringLiteral("ORDER")), QStringLiteral("new"));
        EXPECT_EQ(t.GetDefault(QStringLiteral("Title")), QString());
        EXPECT_EQ(t.GetDefault(QStringLiteral("Unknown")), QString()) << "not an item";
        EXPECT_EQ(t.GetConfigNames().size(), 2) << "the keys add no items";
    }
    // An empty first part lets the value be empty.
    Write(QStringLiteral("k.ini"), "[TEMPLATE]\nname=K\n[CONFIG]\n1=Order\n[CHOICES]\nOrder=|new|old\n");
    EXPECT_EQ(Load().at(0).GetChoices(QStringLiteral("Order")), (QStringList{QString(), QStringLiteral("new"), QStringLiteral("old")}));
}

TEST_F(TemplateManagerTest, TheShippedTemplatesOfferTheWordsTheirProgramsTake)
{
    TTemplateManager manager(TestPaths::BinDir() + QStringLiteral("/template"));
    manager.Load();
    ASSERT_FALSE(manager.GetTemplates().isEmpty());
    for (const THtmlTemplate &t : manager.GetTemplates()) {
        SCOPED_TRACE(t.GetName().toStdString());
        const auto expectChoices = [&t](const QString &name, const QStringList &choices) {
            if (t.GetConfigNames().contains(name)) {
                EXPECT_EQ(t.GetChoices(name), choices) << name.toStdString();
            }
        };
        expectChoices(QStringLiteral("並び順"), {QStringLiteral("新しい順"), QStringLiteral("古い順")});
        expectChoices(QStringLiteral("コメントを表示"), {QStringLiteral("はい"), QStringLiteral("いいえ")});
        expectChoices(QStringLiteral("まとめ方"), {QStringLiteral("カテゴリー別"), QStringLiteral("月別")});
        // Each says what it makes, and every default is one of the choices offered.
        const QString exe = QFileInfo(t.GetExePath()).fileName();
        const THtmlTemplate::TKind kind = exe.endsWith(QStringLiteral("fragment")) ? THtmlTemplate::TKind::Fragment
                                          : exe.endsWith(QStringLiteral("markdown")) ? THtmlTemplate::TKind::Markdown
                                                                                     : THtmlTemplate::TKind::Page;
        EXPECT_EQ(t.GetKind(), kind);
        EXPECT_EQ(t.GetExt(), kind == THtmlTemplate::TKind::Markdown ? QStringLiteral("md") : QStringLiteral("html"));
        for (const QString &name : t.GetConfigNames()) {
            if (!t.GetChoices(name).isEmpty()) {
                EXPECT_TRUE(t.GetChoices(name).contains(t.GetDefault(name))) << name.toStdString();
            }
        }
    }
}
