// The rows-per-second figure that Label_Speed shows while a table is copied.
#pragma once

#include <cstdint>
#include <string>

#include "engine/clock.h"

namespace engine {

// The locale's separators for the figure; the defaults are the German ones.
struct NumberSeparators {
    char16_t group = u'.';
    char16_t decimal = u',';
};

// Rows per second since `startSecond` (see startSecond()), read against the clock now:
// the elapsed seconds are rounded half to even; at 0 or fewer the rate is 0. The rate is
// written as "###,###.0": groups of three digits, no digit before the decimal separator when
// the whole part is 0, one decimal rounded half away from zero ("1.234,5", ",3", ",0").
// Returns "?" when the elapsed seconds do not fit a signed 32-bit integer.
std::u16string SpeedText(const Clock& clock, int32_t startSecond, int64_t rowCounter,
                         const NumberSeparators& separators = {});

}  // namespace engine
