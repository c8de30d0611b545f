#include "odbc/column_value.h"

#include <sql.h>
#include <sqlext.h>

#include <cstring>

#include "odbc/date_time_text.h"
#include "odbc/decimal_text.h"
#include "odbc/error.h"

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

// One character of UTF-8 at `at`, which moves past it; false for bytes that are not UTF-8
// (overlong forms and surrogates included).
bool nextUtf8(const unsigned char* data, size_t length, size_t& at, char32_t& c) {
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    const unsigned char lead = data[at];
    if (lead < 0x80) {
        c = lead;
        ++at;
        return true;
    }
    if (lead < 0xC2 || lead > 0xF4) return false;
    const size_t extra = lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    if (at + extra >= length) return false;
    c = lead & (0x3Fu >> extra);
    for (size_t i = 1; i <= extra; ++i) {
        if ((data[at + i] & 0xC0) != 0x80) return false;
        c = (c << 6) | (data[at + i] & 0x3Fu);
    }
    at += extra + 1;
    return c >= kSmallest[extra] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

// Strict: a driver's bytes that are not UTF-8 are an error of the value, not text with
// characters replaced. UTF-8 never takes fewer bytes than UTF-16 takes code units, so the text
// is written into room for `length` units and cut to what it took.
void assignUtf8Text(Value& slot, const unsigned char* data, size_t length) {
    std::u16string& text = holding<std::u16string>(slot);
    text.resize(length);
    char16_t* out = text.data();
    for (size_t at = 0; at < length;) {
        if (data[at] < 0x80) {  // most text: one byte, one unit
            *out++ = data[at++];
            continue;
        }
        const size_t start = at;
        char32_t c = 0;
        if (!nextUtf8(data, length, at, c)) {
            throw Error("Der Text des Treibers ist kein gültiges UTF-8 (Byte " +
                            std::to_string(start + 1) + ")",
                        "22018");
        }
        if (c >= 0x10000) {
            *out++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            *out++ = static_cast<char16_t>(c);
        }
    }
    text.resize(static_cast<size_t>(out - text.data()));
}

std::string_view asciiText(const unsigned char* data, size_t length) {
    return {reinterpret_cast<const char*>(data), length};
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
    Date date{d.year, d.month, d.day};
    checkDate(date);
    return date;
}

Timestamp toTimestamp(const SQL_TIMESTAMP_STRUCT& t) {
    Timestamp timestamp{t.year, t.month, t.day, t.hour, t.minute, t.second, t.fraction};
    checkTimestamp(timestamp);
    return timestamp;
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
        case ValueKind::Utf8Text:
            assignUtf8Text(slot, data, length);
            return;
        case ValueKind::Binary:
            assignBytes(slot, data, length);
            return;
        case ValueKind::Date:
            slot.emplace<Date>(toDate(load<SQL_DATE_STRUCT>(data)));
            return;
        case ValueKind::DateText:
            slot.emplace<Date>(parseDate(asciiText(data, length)));
            return;
        case ValueKind::TimestampText:
            slot.emplace<Timestamp>(parseTimestamp(asciiText(data, length)));
            return;
        case ValueKind::TimeText:
            slot.emplace<Time>(parseTimeOfDay(asciiText(data, length)));
            return;
        case ValueKind::Timestamp:
            slot.emplace<Timestamp>(toTimestamp(load<SQL_TIMESTAMP_STRUCT>(data)));
            return;
        case ValueKind::OffsetTimestampText:
            slot.emplace<Timestamp>(parseOffsetTimestamp(asciiText(data, length)));
            return;
        case ValueKind::Guid:
            slot.emplace<Guid>(toGuid(load<SQLGUID>(data)));
            return;
    }
}

}  // namespace odbc
