#include "jet/base/date_text.h"

#include <array>
#include <cmath>

#include "jet/base/civil_calendar.h"
#include "jet/base/text_reader.h"

namespace jet {
namespace {

using namespace date_format;

// Days from 30.12.1899 to 01.01.1970, the epoch of the civil-date arithmetic below.
inline constexpr int64_t kUnixEpochDay = 25569;
inline constexpr int64_t kSecondsPerHour = 3600;
inline constexpr int64_t kSecondsPerMinute = 60;
inline constexpr unsigned kMaxFractionDigits = 15;  // beyond a double's resolution of a day

struct TimeOfDay {
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
    double fraction = 0;  // of a second
};

// Jet's day numbers count from 30.12.1899 in the calendar OLE dates use.
int64_t dayNumberOf(const CivilDate& d) {
    return daysFromCivil(d) + kUnixEpochDay;
}

CivilDate civilDateOf(int64_t dayNumber) {
    return civilFromDays(dayNumber - kUnixEpochDay);
}

bool isValid(const CivilDate& d) {
    return d.year >= kMinYear && d.year <= kMaxYear && d.month >= 1 && d.month <= 12 &&
           d.day >= 1 && d.day <= daysInMonth(d.year, d.month);
}

bool isValid(const TimeOfDay& t) {
    return t.hour < 24 && t.minute < 60 && t.second < 60;
}

// Jet's days for a calendar day and a time of day (a fraction of it).
double jetDays(int64_t dayNumber, double timeFraction) {
    const auto whole = static_cast<double>(dayNumber);
    return dayNumber >= 0 ? whole + timeFraction : whole - timeFraction;
}

// Between `min` and `max` digits as a number; nullopt (and the reader moved) otherwise.
std::optional<unsigned> readNumber(TextReader& r, unsigned min, unsigned max,
                                   unsigned* count = nullptr) {
    unsigned n = 0;
    unsigned v = 0;
    for (; n < max && isAsciiDigit(r.peek()); ++n, r.skip())
        v = v * 10 + static_cast<unsigned>(r.peek() - u'0');
    if (n < min || isAsciiDigit(r.peek())) return std::nullopt;
    if (count != nullptr) *count = n;
    return v;
}

// Three digits too: a number of three digits before a '-' can only be a year, and FreeTDS
// writes the years 100 to 999 that way ("100-01-01").
std::optional<CivilDate> readIsoDate(TextReader& r) {
    auto year = readNumber(r, 3, 4);
    if (!year || !r.take(u'-')) return std::nullopt;
    auto month = readNumber(r, 1, 2);
    if (!month || !r.take(u'-')) return std::nullopt;
    auto day = readNumber(r, 1, 2);
    if (!day) return std::nullopt;
    return CivilDate{*year, *month, *day};
}

int64_t fullYear(unsigned year, unsigned digits) {
    if (digits > 2) return year;
    return year + (year < kTwoDigitYearPivot ? 2000 : 1900);
}

std::optional<CivilDate> readLocaleDate(TextReader& r, const ValueLocale& locale) {
    std::array<unsigned, 3> field{};
    std::array<unsigned, 3> digits{};
    for (size_t i = 0; i < field.size(); ++i) {
        if (i > 0 && !r.take(locale.dateSeparator)) return std::nullopt;
        auto v = readNumber(r, 1, 4, &digits[i]);
        if (!v) return std::nullopt;
        field[i] = *v;
    }
    // Which field is the year, month and day.
    using Order = std::array<size_t, 3>;
    const auto [y, m, d] = locale.dateOrder == DateOrder::DayMonthYear   ? Order{2, 1, 0}
                           : locale.dateOrder == DateOrder::MonthDayYear ? Order{2, 0, 1}
                                                                         : Order{0, 1, 2};
    if (digits[m] > 2 || digits[d] > 2) return std::nullopt;
    return CivilDate{fullYear(field[y], digits[y]), field[m], field[d]};
}

std::optional<CivilDate> readDate(TextReader& r, const ValueLocale& locale, bool& iso) {
    TextReader probe = r;
    if (auto date = readIsoDate(probe)) {
        r = probe;
        iso = true;
        return date;
    }
    probe = r;
    if (auto date = readLocaleDate(probe, locale)) {
        r = probe;
        return date;
    }
    return std::nullopt;
}

double readFraction(TextReader& r) {
    double v = 0;
    double unit = 0.1;
    for (unsigned n = 0; isAsciiDigit(r.peek()); ++n, r.skip()) {
        if (n < kMaxFractionDigits) v += (r.peek() - u'0') * unit;
        unit /= 10;
    }
    return v;
}

std::optional<TimeOfDay> readTime(TextReader& r, const ValueLocale& locale) {
    TimeOfDay t;
    auto hour = readNumber(r, 1, 2);
    if (!hour || !r.take(u':')) return std::nullopt;
    auto minute = readNumber(r, 2, 2);
    if (!minute) return std::nullopt;
    t.hour = *hour;
    t.minute = *minute;
    if (!r.take(u':')) return t;
    auto second = readNumber(r, 2, 2);
    if (!second) return std::nullopt;
    t.second = *second;
    if (r.take(u'.') || r.take(locale.decimalSeparator)) {
        if (!isAsciiDigit(r.peek())) return std::nullopt;
        t.fraction = readFraction(r);
    }
    return t;
}

double timeFraction(const TimeOfDay& t) {
    const auto seconds =
        static_cast<double>(t.hour * kSecondsPerHour + t.minute * kSecondsPerMinute + t.second);
    return (seconds + t.fraction) / static_cast<double>(kSecondsPerDay);
}

// Between a date and its time: 'T' after an ISO date, else one or more spaces.
bool takeDateTimeSeparator(TextReader& r, bool iso) {
    if (iso && r.take(u'T')) return true;
    if (!r.take(u' ')) return false;
    while (r.take(u' ')) {
    }
    return true;
}

void appendNumber(std::u16string& out, int64_t v, unsigned width) {
    std::array<char16_t, 8> digits{};
    unsigned n = 0;
    for (; v != 0 || n < width; v /= 10) digits[n++] = static_cast<char16_t>(u'0' + v % 10);
    while (n > 0) out += digits[--n];
}

void appendDate(std::u16string& out, const CivilDate& d, const ValueLocale& locale) {
    struct Part {
        int64_t value;
        unsigned width;
    };
    const Part day{d.day, 2}, month{d.month, 2}, year{d.year, 4};
    const std::array<Part, 3> parts =
        locale.dateOrder == DateOrder::DayMonthYear   ? std::array{day, month, year}
        : locale.dateOrder == DateOrder::MonthDayYear ? std::array{month, day, year}
                                                      : std::array{year, month, day};
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += locale.dateSeparator;
        appendNumber(out, parts[i].value, parts[i].width);
    }
}

void appendTime(std::u16string& out, int64_t seconds) {
    appendNumber(out, seconds / kSecondsPerHour, 2);
    out += u':';
    appendNumber(out, seconds % kSecondsPerHour / kSecondsPerMinute, 2);
    out += u':';
    appendNumber(out, seconds % kSecondsPerMinute, 2);
}

}  // namespace

bool isDateInRange(double days) {
    return std::isfinite(days) && days > static_cast<double>(kMinDayNumber - 1) &&
           days < static_cast<double>(kMaxDayNumber + 1);
}

std::optional<double> parseDateText(std::u16string_view text, const ValueLocale& locale) {
    TextReader r(trimWhiteSpace(text));
    bool iso = false;
    const std::optional<CivilDate> date = readDate(r, locale, iso);
    std::optional<TimeOfDay> time;
    if (!date || !r.done()) {
        if (date && !takeDateTimeSeparator(r, iso)) return std::nullopt;
        time = readTime(r, locale);
        if (!time || !r.done()) return std::nullopt;
    }
    if ((date && !isValid(*date)) || (time && !isValid(*time))) return std::nullopt;
    return jetDays(date ? dayNumberOf(*date) : 0, time ? timeFraction(*time) : 0);
}

std::u16string formatDateText(double days, const ValueLocale& locale) {
    const double whole = std::trunc(days);
    auto dayNumber = static_cast<int64_t>(whole);
    auto seconds = static_cast<int64_t>(
        std::nearbyint(std::fabs(days - whole) * static_cast<double>(kSecondsPerDay)));
    if (seconds == kSecondsPerDay) {  // rounded up to the next midnight
        if (dayNumber == kMaxDayNumber) {
            seconds -= 1;
        } else {
            ++dayNumber;
            seconds = 0;
        }
    }
    std::u16string out;
    if (dayNumber != 0) appendDate(out, civilDateOf(dayNumber), locale);
    if (dayNumber == 0 || seconds != 0) {
        if (!out.empty()) out += u' ';
        appendTime(out, seconds);
    }
    return out;
}

}  // namespace jet
