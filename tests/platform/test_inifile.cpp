#include "platform/Ticonv.h"
#include "platform/Tinifile.h"

#include "Definitionfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// "ブログ目次作成ソフト" in Shift_JIS; the trail byte of "ソ" is 0x5C, a backslash.
const QByteArray SjisTitle = QByteArrayLiteral(
    "\x83\x75\x83\x8D\x83\x4F\x96\xDA\x8E\x9F\x8D\xEC\x90\xAC\x83\x5C\x83\x74\x83\x67");
const QString Title = QStringLiteral("ブログ目次作成ソフト");

TIniFile FromText(const char *utf8)
{
    TIniFile ini;
    ini.LoadFromBytes(QByteArray(utf8));
    return ini;
}

QByteArray Utf16(const QString &text, QStringConverter::Encoding encoding)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder(text);
}

QString Read(const TIniFile &ini, const char *section, const char *key)
{
    return ini.ReadString(QString::fromUtf8(section), QString::fromUtf8(key),
                          QStringLiteral("<default>"));
}
} // namespace

TEST(IniFileDecoding, ByteOrderMarksChooseTheEncoding)
{
    const QString text = QStringLiteral("[CONFIG]\r\nname=") + Title + QStringLiteral("\r\n");
    TIniFile::TEncoding encoding;

    EXPECT_EQ(TIniFile::DecodeText(QByteArray("\xEF\xBB\xBF") + text.toUtf8(), &encoding), text);
    EXPECT_EQ(encoding, TIniFile::TEncoding::Utf8Bom);
    EXPECT_EQ(TIniFile::DecodeText(Utf16(text, QStringConverter::Utf16LE), &encoding), text);
    EXPECT_EQ(encoding, TIniFile::TEncoding::Utf16LE);
    EXPECT_EQ(TIniFile::DecodeText(Utf16(text, QStringConverter::Utf16BE), &encoding), text);
    EXPECT_EQ(encoding, TIniFile::TEncoding::Utf16BE);
}

TEST(IniFileDecoding, WithoutMarkValidUtf8IsUtf8AndTheRestIsShiftJis)
{
    TIniFile::TEncoding encoding;
    EXPECT_EQ(TIniFile::DecodeText(Title.toUtf8(), &encoding), Title);
    EXPECT_EQ(encoding, TIniFile::TEncoding::Utf8);

    EXPECT_EQ(TIniFile::DecodeText(SjisTitle, &encoding), Title);
    EXPECT_EQ(encoding, TIniFile::TEncoding::Cp932);

    TIniFile ini;
    ini.LoadFromBytes("[CONFIG]\r\nname=" + SjisTitle + "\r\nhelp=" + SjisTitle.mid(14)
                      + ".html\r\n");
    EXPECT_EQ(Read(ini, "CONFIG", "name"), Title);
    EXPECT_EQ(Read(ini, "CONFIG", "help"), QStringLiteral("ソフト.html"));
}

TEST(IniFileDecoding, UndecodableBytesBecomeReplacementCharacters)
{
    // 0x82 opens a double-byte character in Shift_JIS; at the end it is cut off.
    EXPECT_EQ(IconvDecode(QByteArrayLiteral("a\xFD" "b\x82"), "CP932"),
              QStringLiteral("a\uFFFDb\uFFFD"));
    bool ok = true;
    EXPECT_EQ(IconvDecode("plain", "NO-SUCH-CHARSET", &ok), QStringLiteral("plain"));
    EXPECT_FALSE(ok);

    QByteArray garbage;
    for (int i = 0; i < 65536; ++i)
        garbage.append(char((i * 7919 + 13) % 256));
    TIniFile ini;
    ini.LoadFromBytes("[a]\nkey=1\n" + garbage);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("a"), QStringLiteral("key"), 0), 1);
}

TEST(IniFileRules, LinesAreTrimmedOfControlCharactersOnly)
{
    TIniFile ini;
    // Tabs, spaces and other codes up to 32 go; an ideographic space (U+3000) stays.
    ini.LoadFromBytes(QByteArray("\t [ CONFIG ]\x01\r\n\t name \t=\x1F value \x0B\r\n"
                                 "wide=\xE3\x80\x80x\xE3\x80\x80\r\n"));
    EXPECT_EQ(Read(ini, "CONFIG", "name"), QStringLiteral("value"));
    EXPECT_EQ(Read(ini, "CONFIG", "wide"), QStringLiteral("\u3000x\u3000"));
}

TEST(IniFileRules, CommentsAndLinesOutsideSectionsAreIgnored)
{
    const TIniFile ini = FromText("name=before\n"
                                  "; [CONFIG]\n"
                                  "[CONFIG]\n"
                                  ";name=commented\n"
                                  "  ; help=commented\n"
                                  "name\n"
                                  "help\n"
                                  "simpletext = a=b=c\n");
    EXPECT_EQ(Read(ini, "CONFIG", "name"), QStringLiteral("<default>"));
    EXPECT_EQ(Read(ini, "CONFIG", "help"), QStringLiteral("<default>"));
    EXPECT_EQ(Read(ini, "CONFIG", "simpletext"), QStringLiteral("a=b=c"));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("CONFIG")), QStringList{QStringLiteral("simpletext")});
}

TEST(IniFileRules, SectionAndKeyNamesIgnoreLetterCase)
{
    const TIniFile ini = FromText("[Config]\nNAME=a\n[script]\nLanguage=JavaScript\n");
    EXPECT_EQ(Read(ini, "CONFIG", "name"), QStringLiteral("a"));
    EXPECT_EQ(Read(ini, "config", "Name"), QStringLiteral("a"));
    EXPECT_EQ(Read(ini, "SCRIPT", "LANGUAGE"), QStringLiteral("JavaScript"));
    EXPECT_TRUE(ini.SectionExists(QStringLiteral("ScRiPt")));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("TEMPLATE")));
}

TEST(IniFileRules, TheLastOfRepeatedSectionsAndKeysCounts)
{
    const TIniFile ini = FromText("[CONFIG]\n"
                                  "name=first\n"
                                  "help=only-in-first\n"
                                  "[SCRIPT]\n"
                                  "file=a.js\n"
                                  "FILE=b.js\n"
                                  "[config]\n"
                                  "name=second\n"
                                  "name=third\n");
    EXPECT_EQ(Read(ini, "CONFIG", "name"), QStringLiteral("third"));
    EXPECT_EQ(Read(ini, "CONFIG", "help"), QStringLiteral("<default>"));
    EXPECT_EQ(Read(ini, "SCRIPT", "file"), QStringLiteral("b.js"));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("SCRIPT")), QStringList{QStringLiteral("file")});
}

TEST(IniFileRules, AnEmptyValueIsNotAMissingKey)
{
    const TIniFile ini = FromText("[CONFIG]\nencode=\nlanguage =  \n");
    EXPECT_EQ(Read(ini, "CONFIG", "encode"), QString());
    EXPECT_EQ(Read(ini, "CONFIG", "language"), QString());
    EXPECT_EQ(Read(ini, "CONFIG", "name"), QStringLiteral("<default>"));
    EXPECT_EQ(Read(ini, "NONE", "name"), QStringLiteral("<default>"));
}

TEST(IniFileRules, AllThreeKindsOfLineBreakSeparateLines)
{
    const TIniFile ini = FromText("[a]\r\nx=1\ry=2\nz=3");
    EXPECT_EQ(Read(ini, "a", "x"), QStringLiteral("1"));
    EXPECT_EQ(Read(ini, "a", "y"), QStringLiteral("2"));
    EXPECT_EQ(Read(ini, "a", "z"), QStringLiteral("3"));
}

TEST(IniFileValues, IntegersAreDecimalOrHexadecimal)
{
    const TIniFile ini = FromText("[n]\n"
                                  "dec=8080\nneg=-15\nplus=+7\nhex=0x1F90\nHEX=0X1f90\n"
                                  "letters=abc\nmixed=12ab\nempty=\nspace=1 2\nbare=0x\n"
                                  "big=2147483648\nmin=-2147483648\nallbits=0xFFFFFFFF\n"
                                  "toobig=0x100000000\nfloat=1.5\ndollar=$10\n");
    auto read = [&ini](const char *key) {
        return ini.ReadInteger(QStringLiteral("n"), QString::fromUtf8(key), 42);
    };
    EXPECT_EQ(read("dec"), 8080);
    EXPECT_EQ(read("neg"), -15);
    EXPECT_EQ(read("plus"), 7);
    EXPECT_EQ(read("hex"), 8080);
    EXPECT_EQ(read("Hex"), 8080);
    EXPECT_EQ(read("min"), std::numeric_limits<int>::min());
    EXPECT_EQ(read("allbits"), -1);
    for (const char *bad : {"letters", "mixed", "empty", "space", "bare", "big", "toobig", "float",
                            "dollar", "missing"})
        EXPECT_EQ(read(bad), 42) << bad;
}

TEST(IniFileValues, AnyNonZeroIntegerIsTrue)
{
    const TIniFile ini = FromText("[b]\none=1\ntwo=2\nminus=-1\nzero=0\nhexzero=0x0\nword=true\n");
    auto read = [&ini](const char *key, bool defaultValue) {
        return ini.ReadBool(QStringLiteral("b"), QString::fromUtf8(key), defaultValue);
    };
    EXPECT_TRUE(read("one", false));
    EXPECT_TRUE(read("two", false));
    EXPECT_TRUE(read("minus", false));
    EXPECT_FALSE(read("zero", true));
    EXPECT_FALSE(read("hexzero", true));
    EXPECT_FALSE(read("word", false));
    EXPECT_TRUE(read("word", true));
    EXPECT_TRUE(read("missing", true));
}

TEST(IniFileWriting, ChangesOnlyTheLinesItMust)
{
    TIniFile ini;
    ini.LoadFromBytes("; settings\n"
                      "[other]\n"
                      "keep=me\n"
                      "\n"
                      "[HTTP_PROXY]\n"
                      "; the proxy\n"
                      "useproxy = 0\n"
                      "\n"
                      "[last]\n"
                      "x=1\n");
    ini.WriteBool(QStringLiteral("HTTP_PROXY"), QStringLiteral("UseProxy"), true);
    ini.WriteInteger(QStringLiteral("HTTP_PROXY"), QStringLiteral("ProxyPort"), 3128);
    ini.WriteString(QStringLiteral("NEW"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_EQ(ini.ToBytes(), QByteArray("; settings\n"
                                        "[other]\n"
                                        "keep=me\n"
                                        "\n"
                                        "[HTTP_PROXY]\n"
                                        "; the proxy\n"
                                        "useproxy=1\n"
                                        "ProxyPort=3128\n"
                                        "\n"
                                        "[last]\n"
                                        "x=1\n"
                                        "\n"
                                        "[NEW]\n"
                                        "k=v\n"));
}

TEST(IniFileWriting, WritesIntoTheLastOfRepeatedSectionsAndReadsBack)
{
    TIniFile ini;
    ini.LoadFromBytes("[s]\na=old\n[t]\n[S]\nb=2\nb=3\n");
    ini.WriteString(QStringLiteral("s"), QStringLiteral("b"), QStringLiteral("new\r\nline"));
    ini.WriteString(QStringLiteral("s"), QStringLiteral("a"), QStringLiteral("x"));
    EXPECT_EQ(ini.ToBytes(), QByteArray("[s]\na=old\n[t]\n[S]\nb=2\nb=new  line\na=x\n"));

    TIniFile again;
    again.LoadFromBytes(ini.ToBytes());
    EXPECT_EQ(Read(again, "s", "a"), QStringLiteral("x"));
    EXPECT_EQ(Read(again, "s", "b"), QStringLiteral("new  line"));
}

TEST(IniFileWriting, KeepsUtf16AndLineBreaksAndTurnsShiftJisIntoUtf8)
{
    const QString text = QStringLiteral("[a]\r\nname=") + Title + QStringLiteral("\r\n");
    TIniFile ini;
    ini.LoadFromBytes(Utf16(text, QStringConverter::Utf16LE));
    ini.WriteString(QStringLiteral("a"), QStringLiteral("more"), QStringLiteral("表示"));
    EXPECT_EQ(ini.ToBytes(),
              Utf16(text + QStringLiteral("more=表示\r\n"), QStringConverter::Utf16LE));

    ini.LoadFromBytes("[a]\nname=" + SjisTitle + "\n");
    ini.WriteString(QStringLiteral("a"), QStringLiteral("x"), QStringLiteral("1"));
    EXPECT_EQ(ini.ToBytes(), QByteArray("[a]\nname=") + Title.toUtf8() + "\nx=1\n");

    ini.LoadFromBytes(QByteArray("\xEF\xBB\xBF[a]\n"));
    ini.WriteString(QStringLiteral("a"), QStringLiteral("x"), QStringLiteral("1"));
    EXPECT_EQ(ini.ToBytes(), QByteArray("\xEF\xBB\xBF[a]\nx=1\n"));

    TIniFile empty;
    empty.WriteString(QStringLiteral("a"), QStringLiteral("x"), QStringLiteral("1"));
    EXPECT_EQ(empty.ToBytes(), QByteArray("[a]\nx=1\n"));
}

TEST(IniFileLoading, MissingUnreadableAndHostileFiles)
{
    QTemporaryDir dir;
    TIniFile ini;
    const QString good = dir.filePath(QStringLiteral("good.ini"));
    ASSERT_TRUE(WriteBytes(good, "[a]\nx=1\n"));
    EXPECT_EQ(ini.LoadFromFile(good), TIniFile::TLoadResult::Loaded);
    EXPECT_EQ(Read(ini, "a", "x"), QStringLiteral("1"));

    EXPECT_EQ(ini.LoadFromFile(dir.filePath(QStringLiteral("none.ini"))),
              TIniFile::TLoadResult::Missing);
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("a"))) << "a failed load leaves the image empty";

    const QString folder = dir.filePath(QStringLiteral("folder.ini"));
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_EQ(ini.LoadFromFile(folder), TIniFile::TLoadResult::Unreadable);

    const QString dangling = dir.filePath(QStringLiteral("dangling.ini"));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("gone")), dangling));
    EXPECT_EQ(ini.LoadFromFile(dangling), TIniFile::TLoadResult::Unreadable);

    // A named pipe would block the reader until someone writes to it.
    const QString fifo = dir.filePath(QStringLiteral("pipe.ini"));
    ASSERT_TRUE(MakeFifo(fifo));
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(ini.LoadFromFile(fifo), TIniFile::TLoadResult::Unreadable);
    EXPECT_LT(timer.elapsed(), 2000);

    const QString large = dir.filePath(QStringLiteral("large.ini"));
    {
        QFile file(large);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[a]\nx=1\n");
        ASSERT_TRUE(file.resize(TIniFile::MaxFileSize + 1));
    }
    EXPECT_EQ(ini.LoadFromFile(large), TIniFile::TLoadResult::Unreadable);
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("a")));

    const QString exact = dir.filePath(QStringLiteral("exact.ini"));
    ASSERT_TRUE(QFile::copy(large, exact));
    ASSERT_TRUE(QFile::resize(exact, TIniFile::MaxFileSize));
    EXPECT_EQ(ini.LoadFromFile(exact), TIniFile::TLoadResult::Loaded);
    EXPECT_EQ(Read(ini, "a", "x"), QStringLiteral("1"));
}

TEST(IniFileLoading, AFileWithoutReadPermissionIsUnreadable)
{
    QTemporaryDir dir;
    const QString secret = dir.filePath(QStringLiteral("secret.ini"));
    ASSERT_TRUE(WriteBytes(secret, "[a]\nx=1\n"));
    ASSERT_TRUE(QFile::setPermissions(secret, QFileDevice::WriteOwner));
    OpenToEveryone(dir.path());
    const int result = RunUnprivileged([&secret] {
        TIniFile ini;
        const bool unreadable = ini.LoadFromFile(secret) == TIniFile::TLoadResult::Unreadable;
        return unreadable && !ini.SectionExists(QStringLiteral("a")) ? 1 : 0;
    });
    EXPECT_EQ(result, 1);
}

TEST(IniFilePaths, RelativeValuesJoinTheFolderWithOneSeparator)
{
    EXPECT_EQ(IniRelativePath(QStringLiteral("/opt/blog"), QStringLiteral("a.js")),
              QStringLiteral("/opt/blog/a.js"));
    EXPECT_EQ(IniRelativePath(QStringLiteral("/opt/blog/"), QStringLiteral("a.js")),
              QStringLiteral("/opt/blog/a.js"));
    EXPECT_EQ(IniRelativePath(QStringLiteral("/opt/blog"), QString()),
              QStringLiteral("/opt/blog/"));
    EXPECT_EQ(IniRelativePath(QStringLiteral("/"), QStringLiteral("a.js")),
              QStringLiteral("/a.js"));
    EXPECT_EQ(IniRelativePath(QStringLiteral("/opt/blog"), QStringLiteral("sub\\dir\\a.js")),
              QStringLiteral("/opt/blog/sub/dir/a.js"));
    EXPECT_EQ(IniRelativePath(QStringLiteral("/opt/blog"), QStringLiteral("sub/a.js")),
              QStringLiteral("/opt/blog/sub/a.js"));
    EXPECT_EQ(IniRelativePath(QString(), QStringLiteral("a.js")), QStringLiteral("a.js"));
}

TEST(IniFileFolders, ListsRegularFilesSortedByName)
{
    QTemporaryDir dir;
    for (const char *name : {"b.ini", "A.ini", "a.ini", "C.INI", ".hidden.ini", "10.ini", "2.ini"})
        ASSERT_TRUE(WriteBytes(dir.filePath(QString::fromUtf8(name)), "x"));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("sub.ini"))));
    ASSERT_TRUE(WriteBytes(dir.filePath(QStringLiteral("sub.ini/inner.ini")), "x"));
    ASSERT_TRUE(MakeFifo(dir.filePath(QStringLiteral("pipe.ini"))));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("b.ini")), dir.filePath(QStringLiteral("link.ini"))));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("dangling.ini"))));

    auto names = [&dir](bool hidden) {
        QStringList result;
        for (const QString &path : ListFilesByName(dir.path(), hidden)) {
            EXPECT_TRUE(path.startsWith(dir.path() + QLatin1Char('/')));
            result << QFileInfo(path).fileName();
        }
        return result.join(QLatin1Char(' '));
    };
    EXPECT_EQ(names(false), QStringLiteral("10.ini 2.ini A.ini a.ini b.ini C.INI link.ini"));
    EXPECT_EQ(names(true), QStringLiteral(".hidden.ini 10.ini 2.ini A.ini a.ini b.ini C.INI link.ini"));
    EXPECT_TRUE(ListFilesByName(dir.filePath(QStringLiteral("missing")), true).isEmpty());
}
