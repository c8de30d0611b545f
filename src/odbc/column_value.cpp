#include "odbc/column_value.h"

#include <sql.h>
#include <sqlext.h>

#include <cstring>

#include "odbc/decimal_text.h"

namespace odbc {
namespace {

template <class T>
T& holding(Value& slot) {
    if (!std::holds_alternative<T>(slot)) slot.emplace<T>();
    return std::get<T>(slot);
}

template <class T>
T load(const unsigned char* data) {
    T value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

void assignText(Value& slot, const unsigned char* data, size_t length) {
    std::u16string& text = holding<std::u16string>(slot);
    text.resize(length / sizeof(char16_t));
    std::memcpy(text.data(), data, text.size() * sizeof(char16_t));
}

void assignDecimal(Value& slot, const unsigned char* data, size_t length) {
    std::string& text = holding<Decimal>(slot).text;
    text.assign(reinterpret_cast<const char*>(data), length);
    normaliseDecimalText(text);
}

void assignBytes(Value& slot, const unsigned char* data, size_t length) {
    holding<Bytes>(slot).assign(data, data + length);
}

Date toDate(const SQL_DATE_STRUCT& d) {
    return {d.year, d.month, d.day};
}

Time toTime(const SQL_TIME_STRUCT& t) {
    return {t.hour, t.minute, t.second};
}

Timestamp toTimestamp(const SQL_TIMESTAMP_STRUCT& t) {
    return {t.year, t.month, t.day, t.hour, t.minute, t.second, t.fraction};
}

// SQLGUID holds the first three groups as numbers; written out they read most significant
// byte first.
Guid toGuid(const SQLGUID& g) {
    Guid guid;
    for (int i = 0; i < 4; ++i) guid.bytes[i] = static_cast<uint8_t>(g.Data1 >> (24 - 8 * i));
    guid.bytes[4] = static_cast<uint8_t>(g.Data2 >> 8);
    guid.bytes[5] = static_cast<uint8_t>(g.Data2);
    guid.bytes[6] = static_cast<uint8_t>(g.Data3 >> 8);
    guid.bytes[7] = static_cast<uint8_t>(g.Data3);
    std::memcpy(guid.bytes.data() + 8, g.Data4, 8);
    return guid;
}

}  // namespace

void assignValue(Value& slot, ValueKind kind, const unsigned char* data, size_t length) {
    switch (kind) {
        case ValueKind::Bit:
            slot.emplace<bool>(data[0] != 0);
            return;
        case ValueKind::SignedTinyint:
            slot.emplace<int8_t>(load<int8_t>(data));
            return;
        case ValueKind::UnsignedTinyint:
            slot.emplace<uint8_t>(load<uint8_t>(data));
            return;
        case ValueKind::Smallint:
            slot.emplace<int16_t>(load<int16_t>(data));
            return;
        case ValueKind::Integer:
            slot.emplace<int32_t>(load<int32_t>(data));
            return;
        case ValueKind::Bigint:
            slot.emplace<int64_t>(load<int64_t>(data));
            return;
        case ValueKind::UnsignedBigint:
            slot.emplace<uint64_t>(load<uint64_t>(data));
            return;
        case ValueKind::Real:
            slot.emplace<float>(load<float>(data));
            return;
        case ValueKind::Double:
            slot.emplace<double>(load<double>(data));
            return;
        case ValueKind::DecimalText:
            assignDecimal(slot, data, length);
            return;
        case ValueKind::Text:
            assignText(slot, data, length);
            return;
        case ValueKind::Binary:
            assignBytes(slot, data, length);
            return;
        case ValueKind::Date:
            slot.emplace<Date>(toDate(load<SQL_DATE_STRUCT>(data)));
            return;
        case ValueKind::Time:
            slot.emplace<Time>(toTime(load<SQL_TIME_STRUCT>(data)));
            return;
        case ValueKind::Timestamp:
            slot.emplace<Timestamp>(toTimestamp(load<SQL_TIMESTAMP_STRUCT>(data)));
            return;
        case ValueKind::Guid:
            slot.emplace<Guid>(toGuid(load<SQLGUID>(data)));
            return;
    }
}

}  // namespace odbc
