#include "jet/base/exact_number.h"

#include <charconv>
#include <limits>

namespace jet {
namespace {

// Decimal text "digits e-scale" read by from_chars: one correct rounding, no locale.
template <typename Floating>
Floating exactToFloating(const ExactNumber& x) {
    const MagnitudeDigits digits = magnitudeDigits(x.magnitude);
    std::array<char, decimal_format::kMaxMagnitudeDigits + 8> text{};
    char* end = std::copy(digits.chars.begin(), digits.chars.begin() + digits.size, text.begin());
    *end++ = 'e';
    *end++ = '-';
    end = std::to_chars(end, text.end(), unsigned{x.scale}).ptr;
    Floating v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (ec == std::errc::result_out_of_range) {
        // Beyond the range when the integer part has digits, else an underflow to zero.
        const bool overflow = digits.size > x.scale;
        v = overflow ? std::numeric_limits<Floating>::infinity() : Floating{0};
    }
    return x.negative ? -v : v;
}

}  // namespace

ExactNumber exactFromInteger(int64_t v, uint8_t scale) {
    const bool negative = v < 0;
    const uint64_t magnitude =
        negative ? uint64_t{0} - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    return {negative, magnitude, scale};
}

std::optional<ExactNumber> exactOf(const Value& value) {
    if (auto* b = std::get_if<bool>(&value)) return exactFromInteger(*b ? -1 : 0);
    if (auto* u = std::get_if<uint8_t>(&value)) return exactFromInteger(*u);
    if (auto* i = std::get_if<int16_t>(&value)) return exactFromInteger(*i);
    if (auto* l = std::get_if<int32_t>(&value)) return exactFromInteger(*l);
    if (auto* b = std::get_if<int64_t>(&value)) return exactFromInteger(*b);
    if (auto* c = std::get_if<Currency>(&value)) {
        return exactFromInteger(c->units, decimal_format::kCurrencyScale);
    }
    if (auto* d = std::get_if<Decimal>(&value)) {
        return ExactNumber{d->negative, Magnitude{d->high} << 64 | d->low, d->scale};
    }
    return std::nullopt;
}

bool rescale(ExactNumber& x, uint8_t scale) {
    constexpr Magnitude kMax = ~Magnitude{0};
    for (; x.scale < scale; ++x.scale) {
        if (x.magnitude > kMax / 10) return false;
        x.magnitude *= 10;
    }
    bool dropped = false;  // any non-zero digit below the last one dropped
    unsigned last = 0;
    for (; x.scale > scale; --x.scale) {
        dropped = dropped || last != 0;
        last = static_cast<unsigned>(x.magnitude % 10);
        x.magnitude /= 10;
    }
    if (last > 5 || (last == 5 && (dropped || (x.magnitude & 1) != 0))) {
        if (x.magnitude == kMax) return false;
        ++x.magnitude;
    }
    return true;
}

double exactToDouble(const ExactNumber& x) {
    return exactToFloating<double>(x);
}
float exactToFloat(const ExactNumber& x) {
    return exactToFloating<float>(x);
}

std::optional<int64_t> exactUnits(const ExactNumber& x) {
    const Magnitude limit = Magnitude{1} << 63;
    if (x.magnitude > limit || (!x.negative && x.magnitude == limit)) return std::nullopt;
    const auto m = static_cast<uint64_t>(x.magnitude);
    return x.negative ? static_cast<int64_t>(uint64_t{0} - m) : static_cast<int64_t>(m);
}

Decimal exactToDecimal(const ExactNumber& x) {
    return Decimal{x.negative && x.magnitude != 0, x.scale,
                   static_cast<uint64_t>(x.magnitude >> 64), static_cast<uint64_t>(x.magnitude)};
}

MagnitudeDigits magnitudeDigits(Magnitude m) {
    MagnitudeDigits out;
    auto* end = out.chars.end();
    auto* begin = end;
    do {
        *--begin = static_cast<char>('0' + static_cast<unsigned>(m % 10));
        m /= 10;
    } while (m != 0);
    out.size = static_cast<uint8_t>(end - begin);
    std::copy(begin, end, out.chars.begin());
    return out;
}

bool fitsDigits(Magnitude m, unsigned digits) {
    Magnitude limit = 1;  // multiplying is far cheaper than dividing 128-bit numbers
    for (unsigned i = 0; i < digits; ++i) limit *= 10;
    return m < limit;
}

}  // namespace jet
