#include "retrieval/Tstringutility.h"

#include "platform/Varnokierror.h"

#include <gtest/gtest.h>

namespace {

QByteArray Hex(const char *hex) { return QByteArray::fromHex(hex); }

const QString Nihongo = QStringLiteral("日本語");

// 日本語 in each encoding.
const QByteArray Utf8 = Hex("e697a5e69cace8aa9e");
const QByteArray Sjis = Hex("93fa967b8cea");
const QByteArray Euc = Hex("c6fccbdcb8ec");
const QByteArray Jis = Hex("1b2442467c4b5c386c1b2842");
const QByteArray Utf16LE = Hex("e5652c679e8a");
const QByteArray Utf16BE = Hex("65e5672c8a9e");
const QByteArray Utf32LE = Hex("e56500002c6700009e8a0000");
const QByteArray Utf7 = "+ZeVnLIqe-";

QString ConversionError(const std::function<void()> &call)
{
    try {
        call();
    } catch (const EVarnokiError &error) {
        return error.Message();
    }
    return QString();
}

}

TEST(StringUtility, ByteOrderMarkTests)
{
    EXPECT_TRUE(HasUTF8BOM(Hex("efbbbf")));
    EXPECT_TRUE(HasUTF8BOM(Hex("efbbbf41")));
    EXPECT_FALSE(HasUTF8BOM(Hex("efbb")));
    EXPECT_FALSE(HasUTF8BOM(Hex("41efbbbf")));
    EXPECT_TRUE(HasUTF16LEBOM(Hex("fffe")));
    EXPECT_FALSE(HasUTF16LEBOM(Hex("ff")));
    EXPECT_FALSE(HasUTF16LEBOM(Hex("feff")));
    EXPECT_TRUE(HasUTF16BEBOM(Hex("feff0041")));
    EXPECT_FALSE(HasUTF16BEBOM(QByteArray()));
}

TEST(StringUtility, DetectCodePageMapsEveryResult)
{
    EXPECT_EQ(NoCodePage, DetectCodePage(QByteArray()));
    EXPECT_EQ(NoCodePage, DetectCodePage("plain"));
    EXPECT_EQ(NoCodePage, DetectCodePage(Hex("e0a1")));
    EXPECT_EQ(932, DetectCodePage(Sjis));
    EXPECT_EQ(20932, DetectCodePage(Euc));
    EXPECT_EQ(50220, DetectCodePage(Jis));
    EXPECT_EQ(1200, DetectCodePage(Hex("fffe") + Utf16LE));
    EXPECT_EQ(1201, DetectCodePage(Hex("feff") + Utf16BE));
    EXPECT_EQ(65001, DetectCodePage(Utf8));
    EXPECT_EQ(65001, DetectCodePage(Hex("efbbbf41")));
    EXPECT_EQ(12000, DetectCodePage(Hex("fffe0000")));
    EXPECT_EQ(12001, DetectCodePage(Hex("0000feff")));
}

TEST(StringUtility, ConvertEachCodePageToText)
{
    EXPECT_EQ(Nihongo, ConvertToUnicode(Utf8, 65001));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Sjis, 932));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Euc, 20932));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Euc, 51932));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Jis, 50220));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Jis, 50221));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Utf16LE, 1200));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Utf16BE, 1201));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Utf32LE, 12000));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Utf7, 65000));
    // JISAutoDetect detects among the Japanese encodings.
    EXPECT_EQ(Nihongo, ConvertToUnicode(Euc, 50932));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Sjis, 50932));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Jis, 50932));
    EXPECT_EQ(QString(), ConvertToUnicode(QByteArray(), 932));
}

TEST(StringUtility, MarksAreDroppedOnlyWhenTheyMatch)
{
    EXPECT_EQ(QStringLiteral("A"), ConvertToUnicode(Hex("efbbbf41"), 65001));
    EXPECT_EQ(QStringLiteral("A"), ConvertToUnicode(Hex("fffe4100"), 1200));
    EXPECT_EQ(QStringLiteral("A"), ConvertToUnicode(Hex("feff0041"), 1201));
    EXPECT_EQ(QStringLiteral("A"), ConvertToUnicode(Hex("fffe000041000000"), 12000));
    EXPECT_EQ(QStringLiteral("A"), ConvertToUnicode(Hex("0000feff00000041"), 12001));
    EXPECT_EQ(QString(QChar(0xFFFE)) + QLatin1Char('A'), ConvertToUnicode(Hex("feff4100"), 1200));
    EXPECT_EQ(QStringLiteral("A"), ConvertToUnicode(Hex("4100"), 1200));
}

TEST(StringUtility, JapaneseSpecificCharacters)
{
    // NEC row 13 and half-width katakana written by Windows into ISO-2022-JP.
    EXPECT_EQ(QStringLiteral("①ｱ!"), ConvertToUnicode(Hex("1b24422d211b2849311b284221"), 50220));
    EXPECT_EQ(QStringLiteral("ｱｲ"), ConvertToUnicode(Hex("0e31320f"), 50221));
    // JIS X 0212 has no Shift_JIS form.
    EXPECT_EQ(QStringLiteral("a?b"), ConvertToUnicode(Hex("611b24284430211b284262"), 50220));
    EXPECT_EQ(QStringLiteral("～\\ｱ"), ConvertToUnicode(Hex("81605cb1"), 932));
    EXPECT_EQ(QStringLiteral("～ｱ丂"), ConvertToUnicode(Hex("a1c18eb18fb0a1"), 20932));
    EXPECT_EQ(QStringLiteral("①髙"), ConvertToUnicode(Hex("8740fbfc"), 932));
}

TEST(StringUtility, BytesAreNotCStrings)
{
    EXPECT_EQ(QString::fromUtf16(u"a\0b", 3), ConvertToUnicode(QByteArray("a\0b", 3), 65001));
    EXPECT_EQ(QString::fromUtf16(u"A\0B", 3), ConvertToUnicode(Hex("fffe410000004200"), 1200));
    EXPECT_EQ(QString::fromUtf16(u"A\0B", 3), DetectAndConvertToUnicode(Hex("fffe410000004200")));
    EXPECT_EQ(Hex("410042"), ConvertCharset(Hex("410000004200"), 1200, 65001));
}

TEST(StringUtility, InvalidBytesAreReplacedNotRaised)
{
    EXPECT_EQ(QStringLiteral("a\uFFFDb"), ConvertToUnicode(Hex("618062"), 932));
    EXPECT_EQ(QStringLiteral("a\uFFFDA"), ConvertToUnicode(Hex("61ff41"), 65001));
    // A lone surrogate costs one code unit; what follows stays aligned.
    EXPECT_EQ(QStringLiteral("A\uFFFDB"), ConvertToUnicode(Hex("410000dc4200"), 1200));
    EXPECT_EQ(QStringLiteral("A\uFFFD"), ConvertToUnicode(Hex("410042"), 1200));
    EXPECT_EQ(QStringLiteral("A\uFFFD"), ConvertToUnicode(Hex("41e3"), 65001));
}

TEST(StringUtility, DetectAndConvert)
{
    EXPECT_EQ(QString(), DetectAndConvertToUnicode(QByteArray()));
    EXPECT_EQ(QStringLiteral("<p>plain</p>"), DetectAndConvertToUnicode("<p>plain</p>"));
    EXPECT_EQ(QStringLiteral("A"), DetectAndConvertToUnicode(Hex("efbbbf41")));
    const QByteArray pre = "<title>", post = "</title>";
    const QString expected = QStringLiteral("<title>日本語</title>");
    for (const QByteArray &bytes : {Utf8, Sjis, Euc, Jis})
        EXPECT_EQ(expected, DetectAndConvertToUnicode(pre + bytes + post)) << bytes.toHex().constData();
    EXPECT_EQ(Nihongo, DetectAndConvertToUnicode(Hex("fffe") + Utf16LE));
    EXPECT_EQ(Nihongo, DetectAndConvertToUnicode(Hex("feff") + Utf16BE));
    EXPECT_EQ(Nihongo, DetectAndConvertToUnicode(Hex("fffe0000") + Utf32LE));
    // Nothing detected: valid UTF-8 is read as UTF-8, anything else as CP932.
    EXPECT_EQ(QStringLiteral("éé"), DetectAndConvertToUnicode(Hex("c3a9c3a9")));
    EXPECT_EQ(QStringLiteral("爍"), DetectAndConvertToUnicode(Hex("e0a1")));
}

TEST(StringUtility, ConvertCharsetBetweenCodePages)
{
    EXPECT_EQ(Utf8, ConvertCharset(Sjis, 932, 65001));
    EXPECT_EQ(Sjis, ConvertCharset(Utf8, 65001, 932));
    EXPECT_EQ(Sjis, ConvertCharset(Hex("efbbbf") + Utf8, 65001, 932));
    EXPECT_EQ(Sjis, ConvertCharset(Euc, 20932, 932));
    EXPECT_EQ(Sjis, ConvertCharset(Euc, 51932, 932));
    EXPECT_EQ(Sjis, ConvertCharset(Jis, 50220, 932));
    EXPECT_EQ(Utf8, ConvertCharset(Jis, 50220, 65001));
    EXPECT_EQ(Utf8, ConvertCharset(Utf16LE, 1200, 65001));
    EXPECT_EQ(Utf8, ConvertCharset(Utf16BE, 1201, 65001));
    EXPECT_EQ(Euc, ConvertCharset(Sjis, 932, 20932));
    EXPECT_EQ(Jis, ConvertCharset(Sjis, 932, 50220));
    // Characters the target lacks become "?", in the target's own mode.
    EXPECT_EQ(Hex("82a03f82a0"), ConvertCharset(QStringLiteral("あ丂あ").toUtf8(), 65001, 932));
    EXPECT_EQ(QStringLiteral("あ?あ"),
              ConvertToUnicode(ConvertCharset(QStringLiteral("あ丂あ").toUtf8(), 65001, 50220), 50220));
    EXPECT_EQ(Hex("3f41"), ConvertCharset(QStringLiteral("😀A").toUtf8(), 65001, 932));
}

TEST(StringUtility, EqualCodePagesReturnTheInputUnchanged)
{
    const QByteArray invalid = Hex("efbbbf80ff00e3");
    EXPECT_EQ(invalid, ConvertCharset(invalid, 65001, 65001));
    EXPECT_EQ(invalid, ConvertCharset(invalid, 1, 1));
}

TEST(StringUtility, UnsupportedCodePagesRaiseTheConversionMessage)
{
    const QString initFailed = QStringLiteral("IEコンポーネントの初期化に失敗しました。(2)");
    EXPECT_EQ(initFailed, ConversionError([] { ConvertCharset("abc", 932, 1); }));
    EXPECT_EQ(initFailed, ConversionError([] { ConvertCharset("abc", 1, 65001); }));
    EXPECT_EQ(initFailed, ConversionError([] { ConvertToUnicode("abc", 1); }));
}
