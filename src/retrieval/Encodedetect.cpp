#include "retrieval/Encodedetect.h"

#include <QIODevice>

TBOMType BOMCheck(const char *, qsizetype, TIgnoreEncodes) { return btNone; }
bool IsASCII(unsigned char byte) { return byte <= 0x7F; }
bool IsUTF8(const char *, qsizetype, int &, TIgnoreEncodes) { return false; }
bool IsSJIS(const char *, qsizetype, int &, TIgnoreEncodes) { return false; }
bool IsEUC(const char *, qsizetype, int &, TIgnoreEncodes) { return false; }
bool IsJIS(const char *, qsizetype, TIgnoreEncodes) { return false; }
int CheckEncoding(const char *, qsizetype, TIgnoreEncodes) { return erNone; }
int CheckEncoding(QIODevice &, qint64, TIgnoreEncodes) { return erNone; }
