#pragma once

#include <QString>

#include <ostream>

// Shows QString values (and lists of them) as text in GoogleTest's failure messages.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
