// Dates as Jet keeps them (jet::DateTime: days since 30.12.1899; before that the whole part
// counts backwards while the fraction stays the time of day) read from and written as text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "jet/base/value_locale.h"

namespace jet {

namespace date_format {
// The range of VBA's and DAO's dates: 01.01.0100 to 31.12.9999.
inline constexpr int64_t kMinYear = 100;
inline constexpr int64_t kMaxYear = 9999;
inline constexpr int64_t kMinDayNumber = -657434;  // 01.01.0100
inline constexpr int64_t kMaxDayNumber = 2958465;  // 31.12.9999
// Two-digit years as Windows reads them by default: 00-29 are 2000-2029, 30-99 are 1930-1999.
inline constexpr int64_t kTwoDigitYearPivot = 30;
inline constexpr int64_t kSecondsPerDay = 86400;
}  // namespace date_format

// True for finite days from 01.01.0100 00:00 to 31.12.9999 23:59:59.999.
bool isDateInRange(double days);

// Reads a date, a time of day, or both, white space around them ignored:
//   ISO 8601:   2024-12-31, 2024-12-31 23:59, 2024-12-31T23:59:59.250
//   the locale: 31.12.2024, 31.12.24, 1.2.2024 8:05:30 (order and separator from `locale`)
//   a time:     23:59, 23:59:59, 23:59:59,5 — on 30.12.1899, as VBA keeps times
// Hours take one or two digits, minutes and seconds two, a fraction of a second any number
// (after '.' or the locale's decimal separator). nullopt: not one of these forms, or no such
// date or time (31.02., 24:00, year 10000).
std::optional<double> parseDateText(std::u16string_view text, const ValueLocale& locale);

// The locale's general date as VBA's CStr writes it: "31.12.2024 23:59:59"; the time left out
// at midnight ("31.12.2024"), the date left out on 30.12.1899 ("08:30:00", "00:00:00" for 0).
// Seconds round to the nearest. REQUIRES: isDateInRange(days).
std::u16string formatDateText(double days, const ValueLocale& locale);

}  // namespace jet
