// The numbers and times inside the run's activity lines, in the regional formats of a German
// Windows, which the operators' scripts reading the log files expect.
#pragma once

#include <cstdint>
#include <string>

#include "engine/clock.h"
#include "jet/base/value_locale.h"

namespace engine {

// The short date, "08.12.2026".
std::u16string DateText(const LocalDateTime& at);
// The long time, "09:05:03".
std::u16string TimeText(const LocalDateTime& at);

// A row count as a single-precision number in the general form with at most 7 significant
// digits, the locale's decimal separator: 4711 is "4711", 12345678 is "1,234568E+07".
std::u16string RowCountText(int64_t count, const jet::ValueLocale& locale);

}  // namespace engine
