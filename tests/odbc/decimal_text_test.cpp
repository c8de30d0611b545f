// Decimal text from drivers into the one form Decimal promises.
#include "odbc/decimal_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace odbc {
namespace {

std::string normalised(std::string text) {
    normaliseDecimalText(text);
    return text;
}

TEST(DecimalText, DriverSpellingsBecomeOneForm) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"12345.67", "12345.67"}, {"-0.5", "-0.5"},   {"0", "0"},    {"12345,67", "12345.67"},
        {" 42 ", "42"},           {"+3.10", "3.10"},  {".5", "0.5"}, {"-.5", "-0.5"},
        {"007.50", "7.50"},       {"-0.00", "0.00"},  {"-0", "0"},   {"5.", "5"},
        {"-12,000", "-12.000"},   {"0.000", "0.000"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(normalised(in), out) << in;
}

TEST(DecimalText, ExponentsAreWrittenOutExactly) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1.25E+3", "1250"},
        {"5e-3", "0.005"},
        {"1.0e+20", "100000000000000000000"},
        {"-1.5E-1", "-0.15"},
        {"123.456e1", "1234.56"},
        {"1e0", "1"},
        {"9.99e2", "999"},
        {"-0e5", "0"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(normalised(in), out) << in;
}

TEST(DecimalText, TextThatIsNoNumberIsOnlyTrimmed) {
    for (std::string text :
         {"NaN", "Infinity", "-Infinity", "1e", "1e+", "e5", "1.2.3", "12a", "", "-", "1e99999"}) {
        EXPECT_EQ(normalised(text), text);
    }
    EXPECT_EQ(normalised(" NaN "), "NaN");
}

}  // namespace
}  // namespace odbc
