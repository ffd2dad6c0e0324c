#include "retrieval/Tdateparser.h"

#include <QRegularExpression>

namespace {

// The range of the program's date-time value: 0100-01-01 to 9999-12-31 23:59:59.999.
constexpr double MinDateTime = -657434.0;
constexpr double MaxDateTime = 2958466.0;

const QString MonthNames = QStringLiteral(
    "(january|february|march|april|may|june|july|august|september|october|november|december"
    "|jan|feb|mar|apr|jun|jul|aug|sept|sep|oct|nov|dec)\\.?");

QRegularExpressionMatch MatchAt(const QRegularExpression &re, const QString &text, qsizetype pos)
{
    return re.match(text, pos, QRegularExpression::NormalMatch,
                    QRegularExpression::AnchorAtOffsetMatchOption);
}

int Number(const QRegularExpressionMatch &m, int group) { return m.captured(group).toInt(); }

int MonthNumber(const QString &name)
{
    static const QStringList Months = {
        QStringLiteral("jan"), QStringLiteral("feb"), QStringLiteral("mar"), QStringLiteral("apr"),
        QStringLiteral("may"), QStringLiteral("jun"), QStringLiteral("jul"), QStringLiteral("aug"),
        QStringLiteral("sep"), QStringLiteral("oct"), QStringLiteral("nov"), QStringLiteral("dec")};
    return int(Months.indexOf(name.left(3))) + 1;
}

// Two-digit years 00-29 are 2000-2029, 30-99 are 1930-1999.
int FullYear(const QString &digits)
{
    const int year = digits.toInt();
    if (digits.size() > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

QDate MakeDate(int year, int month, int day)
{
    if (year < 100 || year > 9999)
        return {};
    return QDate(year, month, day);  // invalid when the day does not exist
}

// Full-width forms to ASCII, lower case, weekdays dropped, white space collapsed.
QString Normalise(const QString &text)
{
    static const QRegularExpression JapaneseWeekday(
        QStringLiteral("\\(\\s*[月火水木金土日](曜日?)?\\s*\\)|[月火水木金土日]曜日?"));
    static const QRegularExpression EnglishWeekday(QStringLiteral(
        "^(monday|tuesday|wednesday|thursday|friday|saturday|sunday"
        "|mon|tues|tue|wed|thurs|thur|thu|fri|sat|sun)\\b\\.?,?"));
    static const QRegularExpression EnglishWeekdayInBrackets(QStringLiteral(
        "\\(\\s*(mon|tue|wed|thu|fri|sat|sun)[a-z]*\\.?\\s*\\)"));
    static const QRegularExpression Spaces(QStringLiteral("\\s+"));

    QString s = text.normalized(QString::NormalizationForm_KC).toLower();
    s.replace(JapaneseWeekday, QStringLiteral(" "));
    s.replace(EnglishWeekdayInBrackets, QStringLiteral(" "));
    s = s.trimmed();
    s.replace(EnglishWeekday, QString());
    s.replace(Spaces, QStringLiteral(" "));
    return s.trimmed();
}

std::optional<TDateTime> PlainNumber(const QString &s)
{
    static const QRegularExpression Number(QStringLiteral("^[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)$"));
    if (!Number.match(s).hasMatch())
        return std::nullopt;
    const double value = s.toDouble();
    if (value < MinDateTime || value >= MaxDateTime)
        return std::nullopt;
    return value;
}

// Reads a date at pos and moves pos past it. Gives an invalid date and leaves pos
// alone when none starts there; sets failed when one starts there but does not exist.
QDate ParseDate(const QString &s, qsizetype &pos, bool &failed)
{
    static const QRegularExpression MonthDayYear(
        QStringLiteral("([0-9]{1,2})([/.-])([0-9]{1,2})\\2([0-9]{4})(?![0-9])"));
    static const QRegularExpression YearMonthDay(
        QStringLiteral("([0-9]{4}|[0-9]{1,2})([/.-])([0-9]{1,2})\\2([0-9]{1,2})(?![0-9])"));
    static const QRegularExpression Kanji(
        QStringLiteral("([0-9]{2,4}) ?年 ?([0-9]{1,2}) ?月 ?([0-9]{1,2}) ?日"));
    static const QRegularExpression DayMonthName(QStringLiteral(
        "([0-9]{1,2})(?:st|nd|rd|th)?[ -]?") + MonthNames
        + QStringLiteral(",?[ -]?([0-9]{4}|[0-9]{2})(?![0-9])"));
    static const QRegularExpression MonthNameDay(MonthNames
        + QStringLiteral(" ?([0-9]{1,2})(?![0-9])(?:st|nd|rd|th)?,? ?([0-9]{4}|[0-9]{2})(?![0-9:])"));

    QDate date;
    QRegularExpressionMatch m;
    if ((m = MatchAt(MonthDayYear, s, pos)).hasMatch()) {
        // With a four-digit year last the order is month/day (day.month with dots),
        // or the other one when that is the only reading that exists.
        int month = Number(m, 1), day = Number(m, 3);
        if (m.captured(2) == QStringLiteral("."))
            std::swap(month, day);
        date = MakeDate(Number(m, 4), month, day);
        if (!date.isValid())
            date = MakeDate(Number(m, 4), day, month);
    } else if ((m = MatchAt(YearMonthDay, s, pos)).hasMatch()) {
        date = MakeDate(FullYear(m.captured(1)), Number(m, 3), Number(m, 4));
    } else if ((m = MatchAt(Kanji, s, pos)).hasMatch()) {
        date = MakeDate(FullYear(m.captured(1)), Number(m, 2), Number(m, 3));
    } else if ((m = MatchAt(DayMonthName, s, pos)).hasMatch()) {
        date = MakeDate(FullYear(m.captured(3)), MonthNumber(m.captured(2)), Number(m, 1));
    } else if ((m = MatchAt(MonthNameDay, s, pos)).hasMatch()) {
        date = MakeDate(FullYear(m.captured(3)), MonthNumber(m.captured(1)), Number(m, 2));
    } else {
        return {};
    }
    failed = !date.isValid();
    pos = m.capturedEnd();
    return date;
}

// Reads a time of day and any zone after it; the zone is read over, not applied.
QTime ParseTime(const QString &s, qsizetype &pos, bool &failed)
{
    static const QRegularExpression Time(QStringLiteral(
        "(?:(午前|午後|am|pm|a\\.m\\.|p\\.m\\.) ?)?"
        "(?:([0-9]{1,2}):([0-9]{2})(?::([0-9]{2})(?:[.,]([0-9]+))?)?"
        "|([0-9]{1,2}) ?時(?: ?([0-9]{1,2}) ?分(?: ?([0-9]{1,2}) ?秒)?)?)"
        "(?: ?(am|pm|a\\.m\\.|p\\.m\\.)(?![a-z]))?"));
    static const QRegularExpression Zone(QStringLiteral(
        " ?(?:(?:z|utc|ut|gmt|[a-z]{2,4}t)(?![a-z]))? ?(?:[+-][0-9]{1,2}(?::?[0-9]{2})?(?![0-9]))?"
        "(?: ?\\([^)]*\\))?"));

    const QRegularExpressionMatch m = MatchAt(Time, s, pos);
    if (!m.hasMatch())
        return {};
    pos = m.capturedEnd();
    const QRegularExpressionMatch zone = MatchAt(Zone, s, pos);
    if (zone.hasMatch())
        pos = zone.capturedEnd();

    const bool colon = m.hasCaptured(2);
    int hour = Number(m, colon ? 2 : 6);
    const int minute = Number(m, colon ? 3 : 7);
    const int second = Number(m, colon ? 4 : 8);
    const int msec = m.captured(5).left(3).leftJustified(3, u'0').toInt();

    const QString before = m.captured(1), after = m.captured(9);
    if (!before.isEmpty() || !after.isEmpty()) {
        if (!before.isEmpty() && !after.isEmpty()) {
            failed = true;
            return {};
        }
        const QString marker = before.isEmpty() ? after : before;
        const bool pm = marker == QStringLiteral("午後") || marker.startsWith(u'p');
        if (hour > 12) {
            failed = true;
            return {};
        }
        // 12 AM is midnight and 12 PM noon; 午後0時 is noon as well.
        if (hour == 12)
            hour = 0;
        if (pm)
            hour += 12;
    }
    const QTime time(hour, minute, second, msec);
    failed = !time.isValid();
    return time;
}

}

std::optional<TDateTime> ParseDateText(const QString &text)
{
    const QString s = Normalise(text);
    if (s.isEmpty())
        return std::nullopt;
    if (const std::optional<TDateTime> days = PlainNumber(s))
        return days;

    qsizetype pos = 0;
    bool failed = false;
    QDate date = ParseDate(s, pos, failed);
    if (failed)
        return std::nullopt;
    if (date.isValid()) {
        static const QRegularExpression Separator(QStringLiteral("t|,? ?(?:at )?"));
        pos = MatchAt(Separator, s, pos).capturedEnd();
    }
    QTime time = ParseTime(s, pos, failed);
    if (failed || pos != s.size() || (!date.isValid() && !time.isValid()))
        return std::nullopt;
    if (!date.isValid())
        date = QDate(1899, 12, 30);
    if (!time.isValid())
        time = QTime(0, 0);
    return QDateTimeToDateTime(QDateTime(date, time, Qt::UTC));
}
