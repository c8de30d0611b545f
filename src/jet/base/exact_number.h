// Exact decimal numbers (magnitude / 10^scale with a sign), the common ground of Currency,
// Decimal and the integer types. Rescaling rounds half to even, as VBA and Jet round; the
// conversions to binary floating point round correctly (nearest, ties to even).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "jet/base/value.h"

namespace jet {

namespace decimal_format {
inline constexpr uint8_t kCurrencyScale = 4;         // Currency counts units of 1/10,000
inline constexpr uint8_t kMaxScale = 28;             // Jet's Decimal: at most 28 places
inline constexpr uint8_t kMaxPrecision = 28;         // ... and at most 28 digits in all
inline constexpr unsigned kMaxMagnitudeDigits = 39;  // 2^128 has 39 decimal digits
}  // namespace decimal_format

__extension__ typedef unsigned __int128 Magnitude;

struct ExactNumber {
    bool negative = false;
    Magnitude magnitude = 0;
    uint8_t scale = 0;
};

// `v` / 10^scale.
ExactNumber exactFromInteger(int64_t v, uint8_t scale = 0);
// bool (True is -1, as in VBA), Byte, Integer, Long, BigInt, Currency and Decimal; nullopt for
// every other alternative of Value.
std::optional<ExactNumber> exactOf(const Value& value);

// Moves `x` to `scale`, rounding half to even. False when the magnitude would pass 128 bits;
// `x` is then unspecified.
bool rescale(ExactNumber& x, uint8_t scale);

// The nearest double or float; ±infinity when `x` lies beyond the type's range.
double exactToDouble(const ExactNumber& x);
float exactToFloat(const ExactNumber& x);

// The signed magnitude (the value in units of 10^-scale), if it fits in int64.
std::optional<int64_t> exactUnits(const ExactNumber& x);

// Decimal of `x` as it stands (no rescaling); a zero is never negative.
Decimal exactToDecimal(const ExactNumber& x);

// The decimal digits of a magnitude, most significant first; "0" for zero. A fixed buffer, so
// that formatting and conversion allocate nothing.
struct MagnitudeDigits {
    std::array<char, decimal_format::kMaxMagnitudeDigits> chars{};
    uint8_t size = 0;
    std::string_view view() const { return {chars.data(), size}; }
};
MagnitudeDigits magnitudeDigits(Magnitude m);
// True when `m` has at most `digits` decimal digits. REQUIRES: digits <= 38.
bool fitsDigits(Magnitude m, unsigned digits);

}  // namespace jet
