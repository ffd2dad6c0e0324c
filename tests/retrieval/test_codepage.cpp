#include "retrieval/Tcodepage.h"

#include <gtest/gtest.h>

namespace {

struct TNames {
    TCodePageId CodePage;
    std::vector<const char *> Names;
};

const std::vector<TNames> Table = {
    {932, {"MS_Kanji", "csShiftJIS", "csWindows31J", "Shift-JIS", "x-ms-cp932", "x-sjis", "sjis",
           "Windows-31J", "SHIFT_JIS"}},
    {50220, {"csISO2022JP", "JIS", "ISO2022JP", "jis_encoding", "csjisencoding", "ISO-2022-JP"}},
    {50221, {"_iso-2022-jp"}},
    {50932, {"JISAutoDetect"}},
    {20932, {"Extended_UNIX_Code_Packed_Format_for_Japanese", "csEUCPkdFmtJapanese", "X-EUC",
             "X-EUC-JP", "EUCJIS", "EUC_JP", "EUCJP", "X-EUCJP", "EUC-JP"}},
    {65000, {"csUnicode11UTF7", "UNICODE-1-1-UTF-7", "x-unicode-2-0-utf-7", "UTF7", "UTF-7"}},
    {65001, {"UNICODE-1-1-UTF-8", "UNICODE-2-0-UTF-8", "x-unicode-2-0-utf-8", "UTF8", "UTF-8"}},
};

TCodePageId Lookup(const QString &name) { return TCodePage::GetInstance()->GetCodePage(name); }

}

TEST(CodePage, EveryNameOfTheTableInAnyCase)
{
    int count = 0;
    for (const TNames &row : Table) {
        for (const char *name : row.Names) {
            const QString text = QString::fromLatin1(name);
            EXPECT_EQ(row.CodePage, Lookup(text)) << name;
            EXPECT_EQ(row.CodePage, Lookup(text.toLower())) << name;
            EXPECT_EQ(row.CodePage, Lookup(text.toUpper())) << name;
            ++count;
        }
    }
    EXPECT_EQ(36, count);
}

TEST(CodePage, MatchingIsExactApartFromAsciiCase)
{
    EXPECT_EQ(932, Lookup(QStringLiteral("sHiFt_JiS")));
    EXPECT_EQ(932, Lookup(QStringLiteral("shift-jis")));
    EXPECT_EQ(20932, Lookup(QStringLiteral("euc-jp")));
    EXPECT_EQ(50221, Lookup(QStringLiteral("_ISO-2022-JP")));
    EXPECT_EQ(50932, Lookup(QStringLiteral("jisautodetect")));

    EXPECT_EQ(NoCodePage, Lookup(QString()));
    EXPECT_EQ(NoCodePage, Lookup(QStringLiteral("shift_jis ")));
    EXPECT_EQ(NoCodePage, Lookup(QStringLiteral(" UTF-8")));
    EXPECT_EQ(NoCodePage, Lookup(QStringLiteral("Shift JIS")));
    EXPECT_EQ(NoCodePage, Lookup(QStringLiteral("iso-8859-1")));
    EXPECT_EQ(NoCodePage, Lookup(QStringLiteral("UTF-16")));
    // Only a-z are upper-cased: characters whose Unicode upper case is an ASCII letter,
    // or full-width forms, must not come to match.
    EXPECT_EQ(NoCodePage, Lookup(QStringLiteral("\u017Fjis")));  // long s
    EXPECT_EQ(NoCodePage, Lookup(QStringLiteral("\u0131so2022jp"))); // dotless i
    EXPECT_EQ(NoCodePage, Lookup(QStringLiteral("ＵＴＦ-８")));
}

TEST(CodePage, OneInstance)
{
    EXPECT_EQ(TCodePage::GetInstance(), TCodePage::GetInstance());
}
