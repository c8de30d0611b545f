#include "engine/speed_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace engine_test {
namespace {

class FixedClock : public engine::Clock {
  public:
    explicit FixedClock(double seconds) : seconds_(seconds) {}
    double secondsSinceMidnight() const override { return seconds_; }
    engine::LocalDateTime now() const override { return {}; }

  private:
    double seconds_;
};

constexpr int32_t kStart = 36000;  // 10:00:00
constexpr engine::NumberSeparators kEnglish{u',', u'.'};

std::u16string speed(double elapsed, int32_t rows,
                     const engine::NumberSeparators& separators = kEnglish) {
    return engine::SpeedText(FixedClock(kStart + elapsed), kStart, rows, separators);
}

TEST(SpeedText, GroupsEveryThreeDigits) {
    EXPECT_EQ(speed(2, 25), u"12.5");
    EXPECT_EQ(speed(10, 12345), u"1,234.5");
    EXPECT_EQ(speed(3, 1000000), u"333,333.3");
    EXPECT_EQ(speed(2, 2500000), u"1,250,000.0");
    EXPECT_EQ(speed(1, 999999), u"999,999.0");
    EXPECT_EQ(speed(1, std::numeric_limits<int32_t>::max()), u"2,147,483,647.0");
}

TEST(SpeedText, NoDigitBeforeTheSeparatorBelowOne) {
    EXPECT_EQ(speed(3, 0), u".0");
    EXPECT_EQ(speed(0, 500), u".0");
    EXPECT_EQ(speed(-5, 500), u".0");
    EXPECT_EQ(speed(3, 1), u".3");
    EXPECT_EQ(speed(3, 7), u"2.3");
}

TEST(SpeedText, RoundsTheRateHalfAwayFromZero) {
    EXPECT_EQ(speed(20, 3), u".2");           // 0.15, which binary holds just below the half
    EXPECT_EQ(speed(4, 1), u".3");            // 0.25
    EXPECT_EQ(speed(8, 1), u".1");            // 0.125
    EXPECT_EQ(speed(40, 399), u"10.0");       // 9.975
    EXPECT_EQ(speed(20, 19999), u"1,000.0");  // 999.95
}

TEST(SpeedText, RoundsTheElapsedSecondsHalfToEven) {
    EXPECT_EQ(speed(0.5, 100), u".0");    // 0 seconds
    EXPECT_EQ(speed(1.5, 100), u"50.0");  // 2 seconds
    EXPECT_EQ(speed(2.5, 100), u"50.0");  // 2 seconds
    EXPECT_EQ(speed(2.51, 99), u"33.0");  // 3 seconds
    EXPECT_EQ(speed(0.49, 100), u".0");
}

TEST(SpeedText, UsesTheGivenSeparatorsGermanByDefault) {
    EXPECT_EQ(engine::SpeedText(FixedClock(kStart + 10), kStart, 12345), u"1.234,5");
    EXPECT_EQ(engine::SpeedText(FixedClock(kStart + 10), kStart, 0), u",0");
    EXPECT_EQ(speed(1, 1234567, {u'\u202F', u','}), u"1\u202F234\u202F567,0");
}

TEST(SpeedText, ElapsedSecondsBeyondThirtyTwoBitsGiveQuestionMark) {
    const auto min = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(engine::SpeedText(FixedClock(80000), min, 5), u"?");
    EXPECT_EQ(engine::SpeedText(FixedClock(std::numeric_limits<double>::quiet_NaN()), 0, 5), u"?");
}

TEST(StartSecond, RoundsTheClockHalfToEven) {
    EXPECT_EQ(engine::startSecond(FixedClock(36000.5)), 36000);
    EXPECT_EQ(engine::startSecond(FixedClock(36001.5)), 36002);
    EXPECT_EQ(engine::startSecond(FixedClock(36000.4999)), 36000);
    EXPECT_EQ(engine::startSecond(FixedClock(0.0)), 0);
    EXPECT_EQ(engine::roundHalfEven(-2.5), -2);
    EXPECT_EQ(engine::roundHalfEven(-3.5), -4);
    EXPECT_EQ(engine::roundHalfEven(2147483647.4), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(engine::roundHalfEven(2147483647.5), std::nullopt);
}

TEST(SystemClock, StaysWithinOneDay) {
    const double now = engine::SystemClock().secondsSinceMidnight();
    EXPECT_GE(now, 0.0);
    EXPECT_LT(now, 86401.0);
}

}  // namespace
}  // namespace engine_test
