#include "retrieval/Tcodepage.h"

#include <memory>

namespace {
std::unique_ptr<TCodePage> Instance;

// Upper-cases ASCII letters only, so that no other character can come to match.
QString AsciiUpper(const QString &text)
{
    QString result = text;
    for (QChar &ch : result) {
        if (ch >= u'a' && ch <= u'z')
            ch = QChar(ch.unicode() - (u'a' - u'A'));
    }
    return result;
}
}

TCodePage *TCodePage::GetInstance()
{
    if (!Instance)
        Instance.reset(new TCodePage);
    return Instance.get();
}

TCodePage::TCodePage()
{
    const auto add = [this](TCodePageId codePage, std::initializer_list<const char *> names) {
        QStringList &list = FCodePages[codePage];
        for (const char *name : names)
            list.append(AsciiUpper(QString::fromLatin1(name)));
    };
    add(932, {"MS_Kanji", "csShiftJIS", "csWindows31J", "Shift-JIS", "x-ms-cp932", "x-sjis",
              "sjis", "Windows-31J", "SHIFT_JIS"});
    add(50220, {"csISO2022JP", "JIS", "ISO2022JP", "jis_encoding", "csjisencoding",
                "ISO-2022-JP"});
    add(50221, {"_iso-2022-jp"});
    add(50932, {"JISAutoDetect"});
    add(20932, {"Extended_UNIX_Code_Packed_Format_for_Japanese", "csEUCPkdFmtJapanese",
                "X-EUC", "X-EUC-JP", "EUCJIS", "EUC_JP", "EUCJP", "X-EUCJP", "EUC-JP"});
    add(65000, {"csUnicode11UTF7", "UNICODE-1-1-UTF-7", "x-unicode-2-0-utf-7", "UTF7",
                "UTF-7"});
    add(65001, {"UNICODE-1-1-UTF-8", "UNICODE-2-0-UTF-8", "x-unicode-2-0-utf-8", "UTF8",
                "UTF-8"});
}

TCodePageId TCodePage::GetCodePage(const QString &name) const
{
    const QString key = AsciiUpper(name);
    for (const auto &[codePage, names] : FCodePages) {
        if (names.contains(key))
            return codePage;
    }
    return NoCodePage;
}
