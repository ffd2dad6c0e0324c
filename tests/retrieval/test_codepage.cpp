#include "retrieval/Tcodepage.h"

#include <gtest/gtest.h>

namespace {
TCodePageId Lookup(const char *name)
{
    return TCodePage::GetInstance()->GetCodePage(QString::fromUtf8(name));
}
}

TEST(CodePage, NamesMatchExactlyApartFromAsciiCase)
{
    EXPECT_EQ(932, Lookup("sHiFt_JiS"));
    EXPECT_EQ(932, Lookup("shift-jis"));
    EXPECT_EQ(932, Lookup("windows-31j"));
    EXPECT_EQ(50220, Lookup("iso-2022-jp"));
    EXPECT_EQ(50221, Lookup("_ISO-2022-JP"));
    EXPECT_EQ(50932, Lookup("jisautodetect"));
    EXPECT_EQ(20932, Lookup("euc-jp"));
    EXPECT_EQ(20932, Lookup("extended_unix_code_packed_format_for_japanese"));
    EXPECT_EQ(65000, Lookup("utf-7"));
    EXPECT_EQ(65001, Lookup("Utf8"));

    for (const char *name : {"", "shift_jis ", " UTF-8", "Shift JIS", "iso-8859-1", "UTF-16",
                             "\u017Fjis",        // long s, whose upper case is S
                             "\u0131so2022jp",   // dotless i, whose upper case is I
                             "ＵＴＦ-８"})
        EXPECT_EQ(NoCodePage, Lookup(name)) << name;
}
