#include "jet/base/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "jet/base/text_reader.h"

namespace jet {
namespace {

using number_text_format::kMaxExponent;
using number_text_format::kMaxSignificantDigits;

// Decimal orders beyond which a number is certainly outside (or certainly below) the range of
// double and float, so that from_chars never sees an absurd exponent.
inline constexpr int64_t kBeyondFloatingOrder = 400;

// How the digits of one form are separated; no grouping when `grouping` is 0.
struct NumberForm {
    char16_t decimal = u'.';
    char16_t grouping = 0;
};

void addDigit(NumberText& x, char16_t c, bool fraction) {
    const char d = static_cast<char>(c);
    if (x.count == 0 && d == '0') {  // a leading zero
        if (fraction) --x.exponent;
        return;
    }
    if (x.count < kMaxSignificantDigits) {
        x.digits[x.count++] = d;
        if (fraction) --x.exponent;
        return;
    }
    if (!fraction) ++x.exponent;
    x.truncated = x.truncated || d != '0';
}

size_t readDigits(TextReader& r, NumberText& x, bool fraction) {
    size_t n = 0;
    for (; isAsciiDigit(r.peek()); ++n, r.skip()) addDigit(x, r.peek(), fraction);
    return n;
}

// A group is the separator and exactly three digits.
bool atGroup(const TextReader& r, char16_t grouping) {
    return r.peek() == grouping && isAsciiDigit(r.peek(1)) && isAsciiDigit(r.peek(2)) &&
           isAsciiDigit(r.peek(3)) && !isAsciiDigit(r.peek(4));
}

size_t readIntegerPart(TextReader& r, NumberText& x, char16_t grouping) {
    const size_t first = readDigits(r, x, false);
    size_t total = first;
    if (grouping == 0 || first == 0 || first > 3) return total;
    while (atGroup(r, grouping)) {
        r.skip();
        total += readDigits(r, x, false);
    }
    return total;
}

bool readExponent(TextReader& r, NumberText& x) {
    const bool negative = r.take(u'-');
    if (!negative) r.take(u'+');
    if (!isAsciiDigit(r.peek())) return false;
    int64_t e = 0;
    for (; isAsciiDigit(r.peek()); r.skip()) e = std::min(kMaxExponent, e * 10 + (r.peek() - u'0'));
    x.exponent += negative ? -e : e;
    return true;
}

void normalize(NumberText& x) {
    if (x.truncated) return;  // the zeros kept are significant to the dropped digits
    for (; x.count > 0 && x.digits[x.count - 1] == '0'; --x.count) ++x.exponent;
    if (x.count == 0) {
        x.negative = false;
        x.exponent = 0;
    }
}

bool parseForm(std::u16string_view text, NumberForm form, NumberText& x) {
    TextReader r(text);
    x.truncated = false;
    x.count = 0;
    x.exponent = 0;
    x.negative = r.take(u'-');
    if (!x.negative) r.take(u'+');
    size_t digits = readIntegerPart(r, x, form.grouping);
    if (r.take(form.decimal)) digits += readDigits(r, x, true);
    if (digits == 0) return false;
    if ((r.take(u'E') || r.take(u'e')) && !readExponent(r, x)) return false;
    if (!r.done()) return false;
    normalize(x);
    return true;
}

// The first `end` digits of `x` (zeros past its last) as a magnitude; false when it passes 128
// bits.
bool accumulate(const NumberText& x, size_t end, Magnitude& m) {
    constexpr Magnitude kMax = ~Magnitude{0};
    for (size_t i = 0; i < end; ++i) {
        const auto d = static_cast<unsigned>(i < x.count ? x.digits[i] - '0' : 0);
        if (m > (kMax - d) / 10) return false;
        m = m * 10 + d;
    }
    return true;
}

template <typename Floating>
std::optional<Floating> numberTextToFloating(const NumberText& x) {
    if (x.isZero()) return Floating{0};
    const int64_t order = x.count + x.exponent;  // 10^(order-1) <= |x| < 10^order
    if (order > kBeyondFloatingOrder) return std::nullopt;
    if (order < -kBeyondFloatingOrder) return Floating{0};
    // A dropped non-zero digit stands in as a final 1, which rounds the same way.
    std::array<char, kMaxSignificantDigits + 32> text{};
    char* end = std::copy(x.digits.begin(), x.digits.begin() + x.count, text.begin());
    if (x.truncated) *end++ = '1';
    *end++ = 'e';
    end = std::to_chars(end, text.end(), x.exponent - (x.truncated ? 1 : 0)).ptr;
    Floating v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (ec == std::errc::result_out_of_range) {
        if (order > 0) return std::nullopt;
        v = 0;
    }
    return x.negative ? -v : v;
}

template <typename Floating>
NumberText shortestOf(Floating v) {
    std::array<char, 64> ascii{};
    const auto end =
        std::to_chars(ascii.begin(), ascii.end(), v, std::chars_format::scientific).ptr;
    std::array<char16_t, 64> text{};
    std::copy(ascii.begin(), end, text.begin());
    const auto size = static_cast<size_t>(end - ascii.begin());
    NumberText x;
    parseForm(std::u16string_view(text.data(), size), NumberForm{}, x);
    return x;
}

template <typename Floating>
std::u16string formatFloating(Floating v, int digits, const ValueLocale& locale) {
    if (v == 0) v = 0;  // VBA writes -0 as 0
    std::array<char, 64> ascii{};
    const auto end =
        std::to_chars(ascii.begin(), ascii.end(), v, std::chars_format::general, digits).ptr;
    std::u16string out;
    for (auto* p = ascii.begin(); p != end; ++p) {
        if (*p == '.') {
            out += locale.decimalSeparator;
        } else {
            out += static_cast<char16_t>(*p == 'e' ? 'E' : *p);
        }
    }
    return out;
}

}  // namespace

bool parseNumberText(std::u16string_view text, const ValueLocale& locale, NumberText& out) {
    text = trimWhiteSpace(text);
    return parseForm(text, NumberForm{}, out) ||
           parseForm(text, NumberForm{locale.decimalSeparator, locale.groupingSeparator}, out);
}

NumberText shortestDecimal(double v) {
    return shortestOf(v);
}
NumberText shortestDecimal(float v) {
    return shortestOf(v);
}

std::optional<ExactNumber> numberTextToExact(const NumberText& x, uint8_t scale) {
    const int64_t shift = x.exponent + scale;  // x * 10^scale = digits * 10^shift
    const int64_t keep = x.count + shift;      // digits of the result
    if (x.isZero() || keep < 0) return ExactNumber{false, 0, scale};
    if (keep > decimal_format::kMaxMagnitudeDigits) return std::nullopt;
    Magnitude m = 0;
    if (!accumulate(x, static_cast<size_t>(keep), m)) return std::nullopt;
    if (keep < x.count) {
        const auto at = static_cast<size_t>(keep);
        const int roundDigit = x.digits[at] - '0';
        const bool below = x.truncated || at + 1 < x.count;  // normalized: no trailing zeros
        if (roundDigit > 5 || (roundDigit == 5 && (below || (m & 1) != 0))) {
            if (m == ~Magnitude{0}) return std::nullopt;
            ++m;
        }
    }
    return ExactNumber{x.negative && m != 0, m, scale};
}

std::optional<double> numberTextToDouble(const NumberText& x) {
    return numberTextToFloating<double>(x);
}

std::optional<float> numberTextToFloat(const NumberText& x) {
    return numberTextToFloating<float>(x);
}

std::u16string formatDouble(double v, const ValueLocale& locale) {
    return formatFloating(v, number_text_format::kDoubleDigits, locale);
}

std::u16string formatSingle(float v, const ValueLocale& locale) {
    return formatFloating(v, number_text_format::kSingleDigits, locale);
}

std::u16string formatExact(const ExactNumber& x, const ValueLocale& locale) {
    const MagnitudeDigits digits = magnitudeDigits(x.magnitude);
    std::string all(digits.view());
    if (all.size() <= x.scale) all.insert(0, x.scale + 1 - all.size(), '0');
    const size_t point = all.size() - x.scale;
    size_t end = all.size();
    while (end > point && all[end - 1] == '0') --end;
    std::u16string out;
    if (x.negative && x.magnitude != 0) out += u'-';
    for (size_t i = 0; i < end; ++i) {
        if (i == point) out += locale.decimalSeparator;
        out += static_cast<char16_t>(all[i]);
    }
    return out;
}

}  // namespace jet
