#pragma once

#include <QByteArray>
#include <QString>

// Decodes bytes written in the iconv character set charset ("CP932", "EUC-JP-MS", ...).
// A byte that does not decode becomes U+FFFD and decoding goes on after it, so any
// input yields text. ok is set to false only when iconv does not know charset; the
// bytes are then read as UTF-8.
QString IconvDecode(const QByteArray &bytes, const char *charset, bool *ok = nullptr);
