#include "odbc/date_time_text.h"

#include <string>

#include "odbc/error.h"

namespace odbc {
namespace {

// Reads the digits at `at` into `value`; false when there are none or too many.
bool digits(std::string_view text, size_t& at, uint32_t& value, size_t most) {
    size_t start = at;
    value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < most) {
        value = value * 10 + static_cast<uint32_t>(text[at] - '0');
        ++at;
    }
    return at > start && (at == text.size() || text[at] < '0' || text[at] > '9');
}

bool expect(std::string_view text, size_t& at, char c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}

// Up to nine digits of a fraction after a '.', as nanoseconds; further digits are dropped
// (no driver sends more than seven).
bool fraction(std::string_view text, size_t& at, uint32_t& nanoseconds) {
    nanoseconds = 0;
    if (at >= text.size() || text[at] != '.') return true;
    ++at;
    uint32_t scale = 100000000;
    size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        nanoseconds += static_cast<uint32_t>(text[at] - '0') * scale;
        scale /= 10;
        ++at;
    }
    return at > start;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.remove_suffix(1);
    return text;
}

[[noreturn]] void notA(std::string_view what, std::string_view text) {
    throw Error("„" + std::string(text) + "“ ist " + std::string(what), "22007");
}

bool isLeapYear(unsigned year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned daysInMonth(unsigned year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool validDate(int year, unsigned month, unsigned day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(static_cast<unsigned>(year), month);
}

std::string two(unsigned n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

std::string dateText(int year, unsigned month, unsigned day) {
    std::string y = std::to_string(year);
    while (y.size() < 4) y.insert(y.begin(), '0');
    return y + "-" + two(month) + "-" + two(day);
}

}  // namespace

Time parseTimeOfDay(std::string_view raw) {
    std::string_view text = trimmed(raw);
    size_t at = 0;
    const bool negative = expect(text, at, '-');
    uint32_t hour = 0, minute = 0, second = 0, nanoseconds = 0;
    if (!digits(text, at, hour, 4) || !expect(text, at, ':') || !digits(text, at, minute, 2) ||
        !expect(text, at, ':') || !digits(text, at, second, 2) ||
        !fraction(text, at, nanoseconds) || at != text.size() || minute > 59 || second > 59) {
        notA("keine Uhrzeit", text);
    }
    if (negative || hour > 23) {
        throw Error("Die Zeitangabe „" + std::string(text) +
                        "“ liegt außerhalb eines Tages (00:00:00 bis 23:59:59) und ist keine "
                        "Uhrzeit, die Access speichern kann",
                    "22008");
    }
    return {static_cast<uint16_t>(hour), static_cast<uint16_t>(minute),
            static_cast<uint16_t>(second), nanoseconds};
}

namespace {

bool readDate(std::string_view text, size_t& at, uint32_t& year, uint32_t& month, uint32_t& day) {
    return digits(text, at, year, 4) && expect(text, at, '-') && digits(text, at, month, 2) &&
           expect(text, at, '-') && digits(text, at, day, 2);
}

bool readTime(std::string_view text, size_t& at, Timestamp& t) {
    uint32_t hour = 0, minute = 0, second = 0;
    bool ok = digits(text, at, hour, 2) && expect(text, at, ':') && digits(text, at, minute, 2) &&
              expect(text, at, ':') && digits(text, at, second, 2) &&
              fraction(text, at, t.nanoseconds);
    t.hour = static_cast<uint16_t>(hour);
    t.minute = static_cast<uint16_t>(minute);
    t.second = static_cast<uint16_t>(second);
    return ok;
}

// "+01", "-03:30", "+05:30:00" at the end.
bool readOffset(std::string_view text, size_t& at) {
    if (at == text.size()) return true;
    if (text[at] != '+' && text[at] != '-') return false;
    ++at;
    uint32_t part = 0;
    if (!digits(text, at, part, 2)) return false;
    while (at < text.size() && expect(text, at, ':')) {
        if (!digits(text, at, part, 2)) return false;
    }
    return at == text.size();
}

}  // namespace

Date parseDate(std::string_view raw) {
    std::string_view text = trimmed(raw);
    size_t at = 0;
    uint32_t year = 0, month = 0, day = 0;
    if (!readDate(text, at, year, month, day) || at != text.size()) notA("kein Datum", text);
    Date date{static_cast<int16_t>(year), static_cast<uint16_t>(month), static_cast<uint16_t>(day)};
    checkDate(date);
    return date;
}

Timestamp parseTimestamp(std::string_view raw) {
    std::string_view text = trimmed(raw);
    size_t at = 0;
    uint32_t year = 0, month = 0, day = 0;
    Timestamp t;
    bool ok = readDate(text, at, year, month, day);
    if (ok && at < text.size()) {
        ok = (expect(text, at, ' ') || expect(text, at, 'T')) && readTime(text, at, t) &&
             readOffset(text, at);
    }
    if (!ok || at != text.size()) notA("kein Zeitpunkt", text);
    t.year = static_cast<int16_t>(year);
    t.month = static_cast<uint16_t>(month);
    t.day = static_cast<uint16_t>(day);
    checkTimestamp(t);
    return t;
}

Timestamp parseOffsetTimestamp(std::string_view raw) {
    std::string_view text = trimmed(raw);
    size_t at = 0;
    uint32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, nanoseconds = 0;
    uint32_t offsetHours = 0, offsetMinutes = 0;
    bool ok = digits(text, at, year, 4) && expect(text, at, '-') && digits(text, at, month, 2) &&
              expect(text, at, '-') && digits(text, at, day, 2) && expect(text, at, ' ') &&
              digits(text, at, hour, 2) && expect(text, at, ':') && digits(text, at, minute, 2) &&
              expect(text, at, ':') && digits(text, at, second, 2) &&
              fraction(text, at, nanoseconds) && expect(text, at, ' ') && at < text.size() &&
              (text[at] == '+' || text[at] == '-');
    if (ok) {
        ++at;
        ok = digits(text, at, offsetHours, 2) && expect(text, at, ':') &&
             digits(text, at, offsetMinutes, 2) && at == text.size() && offsetHours <= 14 &&
             offsetMinutes <= 59;
    }
    Timestamp timestamp{static_cast<int16_t>(year),
                        static_cast<uint16_t>(month),
                        static_cast<uint16_t>(day),
                        static_cast<uint16_t>(hour),
                        static_cast<uint16_t>(minute),
                        static_cast<uint16_t>(second),
                        nanoseconds};
    if (!ok) notA("kein Zeitpunkt mit Zeitzonenabstand", text);
    checkTimestamp(timestamp);
    return timestamp;
}

void checkDate(const Date& date) {
    if (!validDate(date.year, date.month, date.day)) {
        throw Error("Das Datum " + dateText(date.year, date.month, date.day) +
                        " ist kein gültiges Kalenderdatum",
                    "22007");
    }
}

void checkTimestamp(const Timestamp& t) {
    if (!validDate(t.year, t.month, t.day) || t.hour > 23 || t.minute > 59 || t.second > 59 ||
        t.nanoseconds > 999999999) {
        throw Error("Der Zeitpunkt " + dateText(t.year, t.month, t.day) + " " + two(t.hour) + ":" +
                        two(t.minute) + ":" + two(t.second) +
                        " ist kein gültiges Datum mit Uhrzeit",
                    "22007");
    }
}

}  // namespace odbc
