#pragma once

#include <QtGlobal>

#include <cstdint>
#include <initializer_list>

class QIODevice;

enum TBOMType { btNone = 0, btUTF8 = 1, bt16LE = 2, bt16BE = 3, bt32LE = 4, bt32BE = 5 };

enum TIgnoreEncode { ieSJIS = 0, ieEUC = 1, ieUTF8 = 2, ieJIS = 3, ieBOM = 4 };

// A set of TIgnoreEncode in one byte, element n in bit n. A detector whose element
// is in the set gives its negative answer at once.
class TIgnoreEncodes
{
public:
    constexpr TIgnoreEncodes() = default;
    constexpr TIgnoreEncodes(std::initializer_list<TIgnoreEncode> items)
    {
        for (TIgnoreEncode item : items)
            FBits = static_cast<std::uint8_t>(FBits | (1u << item));
    }

    constexpr bool Contains(TIgnoreEncode item) const { return (FBits >> item) & 1u; }
    constexpr std::uint8_t Bits() const { return FBits; }

private:
    std::uint8_t FBits = 0;
};

// Result codes of CheckEncoding.
enum TEncodeResult {
    erNone = -1,
    erSJIS = 0,
    erEUC = 1,
    erJIS = 2,
    erUTF16LE = 3,
    erUTF16BE = 4,
    erUTF8 = 5,
    erUTF8BOM = 6,
    erUTF32LE = 7,
    erUTF32BE = 8,
};

TBOMType BOMCheck(const char *buffer, qsizetype count, TIgnoreEncodes ignore = {});

bool IsASCII(unsigned char byte);

// Each is true when the whole buffer is valid in its encoding, and adds the points of
// the characters it reads to score (the caller sets it to 0 first).
bool IsUTF8(const char *buffer, qsizetype count, int &score, TIgnoreEncodes ignore = {});
bool IsSJIS(const char *buffer, qsizetype count, int &score, TIgnoreEncodes ignore = {});
bool IsEUC(const char *buffer, qsizetype count, int &score, TIgnoreEncodes ignore = {});

// True when an ISO-2022-JP escape sequence occurs before any byte above 0x7F.
bool IsJIS(const char *buffer, qsizetype count, TIgnoreEncodes ignore = {});

// One of TEncodeResult.
int CheckEncoding(const char *buffer, qsizetype count, TIgnoreEncodes ignore = {});

// Reads the first byteLimit bytes (all of them when byteLimit is not in 1..size) from
// position 0 of a random-access device and examines them; -1 for an empty device.
// The device is left positioned after the bytes read.
int CheckEncoding(QIODevice &stream, qint64 byteLimit, TIgnoreEncodes ignore = {});
