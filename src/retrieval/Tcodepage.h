#pragma once

#include <QString>
#include <QStringList>

#include <map>

// A Windows code page number; NoCodePage stands for "none": the name is not in the
// table, or detection found nothing.
using TCodePageId = quint16;
constexpr TCodePageId NoCodePage = 0xFFFF;

// Maps the charset name a blog type declares to its code page.
class TCodePage
{
public:
    static TCodePage *GetInstance();

    // Matches the name exactly, except for the case of ASCII letters.
    TCodePageId GetCodePage(const QString &name) const;

private:
    TCodePage();

    std::map<TCodePageId, QStringList> FCodePages;
};
