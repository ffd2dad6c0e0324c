#include "platform/Ticonv.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

QString IconvDecode(const QByteArray &bytes, const char *charset, bool *ok, std::size_t unitSize,
                    bool *invalid)
{
    const iconv_t cd = iconv_open("UTF-8", charset);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        const int openError = errno;
        if (ok)
            *ok = false;
        const QString text = QString::fromUtf8(bytes);
        errno = openError;
        return text;
    }
    if (ok)
        *ok = true;

    QByteArray out;
    out.reserve(bytes.size() * 3 / 2 + 16);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char buffer[8192];
    while (inLeft > 0) {
        char *o = buffer;
        size_t oLeft = sizeof buffer;
        const size_t result = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buffer, o - buffer);
        if (result == size_t(-1) && errno != E2BIG) {
            // EILSEQ or a sequence cut off at the end: give up on one code unit only.
            out.append("\xEF\xBF\xBD");
            if (invalid)
                *invalid = true;
            const std::size_t skip = std::min(unitSize, inLeft);
            in += skip;
            inLeft -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    char *o = buffer;
    size_t oLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &o, &oLeft);
    out.append(buffer, o - buffer);
    iconv_close(cd);
    return QString::fromUtf8(out);
}
