// Times of day and offset time stamps as drivers write them, and the structures that are no
// calendar date: each either a right value or an error of that value, never another value.
#include "odbc/date_time_text.h"

#include <gtest/gtest.h>

#include "odbc/error.h"

namespace odbc {
namespace {

std::string stateOf(void (*call)()) {
    try {
        call();
    } catch (const Error& e) {
        return e.sqlState();
    }
    return "no error";
}

TEST(DateTimeText, TimesOfDayKeepTheirFraction) {
    EXPECT_EQ(parseTimeOfDay("13:14:15"), (Time{13, 14, 15, 0}));
    EXPECT_EQ(parseTimeOfDay("23:59:59.9999999"), (Time{23, 59, 59, 999999900}));
    EXPECT_EQ(parseTimeOfDay(" 00:00:00.5 "), (Time{0, 0, 0, 500000000}));
}

TEST(DateTimeText, TimesOutsideADayOrMalformedAreErrors) {
    EXPECT_EQ(stateOf([] { parseTimeOfDay("-01:00:00"); }), "22008");
    EXPECT_EQ(stateOf([] { parseTimeOfDay("838:59:59"); }), "22008");
    EXPECT_EQ(stateOf([] { parseTimeOfDay("24:00:00"); }), "22008");
    EXPECT_EQ(stateOf([] { parseTimeOfDay("12:60:00"); }), "22007");
    EXPECT_EQ(stateOf([] { parseTimeOfDay("12:00"); }), "22007");
    EXPECT_EQ(stateOf([] { parseTimeOfDay("12:00:00."); }), "22007");
    try {
        parseTimeOfDay("-01:00:00");
    } catch (const Error& e) {
        EXPECT_NE(e.description().find("„-01:00:00“"), std::string::npos) << e.description();
    }
}

TEST(DateTimeText, OffsetTimestampsKeepTheWallClock) {
    EXPECT_EQ(parseOffsetTimestamp("2024-02-29 23:30:15.1234567 +02:00"),
              (Timestamp{2024, 2, 29, 23, 30, 15, 123456700}));
    EXPECT_EQ(parseOffsetTimestamp("0001-01-01 00:00:00 -14:00"), (Timestamp{1, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(stateOf([] { parseOffsetTimestamp("2024-02-30 00:00:00 +00:00"); }), "22007");
    EXPECT_EQ(stateOf([] { parseOffsetTimestamp("2024-02-28 00:00:00"); }), "22007");
}

TEST(DateTimeText, ZeroAndImpossibleDatesAreErrors) {
    EXPECT_NO_THROW(checkDate({2000, 2, 29}));
    EXPECT_EQ(stateOf([] { checkDate({0, 0, 0}); }), "22007");
    EXPECT_EQ(stateOf([] { checkDate({1900, 2, 29}); }), "22007");
    EXPECT_EQ(stateOf([] { checkTimestamp({2024, 1, 1, 24, 0, 0, 0}); }), "22007");
    try {
        checkDate({0, 0, 0});
    } catch (const Error& e) {
        EXPECT_EQ(e.description(), "Das Datum 0000-00-00 ist kein gültiges Kalenderdatum");
    }
}

}  // namespace
}  // namespace odbc
