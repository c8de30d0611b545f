#include "jet/table/calculated_value.h"

#include <algorithm>

#include "jet/format/calculated_value_layout.h"

namespace jet {

using namespace calculated_value_layout;

ByteView unwrapCalculatedValue(const ByteView& stored) {
    if (stored.size() < kDataAt) return stored;
    const size_t length = std::min<size_t>(stored.u32(kDataLengthAt), stored.size() - kDataAt);
    return stored.sub(kDataAt, length);
}

namespace {

// The magnitude's bytes most significant first, undoing the stored word order.
void bigEndianMagnitude(const ByteView& stored, size_t size, uint8_t* out) {
    size_t at = 0;
    if (size % 8 != 0) {
        for (size_t i = 0; i < 4; ++i) out[i] = stored.u8(3 - i);
        at = 4;
    }
    for (; at < size; at += 8)
        for (size_t i = 0; i < 8; ++i) out[at + i] = stored.u8(at + 7 - i);
}

}  // namespace

Decimal decodeCalculatedDecimal(const ByteView& result) {
    const uint16_t length = result.u16(kDecimalLengthAt);
    const size_t rest = length > 0 ? length : result.size() - kDecimalScaleAt;
    const size_t size = rest < 2 ? 0 : std::min((rest - 2) / 4 * 4, kDecimalMaxMagnitude);
    uint8_t magnitude[kDecimalMaxMagnitude] = {};
    bigEndianMagnitude(result.sub(kDecimalMagnitudeAt, size), size, magnitude);
    Decimal d;
    d.scale = result.u8(kDecimalScaleAt);
    for (size_t i = 0; i < size; ++i) {
        const size_t fromEnd = size - 1 - i;
        uint64_t& half = fromEnd >= 8 ? d.high : d.low;
        half |= uint64_t{magnitude[i]} << (8 * (fromEnd % 8));
    }
    d.negative = result.u8(kDecimalSignAt) != 0 && (d.high != 0 || d.low != 0);
    return d;
}

}  // namespace jet
