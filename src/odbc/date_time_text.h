// Reading the texts drivers give for times of day and for dates with an offset, and checking
// the date and time structures they fill: a value that is no valid calendar date or time of
// day is an error of that value, never another date.
#pragma once

#include <string_view>

#include "odbc/value.h"

namespace odbc {

// "13:14:15", "13:14:15.1234567", "-01:00:00", "838:59:59". Throws Error 22007 for a text that
// is no time, 22008 for a time outside 00:00:00 to 23:59:59.999999999 (MariaDB's TIME runs
// from -838:59:59 to 838:59:59, which no time of day can hold).
Time parseTimeOfDay(std::string_view text);

// "2024-02-29 13:14:15.1234567 +02:00" (SQL Server's datetimeoffset): the date and time as
// written, the offset checked and dropped. Throws Error 22007 for anything else.
Timestamp parseOffsetTimestamp(std::string_view text);

// "2024-02-29" and "2024-02-29 13:14:15.123456", as PostgreSQL and MariaDB write them; an
// offset after the time ("+01", "-03:30") is dropped, so the wall-clock time stays as the
// server shows it. Throws Error 22007 for anything else: PostgreSQL's infinity and BC dates,
// MariaDB's zero dates, which the drivers' date structures turn into other dates or NULL.
Date parseDate(std::string_view text);
Timestamp parseTimestamp(std::string_view text);

// Throw Error 22007 unless the structure holds a calendar date (years 1 to 9999) and a time of
// day: MariaDB's zero date 0000-00-00 arrives as zeros.
void checkDate(const Date& date);
void checkTimestamp(const Timestamp& timestamp);

}  // namespace odbc
