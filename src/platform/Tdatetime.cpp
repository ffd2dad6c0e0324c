#include "platform/Tdatetime.h"

#include <cmath>

namespace {
const QDate BaseDate(1899, 12, 30);
constexpr qint64 MSecsPerDay = 86400000;
}

QDateTime DateTimeToQDateTime(TDateTime value)
{
    // Negative values count whole days backwards but keep a positive time of day.
    double days = std::trunc(value);
    qint64 msecs = std::llround(std::fabs(value - days) * MSecsPerDay);
    if (msecs >= MSecsPerDay) {
        msecs -= MSecsPerDay;
        days += value < 0 ? -1 : 1;
    }
    return QDateTime(BaseDate.addDays(static_cast<qint64>(days)),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(msecs)), Qt::UTC);
}

TDateTime QDateTimeToDateTime(const QDateTime &value)
{
    const qint64 days = BaseDate.daysTo(value.date());
    const double fraction = value.time().msecsSinceStartOfDay() / double(MSecsPerDay);
    return days >= 0 ? days + fraction : days - fraction;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int msec)
{
    return QDateTimeToDateTime(
        QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC));
}
