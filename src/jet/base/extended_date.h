// ACE's extended dates (ExtendedDateTime in value.h: 100-ns ticks since 0001-01-01) against
// the calendar, Jet's dates (days since 30.12.1899 as a double) and text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "jet/base/value.h"
#include "jet/base/value_locale.h"

namespace jet {

namespace extended_date {
inline constexpr int64_t kTicksPerSecond = 10'000'000;
inline constexpr int64_t kSecondsPerDay = 86'400;
inline constexpr int64_t kTicksPerDay = kTicksPerSecond * kSecondsPerDay;
// Days from 0001-01-01 to 1970-01-01 and to 1899-12-30 (Jet's day 0).
inline constexpr int64_t kUnixEpochDay = 719'162;
inline constexpr int64_t kJetEpochDay = 693'593;
// 0001-01-01 to 9999-12-31, both whole: the range the field holds.
inline constexpr int64_t kDayCount = 3'652'059;
inline constexpr int64_t kMaxTicks = kDayCount * kTicksPerDay - 1;
}  // namespace extended_date

// An extended date cut into the three numbers the field stores.
struct ExtendedDateParts {
    int64_t day = 0;     // since 0001-01-01
    int64_t second = 0;  // of the day
    int64_t tick = 0;    // 100 ns of the second
};

bool isExtendedDateInRange(const ExtendedDateTime& value);
// REQUIRES: isExtendedDateInRange(value).
ExtendedDateParts splitExtendedDate(const ExtendedDateTime& value);
// nullopt when a part lies outside its range or the date outside the field's.
std::optional<ExtendedDateTime> joinExtendedDate(const ExtendedDateParts& parts);

// A Jet date to the nearest microsecond: a double holds days to about that near the present,
// so finer digits would be noise. nullopt when not finite or outside the field's range.
std::optional<ExtendedDateTime> extendedDateFromJetDays(double days);
// The nearest Jet date (before 1899-12-30 counting backwards, the fraction the time).
double jetDaysOf(const ExtendedDateTime& value);

// "2024-12-31 23:59:59.1234567": always seven places. REQUIRES: in range.
std::string formatExtendedDate(const ExtendedDateTime& value);
// "YYYY-MM-DD", then optionally ' ' or 'T' and "HH:MM[:SS[.fraction]]" with up to seven
// places, read exactly; any other form that parseDateText reads (the locale's, a time alone)
// goes through Jet's date, to the microsecond. nullopt: no date in the field's range.
std::optional<ExtendedDateTime> parseExtendedDateText(std::u16string_view text,
                                                      const ValueLocale& locale);

}  // namespace jet
