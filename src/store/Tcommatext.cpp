#include "store/Tcommatext.h"

#include <algorithm>

namespace {
bool IsBlankOrControl(QChar c)
{
    return c.unicode() <= u' ';
}

QString TrimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlankOrControl(text.at(begin)))
        ++begin;
    while (end > begin && IsBlankOrControl(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}
} // namespace

QString JoinCommaText(const QStringList &items)
{
    QStringList parts;
    parts.reserve(items.size());
    for (const QString &item : items) {
        const bool quote = std::any_of(item.cbegin(), item.cend(), [](QChar c) {
            return IsBlankOrControl(c) || c == QLatin1Char(',') || c == QLatin1Char('"');
        });
        if (!quote) {
            parts.append(item);
            continue;
        }
        QString quoted = item;
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        parts.append(QLatin1Char('"') + quoted + QLatin1Char('"'));
    }
    return parts.join(QLatin1Char(','));
}

QString CategoryCommaText(const TEntry &entry, const TCategoryMap &categories)
{
    QStringList names;
    for (int id : entry.GetCategoryIds()) {
        const QString name = TrimBlanks(categories.value(id).GetName());
        if (!name.isEmpty())
            names.append(name);
    }
    return JoinCommaText(names);
}
