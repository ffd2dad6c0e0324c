#include "retrieval/Tstringutility.h"

#include "platform/Varnokierror.h"

#include <gtest/gtest.h>

namespace {

QByteArray Hex(const char *hex) { return QByteArray::fromHex(hex); }

const QString Nihongo = QStringLiteral("日本語");
const QByteArray Utf8 = Hex("e697a5e69cace8aa9e");
const QByteArray Sjis = Hex("93fa967b8cea");
const QByteArray Euc = Hex("c6fccbdcb8ec");
const QByteArray Jis = Hex("1b2442467c4b5c386c1b2842");
const QByteArray Utf16LE = Hex("e5652c679e8a");

}

TEST(StringUtility, EachCodePageToText)
{
    EXPECT_EQ(Nihongo, ConvertToUnicode(Utf8, 65001));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Sjis, 932));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Euc, 20932));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Jis, 50221));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Hex("65e5672c8a9e"), 1201));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Hex("e56500002c6700009e8a0000"), 12000));
    EXPECT_EQ(Nihongo, ConvertToUnicode("+ZeVnLIqe-", 65000));
    EXPECT_EQ(Nihongo, ConvertToUnicode(Euc, 50932));   // JISAutoDetect detects
    // Marks are dropped only when they belong to the code page.
    EXPECT_EQ(QStringLiteral("A"), ConvertToUnicode(Hex("efbbbf41"), 65001));
    EXPECT_EQ(QStringLiteral("A"), ConvertToUnicode(Hex("fffe4100"), 1200));
    EXPECT_EQ(QStringLiteral("A"), ConvertToUnicode(Hex("0000feff00000041"), 12001));
    EXPECT_EQ(QString(QChar(0xFFFE)) + u'A', ConvertToUnicode(Hex("feff4100"), 1200));
}

TEST(StringUtility, WindowsJapaneseCharacters)
{
    // NEC row 13 and half-width katakana as Windows writes them into ISO-2022-JP.
    EXPECT_EQ(QStringLiteral("①ｱ!"), ConvertToUnicode(Hex("1b24422d211b2849311b284221"), 50220));
    EXPECT_EQ(QStringLiteral("ｱｲ"), ConvertToUnicode(Hex("0e31320f"), 50221));
    EXPECT_EQ(QStringLiteral("a?b"), ConvertToUnicode(Hex("611b24284430211b284262"), 50220));
    EXPECT_EQ(QStringLiteral("～\\①髙"), ConvertToUnicode(Hex("81605c8740fbfc"), 932));
    // EUC-JP keeps the JIS X 0212 characters that Shift_JIS lacks.
    EXPECT_EQ(QStringLiteral("～ｱ丂"), ConvertToUnicode(Hex("a1c18eb18fb0a1"), 20932));
}

TEST(StringUtility, BytesAreNotCStrings)
{
    EXPECT_EQ(QString::fromUtf16(u"a\0b", 3), ConvertToUnicode(QByteArray("a\0b", 3), 65001));
    EXPECT_EQ(QString::fromUtf16(u"A\0B", 3), DetectAndConvertToUnicode(Hex("fffe410000004200")));
    EXPECT_EQ(Hex("410042"), ConvertCharset(Hex("410000004200"), 1200, 65001));
}

TEST(StringUtility, InvalidBytesAreReplacedNotRaised)
{
    EXPECT_EQ(QStringLiteral("a\uFFFDb"), ConvertToUnicode(Hex("618062"), 932));
    EXPECT_EQ(QStringLiteral("A\uFFFD"), ConvertToUnicode(Hex("41e3"), 65001));
    // A lone surrogate costs one code unit; what follows stays aligned.
    EXPECT_EQ(QStringLiteral("A\uFFFDB"), ConvertToUnicode(Hex("410000dc4200"), 1200));
    EXPECT_EQ(QStringLiteral("A\uFFFD"), ConvertToUnicode(Hex("410042"), 1200));
}

TEST(StringUtility, DetectAndConvert)
{
    EXPECT_EQ(NoCodePage, DetectCodePage("plain"));
    EXPECT_EQ(1200, DetectCodePage(Hex("fffe") + Utf16LE));
    EXPECT_EQ(12000, DetectCodePage(Hex("fffe0000")));

    EXPECT_EQ(QString(), DetectAndConvertToUnicode(QByteArray()));
    EXPECT_EQ(QStringLiteral("<p>plain</p>"), DetectAndConvertToUnicode("<p>plain</p>"));
    EXPECT_EQ(QStringLiteral("A"), DetectAndConvertToUnicode(Hex("efbbbf41")));
    for (const QByteArray &bytes : {Utf8, Sjis, Euc, Jis})
        EXPECT_EQ(QStringLiteral("<b>日本語</b>"), DetectAndConvertToUnicode("<b>" + bytes + "</b>"))
            << bytes.toHex().constData();
    EXPECT_EQ(Nihongo, DetectAndConvertToUnicode(Hex("fffe") + Utf16LE));
    // Nothing detected: valid UTF-8 is read as UTF-8, anything else as CP932.
    EXPECT_EQ(QStringLiteral("éé"), DetectAndConvertToUnicode(Hex("c3a9c3a9")));
    EXPECT_EQ(QStringLiteral("爍"), DetectAndConvertToUnicode(Hex("e0a1")));
}

TEST(StringUtility, ConvertCharset)
{
    EXPECT_EQ(Utf8, ConvertCharset(Sjis, 932, 65001));
    EXPECT_EQ(Sjis, ConvertCharset(Hex("efbbbf") + Utf8, 65001, 932));
    EXPECT_EQ(Sjis, ConvertCharset(Euc, 20932, 932));
    EXPECT_EQ(Sjis, ConvertCharset(Euc, 51932, 932));
    EXPECT_EQ(Sjis, ConvertCharset(Jis, 50220, 932));
    EXPECT_EQ(Utf8, ConvertCharset(Utf16LE, 1200, 65001));
    EXPECT_EQ(Jis, ConvertCharset(Sjis, 932, 50220));
    // Characters the target lacks become "?", in the target's own mode.
    EXPECT_EQ(Hex("82a03f82a0"), ConvertCharset(QStringLiteral("あ丂あ").toUtf8(), 65001, 932));
    EXPECT_EQ(Hex("1b244224221b28423f1b244224221b2842"),
              ConvertCharset(QStringLiteral("あ丂あ").toUtf8(), 65001, 50220));
    EXPECT_EQ(Hex("3f41"), ConvertCharset(QStringLiteral("😀A").toUtf8(), 65001, 932));

    const QByteArray invalid = Hex("efbbbf80ff00e3");
    EXPECT_EQ(invalid, ConvertCharset(invalid, 65001, 65001));
    EXPECT_EQ(invalid, ConvertCharset(invalid, 1, 1));

    const auto message = [](const std::function<void()> &call) {
        try {
            call();
        } catch (const EVarnokiError &error) {
            return error.Message();
        }
        return QString();
    };
    const QString initFailed = QStringLiteral("IEコンポーネントの初期化に失敗しました。(2)");
    EXPECT_EQ(initFailed, message([] { ConvertCharset("abc", 932, 1); }));
    EXPECT_EQ(initFailed, message([] { ConvertToUnicode("abc", 1); }));
}
