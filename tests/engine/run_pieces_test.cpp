// The small pieces the run's lines and SQL texts are made of.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "engine/row_position.h"
#include "engine/run_texts.h"
#include "engine/sql_names.h"
#include "engine/value_transfer.h"

namespace engine_test {
namespace {

TEST(SqlNames, ServerNamesAreQuotedWithEmbeddedQuotesDoubled) {
    EXPECT_EQ(engine::quoteServerName("Kunden", "\""), "\"Kunden\"");
    EXPECT_EQ(engine::quoteServerName("Alte Kunden; DROP TABLE x", "\""),
              "\"Alte Kunden; DROP TABLE x\"");
    EXPECT_EQ(engine::quoteServerName("a\"b\"\"", "\""), "\"a\"\"b\"\"\"\"\"");
    EXPECT_EQ(engine::quoteServerName("a`b", "`"), "`a``b`");
    // A source without identifier quote reports a blank; the name then goes in bare.
    EXPECT_EQ(engine::quoteServerName("Kunden", " "), "Kunden");
    EXPECT_EQ(engine::quoteServerName("Kunden", ""), "Kunden");
    EXPECT_EQ(engine::bracketAccessName(u"Alte Kunden"), u"[Alte Kunden]");
}

TEST(RunTexts, DateAndTimeInGermanFormats) {
    const engine::LocalDateTime at{2026, 12, 8, 9, 5, 3};
    EXPECT_EQ(engine::DateText(at), u"08.12.2026");
    EXPECT_EQ(engine::TimeText(at), u"09:05:03");
    EXPECT_EQ(engine::DateText({987, 1, 31, 23, 59, 59}), u"31.01.0987");
}

TEST(RunTexts, RowCountKeepsTheSevenDigitSingleForm) {
    const jet::ValueLocale german;
    jet::ValueLocale english = german;
    english.decimalSeparator = u'.';
    EXPECT_EQ(engine::RowCountText(0, german), u"0");
    EXPECT_EQ(engine::RowCountText(4711, german), u"4711");
    EXPECT_EQ(engine::RowCountText(9999999, german), u"9999999");
    EXPECT_EQ(engine::RowCountText(12345678, german), u"1,234568E+07");
    EXPECT_EQ(engine::RowCountText(12345678, english), u"1.234568E+07");
    EXPECT_EQ(engine::RowCountText(10000000, german), u"1E+07");
    EXPECT_EQ(engine::RowCountText(int64_t{3} << 40, english), u"3.298535E+12");
}

// A single-precision position stops at 2^24; the yield and the flushes must not.
TEST(RowPosition, StaysExactBeyondSingleRange) {
    engine::RowPosition position;
    const int64_t counted = int64_t{1} << 25;
    position.start(counted);
    EXPECT_EQ(position.position(), 1);
    EXPECT_EQ(position.maximum(), counted + 1);
    while (position.position() < 16777219) position.advance();
    EXPECT_TRUE(position.advance());
    EXPECT_EQ(position.position(), 16777220);
    EXPECT_TRUE(position.isMultipleOf(10));
    EXPECT_TRUE(position.advance());
    EXPECT_EQ(position.position(), 16777221);  // as a float it would have stayed 16777220
    EXPECT_FALSE(position.isMultipleOf(10));
}

TEST(RowPosition, StopsAtTheMaximumWhenMoreRowsArriveThanCounted) {
    engine::RowPosition position;
    position.start(2);
    EXPECT_TRUE(position.advance());
    EXPECT_TRUE(position.advance());
    EXPECT_FALSE(position.advance());
    EXPECT_EQ(position.position(), 3);
    position.start(0);  // nothing counted: the position stays at 1
    EXPECT_FALSE(position.advance());
    EXPECT_EQ(position.position(), 1);
    EXPECT_FALSE(position.isMultipleOf(10));
}

TEST(ValueTransfer, DatesBecomeJetDays) {
    EXPECT_EQ(engine::accessDays(1899, 12, 30), 0.0);
    EXPECT_EQ(engine::accessDays(1970, 1, 1), 25569.0);
    EXPECT_EQ(engine::accessDays(2024, 2, 29), 45351.0);
    EXPECT_EQ(engine::accessDays(100, 1, 1), -657434.0);
    const jet::Value stamp = engine::toAccessValue(odbc::Timestamp{1899, 12, 29, 6, 0, 0, 0});
    EXPECT_EQ(std::get<jet::DateTime>(stamp).days, -1.25);
    const jet::Value noon = engine::toAccessValue(odbc::Timestamp{2024, 2, 29, 12, 0, 0, 0});
    EXPECT_EQ(std::get<jet::DateTime>(noon).days, 45351.5);
    EXPECT_EQ(std::get<jet::DateTime>(engine::toAccessValue(odbc::Time{18, 0, 0})).days, 0.75);
}

TEST(ValueTransfer, NumbersKeepTheirValue) {
    using engine::toAccessValue;
    EXPECT_TRUE(jet::isNull(toAccessValue(odbc::Null{})));
    EXPECT_EQ(toAccessValue(int8_t{-5}), jet::Value(int16_t{-5}));
    EXPECT_EQ(toAccessValue(int64_t{-2147483648LL}), jet::Value(int32_t{-2147483647 - 1}));
    const jet::Value wide = toAccessValue(int64_t{-9007199254740993LL});
    EXPECT_EQ(std::get<jet::Decimal>(wide), (jet::Decimal{true, 0, 0, 9007199254740993ULL}));
    const jet::Value huge = toAccessValue(std::numeric_limits<uint64_t>::max());
    EXPECT_EQ(std::get<jet::Decimal>(huge).low, std::numeric_limits<uint64_t>::max());
    EXPECT_EQ(toAccessValue(odbc::Decimal{"-12345.670"}), jet::Value(u"-12345.670"));
    EXPECT_EQ(toAccessValue(std::u16string(u"Müller")), jet::Value(u"Müller"));
    EXPECT_EQ(toAccessValue(odbc::Bytes{1, 2}), jet::Value(jet::Bytes{1, 2}));
}

TEST(ValueTransfer, OneValueReusedForEveryKindGivesWhatAFreshOneGives) {
    // A row loop keeps one value per column: whatever it held before must not show through.
    const std::vector<odbc::Value> sources = {
        std::u16string(u"Müller-Lüdenscheidt, eine lange Zeile"),
        std::u16string(u"kurz"),
        odbc::Null{},
        std::u16string(u""),
        odbc::Decimal{"-12345.670"},
        odbc::Decimal{"1,5 \xE2\x82\xAC"},  // not ASCII: read as UTF-8
        int32_t{7},
        3.25,
        odbc::Timestamp{2024, 2, 29, 12, 0, 0, 0},
        odbc::Bytes{1, 2, 3},
        odbc::Bytes{},
        int64_t{-9007199254740993LL},
        true,
        odbc::Guid{},
    };
    for (size_t first = 0; first < sources.size(); ++first) {
        jet::Value reused;
        for (size_t i = 0; i < sources.size(); ++i) {
            const odbc::Value& source = sources[(first + i) % sources.size()];
            engine::assignAccessValue(source, reused);
            ASSERT_EQ(reused, engine::toAccessValue(source)) << first << " " << i;
        }
    }
}

}  // namespace
}  // namespace engine_test
