#include "engine/speed_text.h"

#include <cstdlib>
#include <optional>

namespace engine {

namespace {

// rows / seconds in tenths, halves away from zero. Computed on integers, so that a rate that
// ends in exactly 5 hundredths rounds up however the quotient would come out in binary.
int64_t rateInTenths(int64_t rows, int64_t seconds) {
    const int64_t magnitude = (std::llabs(rows) * 20 + seconds) / (2 * seconds);
    return rows < 0 ? -magnitude : magnitude;
}

std::u16string groupedDigits(int64_t whole, char16_t groupSeparator) {
    if (whole == 0) {
        return {};
    }
    std::u16string digits;
    for (int count = 0; whole > 0; whole /= 10, ++count) {
        if (count > 0 && count % 3 == 0) {
            digits.insert(digits.begin(), groupSeparator);
        }
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + whole % 10));
    }
    return digits;
}

std::u16string formatTenths(int64_t tenths, const NumberSeparators& separators) {
    std::u16string text = tenths < 0 ? u"-" : u"";
    const int64_t magnitude = std::llabs(tenths);
    text += groupedDigits(magnitude / 10, separators.group);
    text += separators.decimal;
    text += static_cast<char16_t>(u'0' + magnitude % 10);
    return text;
}

}  // namespace

std::u16string SpeedText(const Clock& clock, int32_t startSecond, int64_t rowCounter,
                         const NumberSeparators& separators) {
    const std::optional<int32_t> elapsed =
        roundHalfEven(clock.secondsSinceMidnight() - static_cast<double>(startSecond));
    if (!elapsed) {
        return u"?";
    }
    const int64_t tenths = *elapsed > 0 ? rateInTenths(rowCounter, *elapsed) : 0;
    return formatTenths(tenths, separators);
}

}  // namespace engine
