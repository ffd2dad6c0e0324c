#pragma once

#include "retrieval/Tcodepage.h"

#include <QByteArray>
#include <QString>

// The code page the bytes look like, NoCodePage when nothing is recognised.
TCodePageId DetectCodePage(const QByteArray &bytes);

QString ConvertToUnicode(const QByteArray &bytes, TCodePageId codePage);

// Detects the code page; when none is recognised, reads the bytes as UTF-8 if they
// are valid UTF-8, else as CP932.
QString DetectAndConvertToUnicode(const QByteArray &bytes);

// Raises EVarnokiError when the conversion cannot be done.
QByteArray ConvertCharset(const QByteArray &bytes, TCodePageId sourceCodePage,
                          TCodePageId targetCodePage);

bool HasUTF8BOM(const QByteArray &bytes);
bool HasUTF16LEBOM(const QByteArray &bytes);
bool HasUTF16BEBOM(const QByteArray &bytes);
