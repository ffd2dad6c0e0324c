#pragma once

#include <QDateTime>

// The program's date-time value: days since 1899-12-30 00:00, the fraction being
// the time of day. 0 is what an entry gets when its date could not be read.
using TDateTime = double;

// The wall-clock time a date-time value names, as a QDateTime in UTC so that no
// daylight-saving gap or fold can shift it.
QDateTime DateTimeToQDateTime(TDateTime value);

// The value of a QDateTime's own date and time fields (its time zone is ignored).
TDateTime QDateTimeToDateTime(const QDateTime &value);

TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0, int msec = 0);
