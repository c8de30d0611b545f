// Numbers as text: reading the invariant form and the locale's, writing VBA's CStr form.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "jet/base/exact_number.h"
#include "jet/base/value_locale.h"

namespace jet {

namespace number_text_format {
// Significant digits kept when reading; a further digit only counts as zero or not. Every
// halfway point between two doubles has at most 767 significant digits, so rounding from this
// many rounds as exactly as rounding from all of them.
inline constexpr size_t kMaxSignificantDigits = 800;
// A written exponent saturates here; far beyond every type's range either way.
inline constexpr int64_t kMaxExponent = 1'000'000;
// VBA writes a Double with 15 significant digits, a Single with 7.
inline constexpr int kDoubleDigits = 15;
inline constexpr int kSingleDigits = 7;
}  // namespace number_text_format

// A decimal number read from text: digits × 10^exponent, without leading or trailing zeros.
// Digits past the buffer are dropped; `truncated` tells whether any of them was not zero.
struct NumberText {
    bool negative = false;
    bool truncated = false;
    uint16_t count = 0;  // digits in use; 0 for zero
    int64_t exponent = 0;
    std::array<char, number_text_format::kMaxSignificantDigits> digits;

    bool isZero() const { return count == 0 && !truncated; }
};

// Reads `text` (white space around it ignored) as a number into `out`: an optional sign,
// digits with an optional fraction, an optional exponent (E-3). First in the invariant form
// (1234.5), then in the locale's, whose grouping must be in groups of three (1.234,5). A text
// that reads both ways, such as "1.500" under a German locale, takes the invariant meaning 1.5.
// False when it is not a number. (An out-parameter: NumberText is large, and this is on the
// path of every converted value.)
bool parseNumberText(std::u16string_view text, const ValueLocale& locale, NumberText& out);

// The shortest decimal that reads back as `v`. REQUIRES: v is finite.
NumberText shortestDecimal(double v);
NumberText shortestDecimal(float v);

// `x` at `scale`, rounded half to even; nullopt when the magnitude would pass 128 bits.
std::optional<ExactNumber> numberTextToExact(const NumberText& x, uint8_t scale);
// The nearest double or float; nullopt beyond the type's range. Tiny values become 0.
std::optional<double> numberTextToDouble(const NumberText& x);
std::optional<float> numberTextToFloat(const NumberText& x);

// VBA's CStr: 15 (Single: 7) significant digits, scientific from 1E+15 up and below 0,0001
// ("1E-05"), the locale's decimal separator, no grouping; -0 is "0". REQUIRES: v is finite.
std::u16string formatDouble(double v, const ValueLocale& locale);
std::u16string formatSingle(float v, const ValueLocale& locale);
// Every digit of `x`, trailing zeros of the fraction dropped ("1,5" for Currency 1.5000).
std::u16string formatExact(const ExactNumber& x, const ValueLocale& locale);

}  // namespace jet
