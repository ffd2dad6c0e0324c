#include "retrieval/Encodedetect.h"

#include <QBuffer>
#include <QTemporaryFile>

#include <gtest/gtest.h>

namespace {

QByteArray Hex(const char *hex) { return QByteArray::fromHex(hex); }

TBOMType Bom(const QByteArray &bytes, TIgnoreEncodes ignore = {})
{
    return BOMCheck(bytes.constData(), bytes.size(), ignore);
}

int Check(const QByteArray &bytes, TIgnoreEncodes ignore = {})
{
    return CheckEncoding(bytes.constData(), bytes.size(), ignore);
}

using TDetector = bool (*)(const char *, qsizetype, int &, TIgnoreEncodes);

struct TScan {
    bool Valid;
    int Score;
};

TScan Scan(TDetector detector, const QByteArray &bytes)
{
    int score = 0;
    const bool valid = detector(bytes.constData(), bytes.size(), score, {});
    return {valid, score};
}

struct TScanCase {
    const char *Hex;
    bool Valid;
    int Score;
};

void ExpectScans(TDetector detector, const std::vector<TScanCase> &cases)
{
    for (const TScanCase &c : cases) {
        const TScan result = Scan(detector, Hex(c.Hex));
        EXPECT_EQ(c.Valid, result.Valid) << c.Hex;
        EXPECT_EQ(c.Score, result.Score) << c.Hex;
    }
}

}

TEST(EncodeDetect, ByteOrderMarks)
{
    EXPECT_EQ(btUTF8, Bom(Hex("efbbbf41")));
    EXPECT_EQ(btUTF8, Bom(Hex("efbbbf")));
    EXPECT_EQ(bt16LE, Bom(Hex("fffe4100")));
    EXPECT_EQ(bt16LE, Bom(Hex("fffe")));
    EXPECT_EQ(bt16BE, Bom(Hex("feff0041")));
    EXPECT_EQ(bt32LE, Bom(Hex("fffe0000")));
    EXPECT_EQ(bt32BE, Bom(Hex("0000feff")));
    EXPECT_EQ(bt16LE, Bom(Hex("fffe00")));   // too short for the UTF-32 mark
    EXPECT_EQ(btNone, Bom(Hex("0000fe")));
    EXPECT_EQ(btNone, Bom(Hex("efbb")));
    EXPECT_EQ(btNone, Bom(Hex("ff")));
    EXPECT_EQ(btNone, Bom(QByteArray()));
    EXPECT_EQ(btNone, Bom(Hex("3c68746d6c3e")));
    EXPECT_EQ(btNone, Bom(Hex("efbbbf41"), {ieBOM}));
    EXPECT_EQ(btNone, Bom(Hex("fffe0000"), {ieBOM}));
    EXPECT_EQ(bt16LE, Bom(Hex("fffe"), {ieSJIS, ieEUC, ieUTF8, ieJIS}));
}

TEST(EncodeDetect, IgnoreSetBits)
{
    EXPECT_EQ(0x00, TIgnoreEncodes().Bits());
    EXPECT_EQ(0x01, TIgnoreEncodes({ieSJIS}).Bits());
    EXPECT_EQ(0x1F, TIgnoreEncodes({ieSJIS, ieEUC, ieUTF8, ieJIS, ieBOM}).Bits());
    EXPECT_EQ(0x14, TIgnoreEncodes({ieUTF8, ieBOM}).Bits());
}

TEST(EncodeDetect, Ascii)
{
    EXPECT_TRUE(IsASCII(0x00));
    EXPECT_TRUE(IsASCII(0x7F));
    EXPECT_FALSE(IsASCII(0x80));
    EXPECT_FALSE(IsASCII(0xFF));
}

TEST(EncodeDetect, Utf8Scan)
{
    ExpectScans(IsUTF8, {
        {"", true, 0},
        {"41424344", true, 0},
        {"c3a9", true, 2},
        {"e38182e38184", true, 6},          // あい
        {"f09f9880", true, 4},
        {"41e3", true, 0},                  // lead byte last: accepted, no points
        {"41e381", false, 0},               // cut after its first following byte
        {"e38182e381", false, 3},           // the points already earned stay
        {"f09f98", false, 0},
        {"80", false, 0},
        {"41f8", false, 0},
        {"c341", false, 0},
        {"e38182ff", false, 3},
    });
}

TEST(EncodeDetect, ShiftJisScan)
{
    ExpectScans(IsSJIS, {
        {"82a082a2", true, 4},              // あい
        {"b1b2", true, 0},                  // half-width kana are single bytes
        {"8740", true, 2},                  // ①
        {"fcfc", true, 2},
        {"4182", true, 0},                  // lead byte last
        {"827f", false, 0},
        {"8220", false, 0},
        {"82a080", false, 2},
        {"a0", false, 0},
        {"fd", false, 0},
    });
}

TEST(EncodeDetect, EucScan)
{
    ExpectScans(IsEUC, {
        {"a4a2a4a4", true, 4},              // あい
        {"8eb1", true, 2},                  // half-width ｱ
        {"8fb0a1", true, 3},                // 丂
        {"8eb1a4", true, 2},
        {"8fb0", true, 0},                  // cut three-byte: B0 is then read as a lead byte
        {"8fb041", false, 0},
        {"8ee0", false, 0},
        {"a4a280", false, 2},
        {"a441", false, 0},
        {"82a0", false, 0},
        {"ff", false, 0},
    });
}

TEST(EncodeDetect, IgnoredDetectorsSayNoAndKeepTheScore)
{
    const QByteArray bytes = Hex("41");
    int score = 7;
    EXPECT_FALSE(IsUTF8(bytes.constData(), bytes.size(), score, {ieUTF8}));
    EXPECT_FALSE(IsSJIS(bytes.constData(), bytes.size(), score, {ieSJIS}));
    EXPECT_FALSE(IsEUC(bytes.constData(), bytes.size(), score, {ieEUC}));
    EXPECT_EQ(7, score);
    EXPECT_TRUE(IsUTF8(bytes.constData(), bytes.size(), score, {ieSJIS, ieEUC, ieJIS, ieBOM}));
}

TEST(EncodeDetect, Iso2022JpEscapes)
{
    const auto jis = [](const QByteArray &bytes, TIgnoreEncodes ignore = {}) {
        return IsJIS(bytes.constData(), bytes.size(), ignore);
    };
    for (const char *escape : {"1b2842", "1b284a", "1b2849", "1b2440", "1b2442", "1b242844",
                               "1b26401b2442"})
        EXPECT_TRUE(jis(Hex("3c703e") + Hex(escape) + Hex("4422")) ) << escape;
    EXPECT_TRUE(jis(Hex("1b2442")));
    EXPECT_FALSE(jis(Hex("1b24")));
    EXPECT_FALSE(jis(Hex("1b2443")));
    EXPECT_FALSE(jis(Hex("1b2428")));
    EXPECT_FALSE(jis(Hex("1b2640")));
    EXPECT_FALSE(jis(Hex("41a41b2442")));    // a byte above 0x7F comes first
    EXPECT_TRUE(jis(Hex("1b2442a4")));
    EXPECT_FALSE(jis(Hex("1b2442"), {ieJIS}));
    EXPECT_FALSE(jis(QByteArray()));
}

TEST(EncodeDetect, Decision)
{
    EXPECT_EQ(-1, Check(QByteArray()));
    EXPECT_EQ(-1, Check("<html><body>plain ASCII</body></html>"));
    EXPECT_EQ(6, Check(Hex("efbbbf41")));
    EXPECT_EQ(3, Check(Hex("fffe4100")));
    EXPECT_EQ(4, Check(Hex("feff0041")));
    EXPECT_EQ(7, Check(Hex("fffe0000")));
    EXPECT_EQ(8, Check(Hex("0000feff")));
    EXPECT_EQ(2, Check(Hex("3c703e1b2442467c4b5c386c1b28423c2f703e")));
    EXPECT_EQ(5, Check(Hex("e697a5e69cace8aa9e")));     // 日本語 in UTF-8
    EXPECT_EQ(0, Check(Hex("93fa967b8cea")));           // in Shift_JIS
    EXPECT_EQ(1, Check(Hex("c6fccbdcb8ec")));           // in EUC-JP
    EXPECT_EQ(-1, Check(Hex("e0a1")));                  // Shift_JIS and EUC tie at 2
    EXPECT_EQ(-1, Check(Hex("c3a9c3a9")));              // éé: UTF-8 and EUC tie at 4
    // EUC reads ああ (6 points) before it rejects the Shift_JIS あ at the end; its
    // partial score still beats the valid Shift_JIS reading.
    EXPECT_EQ(-1, Check(Hex("a4a2a4a2a4a282a0")));

    // The mark decides before anything else is looked at.
    EXPECT_EQ(6, Check(Hex("efbbbf1b2442")));
    // Ignoring the mark sends the bytes to the other detectors.
    EXPECT_EQ(5, Check(Hex("efbbbfe697a5"), {ieBOM}));
    EXPECT_EQ(-1, Check(Hex("1b2442467c"), {ieJIS}));
    EXPECT_EQ(0, Check(Hex("e697a5e69cace8aa9e"), {ieUTF8}));
}

TEST(EncodeDetect, StreamForms)
{
    const QByteArray bytes = "<p>" + Hex("e697a5e69cace8aa9e") + "</p>";

    QByteArray data = bytes;
    QBuffer buffer(&data);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    buffer.seek(5);
    EXPECT_EQ(5, CheckEncoding(buffer, 0, {}));
    EXPECT_EQ(bytes.size(), buffer.pos());
    EXPECT_EQ(-1, CheckEncoding(buffer, 3, {}));   // only "<p>"
    EXPECT_EQ(3, buffer.pos());
    EXPECT_EQ(5, CheckEncoding(buffer, bytes.size(), {}));
    EXPECT_EQ(5, CheckEncoding(buffer, bytes.size() + 1, {}));
    EXPECT_EQ(5, CheckEncoding(buffer, -4, {}));
    EXPECT_EQ(-1, CheckEncoding(buffer, 0, {ieUTF8, ieSJIS}));

    QByteArray empty;
    QBuffer emptyBuffer(&empty);
    ASSERT_TRUE(emptyBuffer.open(QIODevice::ReadOnly));
    EXPECT_EQ(-1, CheckEncoding(emptyBuffer, 0, {}));

    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write(Hex("fffe0000") + bytes);
    EXPECT_EQ(7, CheckEncoding(file, 0, {}));
    EXPECT_EQ(3, CheckEncoding(file, 2, {}));
    EXPECT_EQ(2, file.pos());
}
