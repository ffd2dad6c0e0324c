#pragma once

#include <QString>

// The program's version strings, compiled in from the build.
class TkAppInfo
{
public:
    // 0 Comments, 1 CompanyName, 2 FileDescription, 3 FileVersion, 4 InternalName,
    // 5 LegalCopyright, 6 LegalTradeMarks, 7 OriginalFilename, 8 PrivateBuild,
    // 9 ProductName, 10 ProductVersion; empty text for a string the program has not.
    QString GetValue(int kind) const;
};
