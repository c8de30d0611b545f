// The regional settings that decide how text reads as a number or a date and how numbers and
// dates are written as text, as Windows' regional settings do for DAO. The defaults are those of
// a German Windows (de-DE): 1.234,5 and 31.12.2024 23:59:59.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace jet {

enum class DateOrder : uint8_t { DayMonthYear, MonthDayYear, YearMonthDay };

struct ValueLocale {
    char16_t decimalSeparator = u',';
    char16_t groupingSeparator = u'.';
    char16_t dateSeparator = u'.';
    DateOrder dateOrder = DateOrder::DayMonthYear;
    // Yes/No values as text, as VBA's CStr writes them in this language.
    std::u16string trueText = u"Wahr";
    std::u16string falseText = u"Falsch";
};

// Text read as a value may carry white space around it (spaces, tabs, line breaks, no-break
// spaces); it does not count.
std::u16string_view trimWhiteSpace(std::u16string_view text);

}  // namespace jet
