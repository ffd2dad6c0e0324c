#include "retrieval/Tstringutility.h"

#include <QStringDecoder>

#include "platform/Ticonv.h"
#include "platform/Varnokierror.h"
#include "retrieval/Encodedetect.h"

#include <QByteArrayView>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <new>

namespace {

const QByteArray Ucs4Host = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "UTF-32LE" : "UTF-32BE";

QString InitFailedMessage(int step)
{
    return QStringLiteral("IEコンポーネントの初期化に失敗しました。(%1)").arg(step);
}

QString AllocFailedMessage() { return QStringLiteral("IEコンポーネントのメモリ確保に失敗しました。"); }

QString ConversionFailedMessage() { return QStringLiteral("IEコンポーネントによる変換に失敗しました。"); }

bool IsIso2022Jp(TCodePageId codePage) { return codePage == 50220 || codePage == 50221; }

QByteArray IconvName(TCodePageId codePage)
{
    switch (codePage) {
    case 932: return "CP932";
    case 20932:
    case 51932: return "EUC-JP-MS";
    case 50220:
    case 50221:
    case 50932: return "ISO-2022-JP";
    case 1200: return "UTF-16LE";
    case 1201: return "UTF-16BE";
    case 12000: return "UTF-32LE";
    case 12001: return "UTF-32BE";
    case 65000: return "UTF-7";
    case 65001: return "UTF-8";
    default: return "CP" + QByteArray::number(codePage);
    }
}

// Bytes passed over after a sequence that cannot be decoded: one code unit.
size_t UnitSize(TCodePageId codePage)
{
    switch (codePage) {
    case 1200:
    case 1201: return 2;
    case 12000:
    case 12001: return 4;
    default: return 1;
    }
}

class TIconv
{
public:
    TIconv(const QByteArray &to, const QByteArray &from)
        : FHandle(iconv_open(to.constData(), from.constData()))
    {
        if (FHandle == reinterpret_cast<iconv_t>(-1))
            throw EVarnokiError(InitFailedMessage(errno == EINVAL ? 2 : 1));
    }
    ~TIconv() { iconv_close(FHandle); }
    TIconv(const TIconv &) = delete;
    TIconv &operator=(const TIconv &) = delete;

    // Appends the conversion of the input to out. Returns false at a sequence that
    // cannot be converted (or is cut off at the end), with in pointing at it.
    bool Append(const char *&in, size_t &inLeft, QByteArray &out)
    {
        return Run(&in, &inLeft, out);
    }

    // Appends whatever returns a stateful encoding to its initial state.
    void Finish(QByteArray &out) { Run(nullptr, nullptr, out); }

private:
    bool Run(const char **in, size_t *inLeft, QByteArray &out)
    {
        for (;;) {
            const qsizetype used = out.size();
            out.resize(used + qsizetype(inLeft ? *inLeft : 0) * 4 + 64);
            char *outPtr = out.data() + used;
            size_t outLeft = size_t(out.size() - used);
            char *inPtr = in ? const_cast<char *>(*in) : nullptr;
            const size_t rc = iconv(FHandle, in ? &inPtr : nullptr, inLeft, &outPtr, &outLeft);
            const int error = errno;
            if (in)
                *in = inPtr;
            out.resize(out.size() - qsizetype(outLeft));
            if (rc != size_t(-1))
                return true;
            if (error == E2BIG)
                continue;
            if (error == EILSEQ || error == EINVAL)
                return false;
            throw EVarnokiError(ConversionFailedMessage());
        }
    }

    iconv_t FHandle;
};

// Invalid or cut-off sequences become U+FFFD; invalid is set when there was one.
QString Decode(const QByteArray &bytes, TCodePageId codePage, bool *invalid = nullptr)
{
    if (codePage == 65001) {
        // Most pages are UTF-8; Qt's own decoder reads them several times faster.
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless
                                                          | QStringConverter::Flag::ConvertInitialBom);
        QString text = decoder.decode(bytes);
        if (invalid && decoder.hasError())
            *invalid = true;
        return text;
    }
    bool known = true;
    const QString text = IconvDecode(bytes, IconvName(codePage).constData(), &known,
                                     UnitSize(codePage), invalid);
    if (!known)
        throw EVarnokiError(InitFailedMessage(errno == EINVAL ? 2 : 1));
    return text;
}

// Characters the code page lacks become "?".
QByteArray Encode(const QString &text, TCodePageId codePage)
{
    TIconv converter(IconvName(codePage), Ucs4Host);
    const QList<uint> ucs4 = text.toUcs4();
    const uint question = u'?';
    QByteArray out;
    const char *in = reinterpret_cast<const char *>(ucs4.constData());
    size_t inLeft = size_t(ucs4.size()) * sizeof(uint);
    while (!converter.Append(in, inLeft, out)) {
        in += sizeof(uint);
        inLeft -= sizeof(uint);
        // Through the converter, so that a stateful encoding switches modes for it.
        const char *q = reinterpret_cast<const char *>(&question);
        size_t qLeft = sizeof question;
        converter.Append(q, qLeft, out);
    }
    converter.Finish(out);
    return out;
}

// ISO-2022-JP to Shift_JIS by arithmetic on JIS row and cell, so that the NEC and IBM
// rows that Windows writes into ISO-2022-JP survive; they are CP932 characters.
QByteArray Iso2022JpToShiftJis(const QByteArray &bytes)
{
    enum TMode { Ascii, Kanji, Kana, Jis0212, Unchanged };
    struct TEscape {
        const char *Sequence;
        TMode Mode;
    };
    static const TEscape Escapes[] = {
        {"(B", Ascii},   {"(J", Ascii},   {"(H", Ascii},     {"(I", Kana},
        {"$@", Kanji},   {"$B", Kanji},   {"$(@", Kanji},    {"$(B", Kanji},
        {"$(D", Jis0212}, {"&@", Unchanged},
    };
    const auto isJisByte = [](unsigned char c) { return c >= 0x21 && c <= 0x7E; };

    TMode mode = Ascii;
    bool shiftOut = false;
    QByteArray out;
    out.reserve(bytes.size());
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = data[i];
        if (c == 0x1B) {
            const QByteArrayView rest = QByteArrayView(bytes).sliced(i + 1);
            const TEscape *found = nullptr;
            for (const TEscape &escape : Escapes) {
                if (rest.startsWith(escape.Sequence)) {
                    found = &escape;
                    break;
                }
            }
            if (found) {
                if (found->Mode != Unchanged)
                    mode = found->Mode;
                i += 1 + qsizetype(std::strlen(found->Sequence));
            } else {
                out.append(char(c));
                ++i;
            }
        } else if (c == 0x0E || c == 0x0F) {
            shiftOut = c == 0x0E;
            ++i;
        } else if ((shiftOut || mode == Kana) && c >= 0x21 && c <= 0x5F) {
            out.append(char(c | 0x80));
            ++i;
        } else if ((mode == Kanji || mode == Jis0212) && isJisByte(c)) {
            if (i + 1 < n && isJisByte(data[i + 1])) {
                if (mode == Kanji) {
                    const unsigned char c2 = data[i + 1];
                    int s1 = ((c - 0x21) >> 1) + 0x81;
                    if (s1 > 0x9F)
                        s1 += 0x40;
                    const int s2 = (c & 1) ? c2 + (c2 >= 0x60 ? 0x20 : 0x1F) : c2 + 0x7E;
                    out.append(char(s1));
                    out.append(char(s2));
                } else {
                    out.append('?');
                }
                i += 2;
            } else {
                out.append('?');
                ++i;
            }
        } else {
            out.append(char(c));
            ++i;
        }
    }
    return out;
}

// The code page that stands in for "nothing detected": UTF-8 when the bytes are valid
// UTF-8, else CP932.
TCodePageId FallbackCodePage(const QByteArray &bytes)
{
    bool invalid = false;
    Decode(bytes, 65001, &invalid);
    return invalid ? 932 : 65001;
}

TCodePageId DetectOrFallback(const QByteArray &bytes)
{
    const TCodePageId codePage = DetectCodePage(bytes);
    return codePage != NoCodePage ? codePage : FallbackCodePage(bytes);
}

// The byte-order mark of a Unicode code page, empty for the others.
QByteArrayView MarkOf(TCodePageId codePage)
{
    switch (codePage) {
    case 65001: return QByteArrayView("\xEF\xBB\xBF", 3);
    case 1200: return QByteArrayView("\xFF\xFE", 2);
    case 1201: return QByteArrayView("\xFE\xFF", 2);
    case 12000: return QByteArrayView("\xFF\xFE\x00\x00", 4);
    case 12001: return QByteArrayView("\x00\x00\xFE\xFF", 4);
    default: return {};
    }
}

}

TCodePageId DetectCodePage(const QByteArray &bytes)
{
    switch (CheckEncoding(bytes.constData(), bytes.size())) {
    case erSJIS: return 932;
    case erEUC: return 20932;
    case erJIS: return 50220;
    case erUTF16LE: return 1200;
    case erUTF16BE: return 1201;
    case erUTF8:
    case erUTF8BOM: return 65001;
    case erUTF32LE: return 12000;
    case erUTF32BE: return 12001;
    default: return NoCodePage;
    }
}

QString ConvertToUnicode(const QByteArray &bytes, TCodePageId codePage)
{
    try {
        if (codePage == 50932)
            codePage = DetectOrFallback(bytes);
        if (IsIso2022Jp(codePage))
            return Decode(Iso2022JpToShiftJis(bytes), 932);
        const QByteArrayView mark = MarkOf(codePage);
        if (!mark.isEmpty() && bytes.startsWith(mark))
            return Decode(bytes.sliced(mark.size()), codePage);
        return Decode(bytes, codePage);
    } catch (const std::bad_alloc &) {
        throw EVarnokiError(AllocFailedMessage());
    }
}

QString DetectAndConvertToUnicode(const QByteArray &bytes)
{
    return ConvertToUnicode(bytes, DetectOrFallback(bytes));
}

QByteArray ConvertCharset(const QByteArray &bytes, TCodePageId sourceCodePage,
                          TCodePageId targetCodePage)
{
    if (sourceCodePage == targetCodePage)
        return bytes;
    try {
        QByteArray source = bytes;
        if (sourceCodePage == 65001 && HasUTF8BOM(source))
            source.remove(0, 3);
        if (sourceCodePage == 50932)
            sourceCodePage = DetectOrFallback(source);
        if (IsIso2022Jp(sourceCodePage)) {
            source = Iso2022JpToShiftJis(source);
            sourceCodePage = 932;
            if (targetCodePage == 932)
                return source;
        }
        return Encode(Decode(source, sourceCodePage), targetCodePage);
    } catch (const std::bad_alloc &) {
        throw EVarnokiError(AllocFailedMessage());
    }
}

bool HasUTF8BOM(const QByteArray &bytes) { return bytes.startsWith(MarkOf(65001)); }

bool HasUTF16LEBOM(const QByteArray &bytes) { return bytes.startsWith(MarkOf(1200)); }

bool HasUTF16BEBOM(const QByteArray &bytes) { return bytes.startsWith(MarkOf(1201)); }
