#include "jet/table/field_encoding.h"

#include <cstring>
#include <limits>

#include "jet/base/errors.h"
#include "jet/base/text.h"
#include "jet/format/extended_date_layout.h"
#include "jet/table/extended_date_field.h"
#include "jet/table/index_value_conversion.h"
#include "jet/table/text_compression.h"

namespace jet {

using namespace field_layout;

namespace {

__extension__ typedef unsigned __int128 Magnitude;

template <typename T>
void appendLittleEndian(T value, std::vector<uint8_t>& out) {
    uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));  // the engine runs on little-endian machines only
    out.insert(out.end(), bytes, bytes + sizeof(T));
}

template <typename T>
size_t putLittleEndian(T value, uint8_t* out, size_t room) {
    if (room < sizeof(T)) return 0;
    std::memcpy(out, &value, sizeof(T));
    return sizeof(T);
}

template <typename T>
T integerOf(const ColumnDef& column, const Value& value) {
    if (auto* exact = std::get_if<T>(&value)) return *exact;
    return static_cast<T>(
        integerValue(column, value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

void appendGuid(const ColumnDef& column, const Value& value, std::vector<uint8_t>& out) {
    const Guid guid = guidValue(column, value);
    for (uint8_t from : kGuidOrder) out.push_back(guid.bytes[from]);
}

void appendDecimal(const ColumnDef& column, const Value& value, std::vector<uint8_t>& out) {
    const Decimal d = decimalValue(column, value);
    const Magnitude magnitude = Magnitude{d.high} << 64 | d.low;
    Magnitude limit = 1;
    for (uint8_t i = 0; i < column.precision; ++i) limit *= 10;
    if (column.precision > 0 && magnitude >= limit)
        throw Error(ErrorCode::NumericOverflow,
                    "Der Wert hat mehr als " + std::to_string(column.precision) +
                        " Stellen für die Spalte „" + toUtf8(column.name) + "“.");
    out.push_back(d.negative ? kDecimalNegative : 0);
    // Four 32-bit words, most significant first, each little-endian.
    for (uint64_t half : {d.high, d.low}) {
        appendLittleEndian(static_cast<uint32_t>(half >> 32), out);
        appendLittleEndian(static_cast<uint32_t>(half), out);
    }
}

size_t putExtendedDate(const ColumnDef& column, const Value& value, uint8_t* out, size_t room) {
    if (room < extended_date_layout::kSize) return 0;
    writeExtendedDateField(extendedDateValue(column, value), out);
    return extended_date_layout::kSize;
}

void appendExtendedDate(const ColumnDef& column, const Value& value, std::vector<uint8_t>& out) {
    const ExtendedDateTime date = extendedDateValue(column, value);
    const size_t at = out.size();
    out.resize(at + extended_date_layout::kSize);
    writeExtendedDateField(date, out.data() + at);
}

void appendText(const ColumnDef& column, const Value& value, std::vector<uint8_t>& out) {
    appendStoredText(column, fieldText(column, value), out);
}

void appendBinary(const ColumnDef& column, const Value& value, std::vector<uint8_t>& out) {
    auto* bytes = std::get_if<Bytes>(&value);
    if (bytes == nullptr) throwWrongKind(column);
    // Unknown types keep whatever their lengths mean; only Binary's limit is known.
    if (column.type() == ColumnType::Binary && bytes->size() > column.length)
        throwTooLong(column, bytes->size(), column.length);
    out.insert(out.end(), bytes->begin(), bytes->end());
}

}  // namespace

std::u16string_view fieldText(const ColumnDef& column, const Value& value) {
    auto* text = std::get_if<std::u16string>(&value);
    if (text == nullptr) throwWrongKind(column);
    // UCS-2 text takes two bytes a character, code-page text one.
    const size_t limit = column.length / column.bytesPerCharacter();
    if (text->size() > limit) throwTooLong(column, text->size(), limit);
    return *text;
}

[[noreturn]] void throwWrongKind(const ColumnDef& column) {
    throw Error(ErrorCode::ConversionFailed, "Der Wert passt nicht zum Datentyp der Spalte „" +
                                                 toUtf8(column.name) + "“ (" +
                                                 columnTypeName(column.typeCode) + ").");
}

[[noreturn]] void throwTooLong(const ColumnDef& column, size_t length, size_t limit) {
    throw Error(ErrorCode::FieldTooSmall,
                "Das Feld „" + toUtf8(column.name) + "“ ist zu klein für den Wert (" +
                    std::to_string(length) + " statt höchstens " + std::to_string(limit) + ").");
}

void appendFieldBytes(const ColumnDef& column, const Value& value, std::vector<uint8_t>& out) {
    switch (column.type()) {
        case ColumnType::Byte:
            return out.push_back(integerOf<uint8_t>(column, value));
        case ColumnType::Integer:
            return appendLittleEndian(integerOf<int16_t>(column, value), out);
        case ColumnType::Long:
            return appendLittleEndian(integerOf<int32_t>(column, value), out);
        case ColumnType::BigInt:
            return appendLittleEndian(integerOf<int64_t>(column, value), out);
        case ColumnType::ExtendedDateTime:
            return appendExtendedDate(column, value, out);
        case ColumnType::Currency:
            return appendLittleEndian(currencyValue(column, value).units, out);
        case ColumnType::Single:
            return appendLittleEndian(singleValue(column, value), out);
        case ColumnType::Double:
        case ColumnType::DateTime:
            return appendLittleEndian(doubleValue(column, value), out);
        case ColumnType::Guid:
            return appendGuid(column, value, out);
        case ColumnType::Decimal:
            return appendDecimal(column, value, out);
        case ColumnType::Text:
            return appendText(column, value, out);
        default:
            return appendBinary(column, value, out);  // Binary and unknown types
    }
}

size_t writeFixedFieldBytes(const ColumnDef& column, const Value& value, uint8_t* out,
                            size_t room) {
    switch (column.type()) {
        case ColumnType::Byte:
            return putLittleEndian(integerOf<uint8_t>(column, value), out, room);
        case ColumnType::Integer:
            return putLittleEndian(integerOf<int16_t>(column, value), out, room);
        case ColumnType::Long:
            return putLittleEndian(integerOf<int32_t>(column, value), out, room);
        case ColumnType::BigInt:
            return putLittleEndian(integerOf<int64_t>(column, value), out, room);
        case ColumnType::ExtendedDateTime:
            return putExtendedDate(column, value, out, room);
        case ColumnType::Currency:
            return putLittleEndian(currencyValue(column, value).units, out, room);
        case ColumnType::Single:
            return putLittleEndian(singleValue(column, value), out, room);
        case ColumnType::Double:
        case ColumnType::DateTime:
            return putLittleEndian(doubleValue(column, value), out, room);
        default:
            return 0;
    }
}

}  // namespace jet
