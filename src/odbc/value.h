// One column value of a result set: NULL or one of the ODBC types, in a form that loses nothing
// the driver delivered.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace odbc {

struct Null {
    bool operator==(const Null&) const = default;
};

// An exact DECIMAL/NUMERIC as text: an optional '-', digits, and when there is a fraction a '.'
// and its digits ("-12345.670"); never through a binary floating point number. A source value
// that is no number (PostgreSQL's NaN, Infinity) keeps the driver's word.
struct Decimal {
    std::string text;
    bool operator==(const Decimal&) const = default;
};

struct Date {
    int16_t year = 0;
    uint16_t month = 0;
    uint16_t day = 0;
    bool operator==(const Date&) const = default;
};

struct Time {
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint32_t nanoseconds = 0;  // the fraction of the second
    bool operator==(const Time&) const = default;
};

struct Timestamp {
    int16_t year = 0;
    uint16_t month = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint32_t nanoseconds = 0;  // the fraction of the second
    bool operator==(const Timestamp&) const = default;
};

// The 16 bytes in the order the GUID is written ({00112233-4455-6677-8899-AABBCCDDEEFF}).
struct Guid {
    std::array<uint8_t, 16> bytes{};
    bool operator==(const Guid&) const = default;
};

using Bytes = std::vector<uint8_t>;

// Integers keep their width: TINYINT is int8_t, or uint8_t when unsigned (SQL Server's); an
// unsigned SMALLINT or INTEGER (SQL_DESC_UNSIGNED) moves to the next wider signed type, an
// unsigned BIGINT to uint64_t. Text is UTF-16. Types without a place here
// (intervals, XML, driver-specific ones) arrive as the driver's text.
using Value = std::variant<Null, bool, int8_t, uint8_t, int16_t, int32_t, int64_t, uint64_t, float,
                           double, Decimal, std::u16string, Date, Time, Timestamp, Bytes, Guid>;

inline bool isNull(const Value& v) {
    return std::holds_alternative<Null>(v);
}

}  // namespace odbc
