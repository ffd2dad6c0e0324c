#include "retrieval/Tstringutility.h"

TCodePageId DetectCodePage(const QByteArray &) { return NoCodePage; }
QString ConvertToUnicode(const QByteArray &bytes, TCodePageId) { return QString::fromUtf8(bytes); }
QString DetectAndConvertToUnicode(const QByteArray &bytes) { return QString::fromUtf8(bytes); }
QByteArray ConvertCharset(const QByteArray &bytes, TCodePageId, TCodePageId) { return bytes; }
bool HasUTF8BOM(const QByteArray &bytes) { return bytes.startsWith("\xEF\xBB\xBF"); }
bool HasUTF16LEBOM(const QByteArray &bytes) { return bytes.startsWith("\xFF\xFE"); }
bool HasUTF16BEBOM(const QByteArray &bytes) { return bytes.startsWith("\xFE\xFF"); }
