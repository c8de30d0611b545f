#include "jet/base/extended_date.h"

#include <cmath>
#include <cstdio>

#include "jet/base/civil_calendar.h"
#include "jet/base/date_text.h"
#include "jet/base/text_reader.h"

namespace jet {
namespace {

using namespace extended_date;

inline constexpr int64_t kTicksPerMicrosecond = 10;
inline constexpr unsigned kFractionDigits = 7;

struct ClockTime {
    int64_t second = 0;  // of the day
    int64_t tick = 0;
};

// Exactly `digits` digits; nullopt (the reader moved) otherwise.
std::optional<int64_t> readDigits(TextReader& r, unsigned digits) {
    int64_t v = 0;
    for (unsigned i = 0; i < digits; ++i, r.skip()) {
        if (!isAsciiDigit(r.peek())) return std::nullopt;
        v = v * 10 + (r.peek() - u'0');
    }
    return v;
}

// Up to seven places after the point, as ticks; more places are refused, not rounded.
std::optional<int64_t> readTicks(TextReader& r) {
    int64_t ticks = 0;
    unsigned n = 0;
    for (; isAsciiDigit(r.peek()); ++n, r.skip()) {
        if (n == kFractionDigits) return std::nullopt;
        ticks = ticks * 10 + (r.peek() - u'0');
    }
    if (n == 0) return std::nullopt;
    for (; n < kFractionDigits; ++n) ticks *= 10;
    return ticks;
}

std::optional<int64_t> readIsoDay(TextReader& r) {
    auto year = readDigits(r, 4);
    if (!year || !r.take(u'-')) return std::nullopt;
    auto month = readDigits(r, 2);
    if (!month || !r.take(u'-')) return std::nullopt;
    auto day = readDigits(r, 2);
    if (!day || *year < 1 || *month < 1 || *month > 12) return std::nullopt;
    const CivilDate date{*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day)};
    if (date.day < 1 || date.day > daysInMonth(date.year, date.month)) return std::nullopt;
    return daysFromCivil(date) + kUnixEpochDay;
}

std::optional<ClockTime> readIsoTime(TextReader& r) {
    auto hour = readDigits(r, 2);
    if (!hour || !r.take(u':')) return std::nullopt;
    auto minute = readDigits(r, 2);
    if (!minute || *hour > 23 || *minute > 59) return std::nullopt;
    ClockTime t{*hour * 3600 + *minute * 60, 0};
    if (!r.take(u':')) return t;
    auto second = readDigits(r, 2);
    if (!second || *second > 59) return std::nullopt;
    t.second += *second;
    if (!r.take(u'.')) return t;
    auto ticks = readTicks(r);
    if (!ticks) return std::nullopt;
    t.tick = *ticks;
    return t;
}

std::optional<ExtendedDateTime> parseIso(std::u16string_view text) {
    TextReader r(text);
    auto day = readIsoDay(r);
    if (!day) return std::nullopt;
    ClockTime time;
    if (!r.done()) {
        if (!r.take(u' ') && !r.take(u'T')) return std::nullopt;
        auto read = readIsoTime(r);
        if (!read || !r.done()) return std::nullopt;
        time = *read;
    }
    return joinExtendedDate({*day, time.second, time.tick});
}

}  // namespace

bool isExtendedDateInRange(const ExtendedDateTime& value) {
    return value.ticks >= 0 && value.ticks <= kMaxTicks;
}

ExtendedDateParts splitExtendedDate(const ExtendedDateTime& value) {
    const int64_t inDay = value.ticks % kTicksPerDay;
    return {value.ticks / kTicksPerDay, inDay / kTicksPerSecond, inDay % kTicksPerSecond};
}

std::optional<ExtendedDateTime> joinExtendedDate(const ExtendedDateParts& parts) {
    if (parts.day < 0 || parts.day >= kDayCount || parts.second < 0 ||
        parts.second >= kSecondsPerDay || parts.tick < 0 || parts.tick >= kTicksPerSecond)
        return std::nullopt;
    return ExtendedDateTime{parts.day * kTicksPerDay + parts.second * kTicksPerSecond + parts.tick};
}

std::optional<ExtendedDateTime> extendedDateFromJetDays(double days) {
    if (!std::isfinite(days)) return std::nullopt;
    const double whole = std::trunc(days);
    if (whole < static_cast<double>(-kJetEpochDay - 1) ||
        whole > static_cast<double>(kDayCount - kJetEpochDay))
        return std::nullopt;
    const double microsecondsPerDay = static_cast<double>(kTicksPerDay / kTicksPerMicrosecond);
    const auto microseconds =
        static_cast<int64_t>(std::nearbyint(std::fabs(days - whole) * microsecondsPerDay));
    const int64_t day = static_cast<int64_t>(whole) + kJetEpochDay;
    const ExtendedDateTime value{day * kTicksPerDay + microseconds * kTicksPerMicrosecond};
    if (!isExtendedDateInRange(value)) return std::nullopt;
    return value;
}

double jetDaysOf(const ExtendedDateTime& value) {
    const ExtendedDateParts parts = splitExtendedDate(value);
    const auto whole = static_cast<double>(parts.day - kJetEpochDay);
    const double fraction =
        static_cast<double>(parts.second * kTicksPerSecond + parts.tick) / kTicksPerDay;
    return whole >= 0 ? whole + fraction : whole - fraction;
}

std::string formatExtendedDate(const ExtendedDateTime& value) {
    const ExtendedDateParts parts = splitExtendedDate(value);
    const CivilDate date = civilFromDays(parts.day - kUnixEpochDay);
    char text[96];  // room for any int64 the compiler cannot rule out
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02lld:%02lld:%02lld.%07lld",
                  static_cast<long long>(date.year), date.month, date.day,
                  static_cast<long long>(parts.second / 3600),
                  static_cast<long long>(parts.second / 60 % 60),
                  static_cast<long long>(parts.second % 60), static_cast<long long>(parts.tick));
    return text;
}

std::optional<ExtendedDateTime> parseExtendedDateText(std::u16string_view text,
                                                      const ValueLocale& locale) {
    text = trimWhiteSpace(text);
    if (auto exact = parseIso(text)) return exact;
    if (auto days = parseDateText(text, locale)) return extendedDateFromJetDays(*days);
    return std::nullopt;
}

}  // namespace jet
