#include "blogtype/Tblogconfig.h"
#include "blogtype/Tentryparser.h"
#include "platform/Tappdirs.h"
#include "platform/Varnokierror.h"

#include "Definitionfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class BlogConfigTest : public ::testing::Test
{
protected:
    QString Folder() const { return FDir.filePath(QStringLiteral("blog")); }
    QString Path(const QString &name) const { return Folder() + QLatin1Char('/') + name; }

    void Write(const QString &name, const QByteArray &bytes)
    {
        ASSERT_TRUE(WriteBytes(Path(name), bytes));
    }

    TBlogConfigList Load()
    {
        TBlogConfigManager manager(Folder());
        manager.Load();
        return manager.GetBlogConfigs();
    }

    QStringList Names()
    {
        QStringList names;
        for (const TBlogConfig &config : Load())
            names << config.GetName();
        return names;
    }

    QTemporaryDir FDir;
};
} // namespace

TEST_F(BlogConfigTest, ReadsEveryField)
{
    Write(QStringLiteral("hatena.ini"), "[CONFIG]\n"
                                        "name=Hatena\n"
                                        "help=hatena.html\n"
                                        "simpletext=Hatena Diary\n"
                                        "encode=UTF-8\n"
                                        "[SCRIPT]\n"
                                        "file=hatena.js\n"
                                        "language=JavaScript\n");
    const TBlogConfigList configs = Load();
    ASSERT_EQ(configs.size(), 1);
    const TBlogConfig &config = configs.at(0);
    EXPECT_EQ(config.GetName(), QStringLiteral("Hatena"));
    EXPECT_EQ(config.GetSimpleText(), QStringLiteral("Hatena Diary"));
    EXPECT_EQ(config.GetEncode(), QStringLiteral("UTF-8"));
    EXPECT_EQ(config.GetLanguage(), QStringLiteral("JavaScript"));
    EXPECT_EQ(config.GetDirectory(), Folder());
    EXPECT_EQ(config.GetHelpPath(), Path(QStringLiteral("hatena.html")));
    EXPECT_EQ(config.GetScriptPath(), Path(QStringLiteral("hatena.js")));

    const TBlogConfig copy = config;
    EXPECT_EQ(copy.GetScriptPath(), config.GetScriptPath());
    EXPECT_EQ(copy.GetHelpPath(), config.GetHelpPath());
}

TEST_F(BlogConfigTest, MissingKeysTakeDefaultsButEmptyValuesStayEmpty)
{
    Write(QStringLiteral("a.ini"), "[CONFIG]\nname=A\n");
    Write(QStringLiteral("b.ini"), "[CONFIG]\nname=B\nencode=\n[SCRIPT]\nlanguage=\n");
    const TBlogConfigList configs = Load();
    ASSERT_EQ(configs.size(), 2);
    EXPECT_EQ(configs.at(0).GetEncode(), QStringLiteral("EUC-JP"));
    EXPECT_EQ(configs.at(0).GetLanguage(), QStringLiteral("JScript"));
    EXPECT_EQ(configs.at(0).GetSimpleText(), QString());
    EXPECT_EQ(configs.at(0).GetHelpPath(), Folder() + QLatin1Char('/'));
    EXPECT_EQ(configs.at(0).GetScriptPath(), Folder() + QLatin1Char('/'));
    EXPECT_EQ(configs.at(1).GetEncode(), QString());
    EXPECT_EQ(configs.at(1).GetLanguage(), QString());

    const TBlogConfig empty;
    EXPECT_EQ(empty.GetName(), QString());
    EXPECT_EQ(empty.GetEncode(), QString());
    EXPECT_EQ(empty.GetLanguage(), QString());
}

TEST_F(BlogConfigTest, AMissingOrEmptyFolderGivesNoBlogTypes)
{
    EXPECT_TRUE(Load().isEmpty());
    ASSERT_TRUE(QDir().mkpath(Folder()));
    EXPECT_TRUE(Load().isEmpty());
}

TEST_F(BlogConfigTest, ANameIsNeeded)
{
    Write(QStringLiteral("noname.ini"), "[CONFIG]\nhelp=x.html\n[SCRIPT]\nfile=x.js\n");
    Write(QStringLiteral("emptyname.ini"), "[CONFIG]\nname=\n");
    Write(QStringLiteral("nosection.ini"), "name=Outside\n");
    Write(QStringLiteral("empty.ini"), "");
    Write(QStringLiteral("ok.ini"), "[CONFIG]\nname=OK\n");
    EXPECT_EQ(Names(), QStringList{QStringLiteral("OK")});
}

TEST_F(BlogConfigTest, OnlyIniFilesDirectlyInTheFolderWithoutLeadingDot)
{
    const QByteArray body = "[CONFIG]\nname=";
    Write(QStringLiteral("upper.INI"), body + "upper");
    Write(QStringLiteral("mixed.Ini"), body + "mixed");
    Write(QStringLiteral(".hidden.ini"), body + "hidden");
    Write(QStringLiteral("readme.txt"), body + "text");
    Write(QStringLiteral("noext"), body + "noext");
    Write(QStringLiteral("x.ini.bak"), body + "backup");
    Write(QStringLiteral("sub/inner.ini"), body + "inner");
    Write(QStringLiteral(".hiddendir/inner.ini"), body + "hiddendir");
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("folder.ini"))));
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("mixed"), QStringLiteral("upper")}));
}

TEST_F(BlogConfigTest, SortedByFileNameAndDuplicatesKept)
{
    // Written in an order unlike the sorted one.
    Write(QStringLiteral("zeta.ini"), "[CONFIG]\nname=Same\nsimpletext=z\n");
    Write(QStringLiteral("Beta.ini"), "[CONFIG]\nname=Beta\n");
    Write(QStringLiteral("alpha.ini"), "[CONFIG]\nname=Same\nsimpletext=a\n");
    Write(QStringLiteral("gamma.ini"), "[CONFIG]\nname=Gamma\n");
    const TBlogConfigList configs = Load();
    ASSERT_EQ(configs.size(), 4);
    EXPECT_EQ(configs.at(0).GetSimpleText(), QStringLiteral("a"));
    EXPECT_EQ(configs.at(1).GetName(), QStringLiteral("Beta"));
    EXPECT_EQ(configs.at(2).GetName(), QStringLiteral("Gamma"));
    EXPECT_EQ(configs.at(3).GetSimpleText(), QStringLiteral("z"));
}

TEST_F(BlogConfigTest, LoadStartsAfresh)
{
    Write(QStringLiteral("a.ini"), "[CONFIG]\nname=A\n");
    TBlogConfigManager manager(Folder());
    manager.Load();
    ASSERT_TRUE(QFile::remove(Path(QStringLiteral("a.ini"))));
    Write(QStringLiteral("b.ini"), "[CONFIG]\nname=B\n");
    manager.Load();
    ASSERT_EQ(manager.GetBlogConfigs().size(), 1);
    EXPECT_EQ(manager.GetBlogConfigs().at(0).GetName(), QStringLiteral("B"));
}

TEST_F(BlogConfigTest, TheLastConfigSectionCountsAndCaseIsIgnored)
{
    Write(QStringLiteral("twice.ini"), "[config]\n"
                                       "NAME=First\n"
                                       "help=first.html\n"
                                       "[Script]\n"
                                       "File=a.js\n"
                                       "[CONFIG]\n"
                                       "Name=Second\n");
    const TBlogConfigList configs = Load();
    ASSERT_EQ(configs.size(), 1);
    EXPECT_EQ(configs.at(0).GetName(), QStringLiteral("Second"));
    EXPECT_EQ(configs.at(0).GetHelpPath(), Folder() + QLatin1Char('/'));
    EXPECT_EQ(configs.at(0).GetScriptPath(), Path(QStringLiteral("a.js")));
}

TEST_F(BlogConfigTest, SubFoldersInValuesWithEitherSeparator)
{
    Write(QStringLiteral("win.ini"), "[CONFIG]\nname=Win\nhelp=doc\\win\\help.html\n"
                                     "[SCRIPT]\nfile=scripts\\win.js\n");
    Write(QStringLiteral("unix.ini"), "[CONFIG]\nname=Unix\nhelp=doc/unix.html\n"
                                      "[SCRIPT]\nfile=scripts/unix.js\n");
    const TBlogConfigList configs = Load();
    ASSERT_EQ(configs.size(), 2);
    EXPECT_EQ(configs.at(0).GetScriptPath(), Path(QStringLiteral("scripts/unix.js")));
    EXPECT_EQ(configs.at(0).GetHelpPath(), Path(QStringLiteral("doc/unix.html")));
    EXPECT_EQ(configs.at(1).GetScriptPath(), Path(QStringLiteral("scripts/win.js")));
    EXPECT_EQ(configs.at(1).GetHelpPath(), Path(QStringLiteral("doc/win/help.html")));
}

TEST_F(BlogConfigTest, WindowsMadeFilesInShiftJisAndUtf16)
{
    // Shift_JIS without a mark, CRLF: name=はてな, simpletext=説明, help=ソフト.html
    // ("ソ" ends in the byte 0x5C, which must not become a separator).
    Write(QStringLiteral("sjis.ini"),
          QByteArrayLiteral("[CONFIG]\r\nname=\x82\xCD\x82\xC4\x82\xC8\r\nsimpletext=\x90\xE0\x96\xBE\r\n"
                            "help=\x83\x5C\x83\x74\x83\x67.html\r\n"));
    const QString utf16Text = QStringLiteral("[CONFIG]\r\nname=ブログ\r\nencode=Shift_JIS\r\n"
                                             "[SCRIPT]\r\nfile=スクリプト\\b.js\r\n");
    QStringEncoder le(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    Write(QStringLiteral("utf16le.ini"), le(utf16Text));
    QStringEncoder be(QStringConverter::Utf16BE, QStringConverter::Flag::WriteBom);
    Write(QStringLiteral("utf16be.ini"), be(QString(utf16Text).replace(QStringLiteral("ブログ"),
                                                                       QStringLiteral("ビッグ"))));
    Write(QStringLiteral("utf8bom.ini"), "\xEF\xBB\xBF[CONFIG]\nname=" + QStringLiteral("日記").toUtf8());
    Write(QStringLiteral("utf8.ini"), "[CONFIG]\nname=" + QStringLiteral("ライブドア").toUtf8());

    const TBlogConfigList configs = Load();
    ASSERT_EQ(configs.size(), 5);
    EXPECT_EQ(configs.at(0).GetName(), QStringLiteral("はてな"));
    EXPECT_EQ(configs.at(0).GetSimpleText(), QStringLiteral("説明"));
    EXPECT_EQ(configs.at(0).GetHelpPath(), Path(QStringLiteral("ソフト.html")));
    EXPECT_EQ(configs.at(1).GetName(), QStringLiteral("ビッグ"));
    EXPECT_EQ(configs.at(2).GetName(), QStringLiteral("ブログ"));
    EXPECT_EQ(configs.at(2).GetEncode(), QStringLiteral("Shift_JIS"));
    EXPECT_EQ(configs.at(2).GetScriptPath(), Path(QStringLiteral("スクリプト/b.js")));
    EXPECT_EQ(configs.at(3).GetName(), QStringLiteral("ライブドア"));
    EXPECT_EQ(configs.at(4).GetName(), QStringLiteral("日記"));
}

TEST_F(BlogConfigTest, HostileFilesAreSkippedAndTheRestListed)
{
    Write(QStringLiteral("a-good.ini"), "[CONFIG]\nname=Good\n");
    QByteArray garbage;
    for (int i = 0; i < 200000; ++i)
        garbage.append(char((i * 131 + 7) % 256));
    Write(QStringLiteral("garbage.ini"), garbage);
    Write(QStringLiteral("nul.ini"), QByteArray("[CONFIG]\0name=Hidden\n", 21));
    ASSERT_TRUE(MakeFifo(Path(QStringLiteral("pipe.ini"))));
    ASSERT_TRUE(QFile::link(Path(QStringLiteral("gone")), Path(QStringLiteral("dangling.ini"))));
    Write(QStringLiteral("secret.ini"), "[CONFIG]\nname=Secret\n");
    ASSERT_TRUE(QFile::setPermissions(Path(QStringLiteral("secret.ini")), QFileDevice::WriteOwner));
    Write(QStringLiteral("z-good.ini"), "[CONFIG]\nname=AlsoGood\n");
    OpenToEveryone(FDir.path());

    QElapsedTimer timer;
    timer.start();
    const int result = RunUnprivileged([this] {
        return Names() == QStringList{QStringLiteral("Good"), QStringLiteral("AlsoGood")} ? 1 : 0;
    });
    EXPECT_EQ(result, 1);
    EXPECT_LT(timer.elapsed(), 10000);
}

// A blog type runs only a script of its own folder: not one that "../" or a link leads
// out to, though a blog type linked in as a whole keeps its folder.
TEST_F(BlogConfigTest, AScriptOutsideTheBlogTypesFolderIsRefused)
{
    const QByteArray script = "function GetDate(page) { return ''; }\n";
    ASSERT_TRUE(WriteBytes(FDir.filePath(QStringLiteral("outside.js")), script));
    Write(QStringLiteral("own.js"), script);
    ASSERT_TRUE(QFile::link(FDir.filePath(QStringLiteral("outside.js")), Path(QStringLiteral("link.js"))));
    ASSERT_TRUE(QDir().mkpath(FDir.filePath(QStringLiteral("elsewhere"))));
    ASSERT_TRUE(WriteBytes(FDir.filePath(QStringLiteral("elsewhere/w.ini")), "[CONFIG]\nname=w\n[SCRIPT]\nfile=w.js\n"));
    ASSERT_TRUE(WriteBytes(FDir.filePath(QStringLiteral("elsewhere/w.js")), script));
    for (const QString &name : {QStringLiteral("w.ini"), QStringLiteral("w.js")})
        ASSERT_TRUE(QFile::link(FDir.filePath(QStringLiteral("elsewhere/") + name), Path(name)));
    const QList<QPair<QString, bool>> cases = {{QStringLiteral("file=own.js"), true},
                                               {QStringLiteral("file=../outside.js"), false},
                                               {QStringLiteral("file=") + FDir.filePath(QStringLiteral("outside.js")), false},
                                               {QStringLiteral("file=link.js"), false}};
    for (const auto &[line, allowed] : cases) {
        SCOPED_TRACE(line.toStdString());
        Write(QStringLiteral("t.ini"), "[CONFIG]\nname=t\n[SCRIPT]\n" + line.toUtf8() + "\n");
        TEntryParser parser;
        if (allowed) {
            EXPECT_NO_THROW(parser.Initialize(TBlogConfig(Path(QStringLiteral("t.ini")))));
        } else {
            EXPECT_THROW(parser.Initialize(TBlogConfig(Path(QStringLiteral("t.ini")))), EVarnokiError);
        }
    }
    TEntryParser linked;
    EXPECT_NO_THROW(linked.Initialize(TBlogConfig(Path(QStringLiteral("w.ini")))));
}

TEST_F(BlogConfigTest, TheDefaultFolderIsBlogBesideTheProgram)
{
    Write(QStringLiteral("a.ini"), "[CONFIG]\nname=A\n");
    SetAppDirOverride(FDir.path());
    TBlogConfigManager manager;
    manager.Load();
    SetAppDirOverride(QString());
    ASSERT_EQ(manager.GetBlogConfigs().size(), 1);
    EXPECT_EQ(manager.GetBlogConfigs().at(0).GetScriptPath(), Folder() + QLatin1Char('/'));
}

TEST_F(BlogConfigTest, TheUsersOwnBlogTypesComeFirst)
{
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(FDir.filePath(QStringLiteral("data"))));
    const QString user = GetUserBlogDir();
    EXPECT_EQ(user, FDir.filePath(QStringLiteral("data/varnoki/blog/")));
    EXPECT_TRUE(QFileInfo(user).isDir()); // made on first use
    Write(QStringLiteral("a.ini"), "[CONFIG]\nname=A\nsimpletext=shipped a\n");
    Write(QStringLiteral("b.ini"), "[CONFIG]\nname=B\nsimpletext=shipped b\n");
    // Same file name: used instead of the shipped file.
    ASSERT_TRUE(WriteBytes(user + QStringLiteral("b.ini"), "[CONFIG]\nname=B\nsimpletext=mine\n"));
    // Same name under another file name: the user's is taken, with a warning.
    ASSERT_TRUE(WriteBytes(user + QStringLiteral("z.ini"), "[CONFIG]\nname=A\nsimpletext=my a\n"));
    ASSERT_TRUE(WriteBytes(user + QStringLiteral("c.ini"), "[CONFIG]\nname=C\n"));
    SetAppDirOverride(FDir.path());
    TBlogConfigManager manager;
    manager.Load();
    QStringList shown;
    for (const TBlogConfig &config : manager.GetBlogConfigs())
        shown << config.GetName() + QLatin1Char('=') + config.GetSimpleText() + QLatin1Char('@')
                     + QDir(FDir.path()).relativeFilePath(config.GetDirectory());
    EXPECT_EQ(shown, (QStringList{QStringLiteral("A=my a@data/varnoki/blog"), QStringLiteral("A=shipped a@blog"),
                                  QStringLiteral("B=mine@data/varnoki/blog"), QStringLiteral("C=@data/varnoki/blog")}));
    ASSERT_EQ(manager.GetWarnings().size(), 1);
    EXPECT_TRUE(manager.GetWarnings().at(0).contains(user + QStringLiteral("z.ini"))) << manager.GetWarnings().at(0).toStdString();

    // A user's file that sorts before the shipped one of its name is used and said so;
    // two of the user's own of one name: the first by file name, said once.
    ASSERT_TRUE(WriteBytes(user + QStringLiteral("0.ini"), "[CONFIG]\nname=B\nsimpletext=early\n"));
    ASSERT_TRUE(WriteBytes(user + QStringLiteral("y.ini"), "[CONFIG]\nname=C\nsimpletext=second c\n"));
    Write(QStringLiteral("d.ini"), "[CONFIG]\nname=D\n");
    ASSERT_TRUE(WriteBytes(user + QStringLiteral("aa.ini"), "[CONFIG]\nname=D\nsimpletext=my d\n"));
    manager.Load();
    shown.clear();
    for (const TBlogConfig &config : manager.GetBlogConfigs())
        shown << config.GetName() + QLatin1Char('=') + config.GetSimpleText();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("B=early"), QStringLiteral("A=my a"), QStringLiteral("A=shipped a"),
                                  QStringLiteral("D=my d"), QStringLiteral("B=mine"), QStringLiteral("C="),
                                  QStringLiteral("D="), QStringLiteral("C=second c")}));
    EXPECT_EQ(manager.GetWarnings().size(), 4) << manager.GetWarnings().join(u'\n').toStdString();
    for (const QString &file : {QStringLiteral("0.ini"), QStringLiteral("aa.ini"), QStringLiteral("z.ini"), QStringLiteral("c.ini")})
        EXPECT_EQ(manager.GetWarnings().filter(user + file).size(), 1) << file.toStdString();
    for (const QString &file : {QStringLiteral("0.ini"), QStringLiteral("y.ini"), QStringLiteral("aa.ini")})
        QFile::remove(user + file);
    QFile::remove(Path(QStringLiteral("d.ini")));

    // A user folder that cannot be read leaves the shipped ones.
    QDir(FDir.filePath(QStringLiteral("data/varnoki/blog"))).removeRecursively();
    ASSERT_TRUE(WriteBytes(FDir.filePath(QStringLiteral("data/varnoki/blog")), "not a folder"));
    manager.Load();
    EXPECT_EQ(manager.GetBlogConfigs().size(), 2);
    SetAppDirOverride(QString());
    qputenv("XDG_DATA_HOME", savedData);
}
