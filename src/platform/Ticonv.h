#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

// Decodes bytes written in the iconv character set charset ("CP932", "EUC-JP-MS", ...).
// A sequence that does not decode becomes U+FFFD and decoding goes on unitSize bytes
// later (one code unit), so any input yields text; invalid, when given, is set then.
// When iconv does not know charset, ok is set to false (errno says why) and the
// bytes are read as UTF-8.
QString IconvDecode(const QByteArray &bytes, const char *charset, bool *ok = nullptr,
                    std::size_t unitSize = 1, bool *invalid = nullptr);
