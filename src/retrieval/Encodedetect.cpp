#include "retrieval/Encodedetect.h"

#include <QIODevice>

#include <algorithm>
#include <limits>

namespace {

// How a detector reads a character that starts with a given byte.
struct TCharClass {
    int Following;   // bytes that must follow; -1 rejects the buffer
    int Points;      // added to the score for a complete character
    unsigned char Low, High;          // range allowed for each following byte
    unsigned char Low2 = 1, High2 = 0; // optional second range (empty by default)
};

constexpr TCharClass Reject{-1, 0, 0, 0};
constexpr TCharClass Single{0, 0, 0, 0};

template <typename Classify>
bool Scan(const char *buffer, qsizetype count, int &score, Classify classify)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(buffer);
    qsizetype p = 0;
    while (p < count) {
        const TCharClass cls = classify(bytes[p]);
        if (cls.Following < 0)
            return false;
        const qsizetype present = std::min<qsizetype>(cls.Following, count - p - 1);
        for (qsizetype i = 1; i <= present; ++i) {
            const unsigned char b = bytes[p + i];
            const bool allowed =
                (b >= cls.Low && b <= cls.High) || (b >= cls.Low2 && b <= cls.High2);
            if (!allowed)
                return false;
        }
        if (present == cls.Following) {
            score += cls.Points;
            p += 1 + cls.Following;
        } else {
            // A character cut off by the end of the buffer earns nothing, and its
            // following bytes are read again as character starts.
            p += 1;
        }
    }
    return true;
}

bool StartsWith(const unsigned char *bytes, qsizetype count, std::initializer_list<int> pattern)
{
    if (count < qsizetype(pattern.size()))
        return false;
    return std::equal(pattern.begin(), pattern.end(), bytes);
}

}

TBOMType BOMCheck(const char *buffer, qsizetype count, TIgnoreEncodes ignore)
{
    if (ignore.Contains(ieBOM))
        return btNone;
    const auto *bytes = reinterpret_cast<const unsigned char *>(buffer);
    // The four-byte marks first: FF FE 00 00 is UTF-32, never UTF-16.
    if (StartsWith(bytes, count, {0xFF, 0xFE, 0x00, 0x00}))
        return bt32LE;
    if (StartsWith(bytes, count, {0x00, 0x00, 0xFE, 0xFF}))
        return bt32BE;
    if (StartsWith(bytes, count, {0xFF, 0xFE}))
        return bt16LE;
    if (StartsWith(bytes, count, {0xFE, 0xFF}))
        return bt16BE;
    if (StartsWith(bytes, count, {0xEF, 0xBB, 0xBF}))
        return btUTF8;
    return btNone;
}

bool IsASCII(unsigned char byte) { return byte <= 0x7F; }

bool IsUTF8(const char *buffer, qsizetype count, int &score, TIgnoreEncodes ignore)
{
    if (ignore.Contains(ieUTF8))
        return false;
    return Scan(buffer, count, score, [](unsigned char b) -> TCharClass {
        if (b <= 0x7F)
            return Single;
        if (b >= 0xC0 && b <= 0xDF)
            return {1, 2, 0x80, 0xBF};
        if (b >= 0xE0 && b <= 0xEF)
            return {2, 3, 0x80, 0xBF};
        if (b >= 0xF0 && b <= 0xF7)
            return {3, 4, 0x80, 0xBF};
        return Reject;
    });
}

bool IsSJIS(const char *buffer, qsizetype count, int &score, TIgnoreEncodes ignore)
{
    if (ignore.Contains(ieSJIS))
        return false;
    return Scan(buffer, count, score, [](unsigned char b) -> TCharClass {
        if (b <= 0x7F || (b >= 0xA1 && b <= 0xDF))
            return Single;
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC))
            return {1, 2, 0x40, 0x7E, 0x80, 0xFC};
        return Reject;
    });
}

bool IsEUC(const char *buffer, qsizetype count, int &score, TIgnoreEncodes ignore)
{
    if (ignore.Contains(ieEUC))
        return false;
    return Scan(buffer, count, score, [](unsigned char b) -> TCharClass {
        if (b <= 0x7F)
            return Single;
        if (b >= 0xA1 && b <= 0xFE)
            return {1, 2, 0xA1, 0xFE};
        if (b == 0x8E)
            return {1, 2, 0xA1, 0xDF};
        if (b == 0x8F)
            return {2, 3, 0xA1, 0xFE};
        return Reject;
    });
}

bool IsJIS(const char *buffer, qsizetype count, TIgnoreEncodes ignore)
{
    if (ignore.Contains(ieJIS))
        return false;
    const auto *bytes = reinterpret_cast<const unsigned char *>(buffer);
    for (qsizetype i = 0; i < count; ++i) {
        if (bytes[i] > 0x7F)
            return false;
        const unsigned char *at = bytes + i;
        const qsizetype rest = count - i;
        if (StartsWith(at, rest, {0x1B, 0x28, 0x42}) || StartsWith(at, rest, {0x1B, 0x28, 0x4A})
            || StartsWith(at, rest, {0x1B, 0x28, 0x49}) || StartsWith(at, rest, {0x1B, 0x24, 0x40})
            || StartsWith(at, rest, {0x1B, 0x24, 0x42})
            || StartsWith(at, rest, {0x1B, 0x24, 0x28, 0x44})
            || StartsWith(at, rest, {0x1B, 0x26, 0x40, 0x1B, 0x24, 0x42}))
            return true;
    }
    return false;
}

int CheckEncoding(const char *buffer, qsizetype count, TIgnoreEncodes ignore)
{
    if (count <= 0)
        return erNone;
    switch (BOMCheck(buffer, count, ignore)) {
    case btUTF8: return erUTF8BOM;
    case bt16LE: return erUTF16LE;
    case bt16BE: return erUTF16BE;
    case bt32LE: return erUTF32LE;
    case bt32BE: return erUTF32BE;
    case btNone: break;
    }
    if (IsJIS(buffer, count, ignore))
        return erJIS;

    int sjisScore = 0, eucScore = 0, utf8Score = 0;
    const bool sjis = IsSJIS(buffer, count, sjisScore, ignore);
    const bool euc = IsEUC(buffer, count, eucScore, ignore);
    const bool utf8 = IsUTF8(buffer, count, utf8Score, ignore);
    // A rejecting detector's partial score still competes, so it can block a winner.
    if (euc && eucScore > sjisScore && eucScore > utf8Score)
        return erEUC;
    if (sjis && sjisScore > eucScore && sjisScore > utf8Score)
        return erSJIS;
    if (utf8 && utf8Score > sjisScore && utf8Score > eucScore)
        return erUTF8;
    return erNone;
}

int CheckEncoding(QIODevice &stream, qint64 byteLimit, TIgnoreEncodes ignore)
{
    const qint64 size = stream.size();
    if (size <= 0)
        return erNone;
    qint64 n = (byteLimit > 0 && byteLimit <= size) ? byteLimit : size;
    n = std::min<qint64>(n, std::numeric_limits<qint32>::max());
    stream.seek(0);
    const QByteArray bytes = stream.read(n);
    return CheckEncoding(bytes.constData(), bytes.size(), ignore);
}
