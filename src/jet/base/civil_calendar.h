// The proleptic Gregorian calendar as day numbers (H. Hinnant's days_from_civil and
// civil_from_days): day 0 is 1970-01-01. Jet's dates and ACE's extended dates both count days
// in it, each from an epoch of its own.
#pragma once

#include <cstdint>

namespace jet {

struct CivilDate {
    int64_t year = 0;
    unsigned month = 0;  // 1..12
    unsigned day = 0;    // 1..31
};

// Days since 1970-01-01 (negative before). REQUIRES: a valid month and day.
constexpr int64_t daysFromCivil(const CivilDate& d) {
    const int64_t y = d.year - (d.month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (d.month > 2 ? d.month - 3 : d.month + 9) + 2) / 5 + d.day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// The calendar day `days` after 1970-01-01.
constexpr CivilDate civilFromDays(int64_t days) {
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned day = doy - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

constexpr bool isLeapYear(int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

constexpr unsigned daysInMonth(int64_t year, unsigned month) {
    constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace jet
