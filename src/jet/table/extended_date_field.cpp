#include "jet/table/extended_date_field.h"

#include <cstring>

#include "jet/base/extended_date.h"
#include "jet/format/extended_date_layout.h"

namespace jet {
namespace {

using namespace extended_date_layout;

void putDigits(int64_t value, size_t digits, uint8_t* out) {
    for (size_t i = digits; i-- > 0; value /= 10) out[i] = static_cast<uint8_t>('0' + value % 10);
}

int64_t digitsAt(const ByteView& field, size_t at, size_t digits) {
    int64_t value = 0;
    for (size_t i = 0; i < digits; ++i) {
        const uint8_t c = field.u8(at + i);
        if (c < '0' || c > '9') throwCorrupt(field.page(), "erweitertes Datum ist keine Zahl");
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

void writeExtendedDateField(const ExtendedDateTime& value, uint8_t* out) {
    const ExtendedDateParts parts = splitExtendedDate(value);
    putDigits(parts.day, kDaysDigits, out + kDaysAt);
    out[kDaysSeparatorAt] = kSeparator;
    putDigits(parts.second, kSecondsDigits, out + kSecondsAt);
    putDigits(parts.tick, kTicksDigits, out + kTicksAt);
    std::memcpy(out + kTrailerAt, kTrailer, sizeof kTrailer);
}

ExtendedDateTime readExtendedDateField(const ByteView& field) {
    field.require(0, kSize);
    // 19 digits may exceed int64; a real day count has at most 7.
    const size_t dayDigits = 7;
    const int64_t high = digitsAt(field, kDaysAt, kDaysDigits - dayDigits);
    const ExtendedDateParts parts{digitsAt(field, kDaysAt + kDaysDigits - dayDigits, dayDigits),
                                  digitsAt(field, kSecondsAt, kSecondsDigits),
                                  digitsAt(field, kTicksAt, kTicksDigits)};
    const auto value = high == 0 ? joinExtendedDate(parts) : std::nullopt;
    if (!value) throwCorrupt(field.page(), "erweitertes Datum außerhalb des Bereichs");
    return *value;
}

}  // namespace jet
