#include "jet/catalog/property_value.h"

#include <cstring>
#include <limits>
#include <optional>

#include "jet/base/text.h"
#include "jet/table/table_definition.h"

namespace jet {

namespace {

namespace width {
inline constexpr size_t kByte = 1;
inline constexpr size_t kInteger = 2;
inline constexpr size_t kLong = 4;
inline constexpr size_t kEight = 8;  // Currency, Double, DateTime, the widest integer
inline constexpr size_t kSingle = 4;
inline constexpr size_t kGuid = 16;
inline constexpr size_t kDecimal = 17;
}  // namespace width

Value asBytes(ByteView bytes) {
    return Bytes(bytes.span().begin(), bytes.span().end());
}

bool anyNonZero(ByteView bytes) {
    for (uint8_t b : bytes.span())
        if (b != 0) return true;
    return false;
}

// A little-endian integer of 1 (unsigned), 2, 4 or 8 (signed) bytes.
std::optional<int64_t> storedInteger(ByteView bytes) {
    switch (bytes.size()) {
        case 1:
            return bytes.u8(0);
        case 2:
            return static_cast<int16_t>(bytes.u16(0));
        case 4:
            return bytes.i32(0);
        case 8:
            return static_cast<int64_t>(bytes.u64(0));
        default:
            return std::nullopt;
    }
}

// The integer when it is stored at least `minWidth` wide and fits T.
template <typename T>
std::optional<T> integerOf(ByteView bytes, size_t minWidth) {
    if (bytes.size() < minWidth) return std::nullopt;
    std::optional<int64_t> v = storedInteger(bytes);
    if (!v || *v < std::numeric_limits<T>::min() || *v > std::numeric_limits<T>::max())
        return std::nullopt;
    return static_cast<T>(*v);
}

template <typename T>
Value integerValue(ByteView bytes, size_t minWidth) {
    std::optional<T> v = integerOf<T>(bytes, minWidth);
    return v ? Value(*v) : asBytes(bytes);
}

float storedSingle(ByteView bytes) {
    uint32_t bits = bytes.u32(0);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// The stored order has the first three groups little-endian; Guid wants the written order.
Guid storedGuid(ByteView bytes) {
    static constexpr std::array<size_t, 16> kWrittenFromStored = {3, 2, 1,  0,  5,  4,  7,  6,
                                                                  8, 9, 10, 11, 12, 13, 14, 15};
    Guid g;
    for (size_t i = 0; i < g.bytes.size(); ++i) g.bytes[i] = bytes.u8(kWrittenFromStored[i]);
    return g;
}

// Sign byte, then the magnitude as four little-endian words, most significant first.
Decimal storedDecimal(ByteView bytes) {
    auto word = [&](size_t i) { return uint64_t{bytes.u32(1 + 4 * i)}; };
    Decimal d;
    d.negative = bytes.u8(0) != 0;
    d.high = word(0) << 32 | word(1);
    d.low = word(2) << 32 | word(3);
    return d;
}

Value fixedWidthValue(ColumnType type, ByteView bytes) {
    switch (type) {
        case ColumnType::Currency:
            return Currency{static_cast<int64_t>(bytes.u64(0))};
        case ColumnType::Single:
            return storedSingle(bytes);
        case ColumnType::Double:
            return bytes.f64(0);
        case ColumnType::DateTime:
            return DateTime{bytes.f64(0)};
        case ColumnType::Guid:
            return storedGuid(bytes);
        case ColumnType::Decimal:
            return storedDecimal(bytes);
        default:
            return asBytes(bytes);
    }
}

std::optional<size_t> fixedWidthOf(ColumnType type) {
    switch (type) {
        case ColumnType::Currency:
        case ColumnType::Double:
        case ColumnType::DateTime:
            return width::kEight;
        case ColumnType::Single:
            return width::kSingle;
        case ColumnType::Guid:
            return width::kGuid;
        case ColumnType::Decimal:
            return width::kDecimal;
        default:
            return std::nullopt;
    }
}

}  // namespace

Value decodePropertyValue(uint8_t typeCode, ByteView bytes, const CodePageText* codec) {
    const auto type = static_cast<ColumnType>(typeCode);
    switch (type) {
        case ColumnType::Boolean:
            return bytes.size() > 0 ? Value(anyNonZero(bytes)) : asBytes(bytes);
        case ColumnType::Byte:
            return integerValue<uint8_t>(bytes, width::kByte);
        case ColumnType::Integer:
            return integerValue<int16_t>(bytes, width::kInteger);
        case ColumnType::Long:
            return integerValue<int32_t>(bytes, width::kLong);
        case ColumnType::Text:
        case ColumnType::Memo:
            return codec ? codec->decode(bytes.span()) : decodeStoredText(bytes.span());
        default:
            break;
    }
    std::optional<size_t> fixed = fixedWidthOf(type);
    if (fixed && bytes.size() == *fixed) return fixedWidthValue(type, bytes);
    return asBytes(bytes);  // Binary, OLE, unknown codes, and sizes that do not fit
}

}  // namespace jet
