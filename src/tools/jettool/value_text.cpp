#include "tools/jettool/value_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "jet/base/civil_calendar.h"

namespace jettool {

std::string formatDateTime(double days) {
    // The whole part counts days (backwards before 1899-12-30), the fraction is the time of
    // day with the same sign.
    double whole = std::trunc(days);
    double fraction = std::fabs(days - whole);
    auto seconds = static_cast<int64_t>(std::llround(fraction * 86400.0));
    auto dayNumber = static_cast<int64_t>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        dayNumber += days < 0 ? -1 : 1;
    }
    const int64_t kEpochOffset = 25569;  // 1899-12-30 to 1970-01-01
    const jet::CivilDate date = jet::civilFromDays(dayNumber - kEpochOffset);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02lld:%02lld:%02lld",
                  static_cast<long long>(date.year), date.month, date.day,
                  static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                  static_cast<long long>(seconds % 60));
    return buf;
}

std::string formatDecimal(const jet::Decimal& v) {
    // 128-bit magnitude to decimal digits by repeated division of 32-bit limbs.
    uint32_t limbs[4] = {static_cast<uint32_t>(v.high >> 32), static_cast<uint32_t>(v.high),
                         static_cast<uint32_t>(v.low >> 32), static_cast<uint32_t>(v.low)};
    std::string digits;  // least significant first
    bool more = true;
    while (more) {
        more = false;
        uint64_t remainder = 0;
        for (auto& limb : limbs) {
            uint64_t cur = remainder << 32 | limb;
            limb = static_cast<uint32_t>(cur / 10);
            remainder = cur % 10;
            more = more || limb != 0;
        }
        digits.push_back(static_cast<char>('0' + remainder));
    }
    while (digits.size() <= v.scale) digits.push_back('0');
    if (v.scale > 0) digits.insert(v.scale, 1, '.');
    std::reverse(digits.begin(), digits.end());
    bool isZero = digits.find_first_not_of("0.") == std::string::npos;
    return (v.negative && !isZero ? "-" : "") + digits;
}

std::string formatGuid(const jet::Guid& g) {
    char buf[40];
    const auto& b = g.bytes;
    std::snprintf(buf, sizeof buf,
                  "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[0],
                  b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return buf;
}

std::string formatDouble(double v) {
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, result.ptr);
}

std::string formatSingle(float v) {
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, result.ptr);
}

std::string formatHex(const jet::Bytes& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

std::string formatCurrency(const jet::Currency& c) {
    int64_t units = c.units;
    bool negative = units < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s%llu.%04llu", negative ? "-" : "",
                  static_cast<unsigned long long>(magnitude / 10000),
                  static_cast<unsigned long long>(magnitude % 10000));
    return buf;
}

}  // namespace jettool
