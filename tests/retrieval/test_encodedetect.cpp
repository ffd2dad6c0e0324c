#include "retrieval/Encodedetect.h"

#include <QBuffer>
#include <QTemporaryFile>

#include <gtest/gtest.h>

namespace {

QByteArray Hex(const char *hex) { return QByteArray::fromHex(hex); }

int Check(const QByteArray &bytes, TIgnoreEncodes ignore = {})
{
    return CheckEncoding(bytes.constData(), bytes.size(), ignore);
}

using TDetector = bool (*)(const char *, qsizetype, int &, TIgnoreEncodes);

// Each case: hex bytes, whether the detector accepts them, the score it leaves.
void ExpectScans(TDetector detector, std::initializer_list<std::tuple<const char *, bool, int>> cases)
{
    for (const auto &[hex, valid, score] : cases) {
        const QByteArray bytes = Hex(hex);
        int actual = 0;
        EXPECT_EQ(valid, detector(bytes.constData(), bytes.size(), actual, {})) << hex;
        EXPECT_EQ(score, actual) << hex;
    }
}

}

TEST(EncodeDetect, ByteOrderMarks)
{
    const auto bom = [](const char *hex, TIgnoreEncodes ignore = {}) {
        const QByteArray bytes = Hex(hex);
        return BOMCheck(bytes.constData(), bytes.size(), ignore);
    };
    EXPECT_EQ(btUTF8, bom("efbbbf41"));
    EXPECT_EQ(bt16LE, bom("fffe4100"));
    EXPECT_EQ(bt16BE, bom("feff"));
    EXPECT_EQ(bt32LE, bom("fffe0000"));
    EXPECT_EQ(bt32BE, bom("0000feff"));
    EXPECT_EQ(bt16LE, bom("fffe00"));   // too short for the UTF-32 mark
    EXPECT_EQ(btNone, bom("efbb"));
    EXPECT_EQ(btNone, bom(""));
    EXPECT_EQ(btNone, bom("fffe0000", {ieBOM}));
}

TEST(EncodeDetect, ScansScoreCompleteCharactersOnly)
{
    ExpectScans(IsUTF8, {{"41c3a9", true, 2}, {"e38182e38184", true, 6}, {"f09f9880", true, 4},
                         {"41e3", true, 0},       // lead byte last: accepted, no points
                         {"41e381", false, 0},    // cut after its first following byte
                         {"e38182ff", false, 3},  // points already earned stay
                         {"80", false, 0}, {"f8", false, 0}});
    ExpectScans(IsSJIS, {{"82a08740", true, 4}, {"b1b2", true, 0}, {"4182", true, 0},
                         {"827f", false, 0}, {"82a080", false, 2}, {"a0", false, 0},
                         {"fd", false, 0}});
    ExpectScans(IsEUC, {{"a4a2a4a4", true, 4}, {"8eb1", true, 2}, {"8fb0a1", true, 3},
                        {"8fb0", true, 0},        // B0 is then read as a lead byte
                        {"8fb041", false, 0}, {"8ee0", false, 0}, {"a4a280", false, 2}});

    int score = 7;
    const QByteArray ascii = "A";
    EXPECT_FALSE(IsUTF8(ascii.constData(), 1, score, {ieUTF8}));
    EXPECT_FALSE(IsSJIS(ascii.constData(), 1, score, {ieSJIS}));
    EXPECT_FALSE(IsEUC(ascii.constData(), 1, score, {ieEUC}));
    EXPECT_EQ(7, score);
    EXPECT_TRUE(IsUTF8(ascii.constData(), 1, score, {ieSJIS, ieEUC, ieJIS, ieBOM}));
}

TEST(EncodeDetect, Iso2022JpEscapes)
{
    const auto jis = [](const QByteArray &bytes, TIgnoreEncodes ignore = {}) {
        return IsJIS(bytes.constData(), bytes.size(), ignore);
    };
    for (const char *escape :
         {"1b2842", "1b284a", "1b2849", "1b2440", "1b2442", "1b242844", "1b26401b2442"})
        EXPECT_TRUE(jis("<p>" + Hex(escape))) << escape;
    EXPECT_FALSE(jis(Hex("1b24")));
    EXPECT_FALSE(jis(Hex("1b2443")));
    EXPECT_FALSE(jis(Hex("1b2640")));
    EXPECT_FALSE(jis(Hex("41a41b2442")));   // a byte above 0x7F comes first
    EXPECT_FALSE(jis(Hex("1b2442"), {ieJIS}));
}

TEST(EncodeDetect, Decision)
{
    EXPECT_EQ(-1, Check(QByteArray()));
    EXPECT_EQ(-1, Check("<html>plain ASCII</html>"));
    EXPECT_EQ(6, Check(Hex("efbbbf41")));
    EXPECT_EQ(6, Check(Hex("efbbbf1b2442")));   // the mark decides first
    EXPECT_EQ(3, Check(Hex("fffe4100")));
    EXPECT_EQ(4, Check(Hex("feff0041")));
    EXPECT_EQ(7, Check(Hex("fffe0000")));
    EXPECT_EQ(8, Check(Hex("0000feff")));
    EXPECT_EQ(2, Check(Hex("3c703e1b2442467c4b5c386c1b2842")));
    EXPECT_EQ(5, Check(Hex("e697a5e69cace8aa9e")));   // 日本語 in UTF-8
    EXPECT_EQ(0, Check(Hex("93fa967b8cea")));         // in Shift_JIS
    EXPECT_EQ(1, Check(Hex("c6fccbdcb8ec")));         // in EUC-JP
    EXPECT_EQ(-1, Check(Hex("e0a1")));                // Shift_JIS and EUC tie at 2
    EXPECT_EQ(-1, Check(Hex("c3a9c3a9")));            // UTF-8 and EUC tie at 4
    // EUC earns 6 before it rejects the last character; that still beats the
    // valid Shift_JIS reading's 2.
    EXPECT_EQ(-1, Check(Hex("a4a2a4a2a4a282a0")));
    EXPECT_EQ(5, Check(Hex("efbbbfe697a5"), {ieBOM}));
    EXPECT_EQ(0, Check(Hex("e697a5e69cace8aa9e"), {ieUTF8}));
}

TEST(EncodeDetect, StreamFormsReadFromTheStart)
{
    QByteArray data = "<p>" + Hex("e697a5e69cace8aa9e");
    QBuffer buffer(&data);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    buffer.seek(5);
    EXPECT_EQ(5, CheckEncoding(buffer, 0, {}));
    EXPECT_EQ(data.size(), buffer.pos());
    EXPECT_EQ(-1, CheckEncoding(buffer, 3, {}));   // only "<p>"
    EXPECT_EQ(3, buffer.pos());
    EXPECT_EQ(5, CheckEncoding(buffer, data.size() + 1, {}));
    EXPECT_EQ(5, CheckEncoding(buffer, -4, {}));

    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    EXPECT_EQ(-1, CheckEncoding(file, 0, {}));
    file.write(Hex("fffe0000") + data);
    EXPECT_EQ(7, CheckEncoding(file, 0, {}));
    EXPECT_EQ(3, CheckEncoding(file, 2, {}));
}
