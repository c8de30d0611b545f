// One field value as the engine hands it out and takes it in: NULL or one of Jet's types.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace jet {

struct Null {
    bool operator==(const Null&) const = default;
};
// Money in units of 1/10,000, as Jet stores it.
struct Currency {
    int64_t units = 0;
    bool operator==(const Currency&) const = default;
};
// Days since 1899-12-30; before that date the whole part counts backwards and the fraction is
// still the time of day (-1.25 is 1899-12-29 06:00).
struct DateTime {
    double days = 0;
    bool operator==(const DateTime&) const = default;
};
// Access 2019's extended Date/Time: 100-ns ticks since 0001-01-01 00:00 in the proleptic
// Gregorian calendar, without time zone. The field holds 0001-01-01 to 9999-12-31.
struct ExtendedDateTime {
    int64_t ticks = 0;
    bool operator==(const ExtendedDateTime&) const = default;
};
// The 16 bytes in the order the GUID is written ({00112233-4455-6677-8899-AABBCCDDEEFF}).
struct Guid {
    std::array<uint8_t, 16> bytes{};
    bool operator==(const Guid&) const = default;
};
// An exact decimal: magnitude / 10^scale, with a sign. The magnitude has up to 128 bits,
// split into high and low halves.
struct Decimal {
    bool negative = false;
    uint8_t scale = 0;
    uint64_t high = 0;
    uint64_t low = 0;
    bool operator==(const Decimal&) const = default;
};
// Binary data (Binary and OLE fields, raw property values).
using Bytes = std::vector<uint8_t>;

// int64_t is ACE's BigInt (Access 2016 and later).
using Value = std::variant<Null, bool, uint8_t, int16_t, int32_t, int64_t, Currency, float, double,
                           DateTime, ExtendedDateTime, std::u16string, Bytes, Guid, Decimal>;

inline bool isNull(const Value& v) {
    return std::holds_alternative<Null>(v);
}

}  // namespace jet
