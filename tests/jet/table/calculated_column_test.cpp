// Calculated columns of ACE files: each stored value unwrapped and read as the type the
// column's ResultType property names, checked against what the columns' expressions give
// for the rows' own FirstName, LastName and Salary.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "fixture_files.h"
#include "jet/catalog/database.h"
#include "jet/dao/dao_database.h"
#include "jet/table/calculated_value.h"

namespace jet {
namespace {

using Row = std::map<std::u16string, Value>;

std::vector<Row> rowsOf(Table& table) {
    std::vector<Row> rows;
    table.forEachRow([&](RowLocation, const std::vector<Value>& values) {
        Row row;
        for (const ColumnDef& c : table.definition().columns) row[c.name] = values[c.number];
        rows.push_back(std::move(row));
    });
    return rows;
}

Decimal decimal(bool negative, uint8_t scale, uint64_t high, uint64_t low) {
    return Decimal{negative, scale, high, low};
}

// Expressions: LastFirst = [LastName] & ", " & [FirstName], LastFirstLen = Len([LastFirst]),
// MonthlySalary = [Salary]/12 (Currency), IsRich = [Salary]>100000 (Yes/No), AllNames =
// LastFirst & "=" & LastFirst (Memo), WeeklySalary = [Salary]/52 (Decimal), SalaryTest =
// [Salary], BoolTest = True, DecimalTest = [Popularity], FloatTest =
// [Salary]*0.13/[DecimalTest] (Single).
TEST(CalculatedColumns, ValuesAreWhatTheExpressionsGive) {
    REQUIRE_FIXTURE_OF("ace", "calcFieldTestV2010.accdb");
    Database db(testing::fixtureOf("ace", "calcFieldTestV2010.accdb").string(), OpenMode::ReadOnly);
    Table table = db.openTable(u"Table1");
    const std::vector<Row> rows = rowsOf(table);
    ASSERT_EQ(rows.size(), 4u);
    const std::u16string first[] = {u"Bruce", u"Bart", u"John", u"Test"};
    const std::u16string last[] = {u"Wayne", u"Simpson", u"Doe", u"User"};
    const int64_t salaryUnits[] = {10'000'000'000, -10'000, 0, 1'000'000};
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        SCOPED_TRACE(i);
        ASSERT_EQ(std::get<std::u16string>(r.at(u"FirstName")), first[i]);
        ASSERT_EQ(std::get<Currency>(r.at(u"Salary")).units, salaryUnits[i]);
        const std::u16string lastFirst = last[i] + u", " + first[i];
        EXPECT_EQ(std::get<std::u16string>(r.at(u"LastFirst")), lastFirst);
        EXPECT_EQ(std::get<int32_t>(r.at(u"LastFirstLen")), int32_t(lastFirst.size()));
        // Currency division keeps four places, rounded half to even.
        const int64_t monthly[] = {833'333'333, -833, 0, 83'333};
        EXPECT_EQ(std::get<Currency>(r.at(u"MonthlySalary")).units, monthly[i]);
        EXPECT_EQ(std::get<bool>(r.at(u"IsRich")), salaryUnits[i] > 1'000'000'000);
        EXPECT_EQ(std::get<std::u16string>(r.at(u"AllNames")), lastFirst + u"=" + lastFirst);
        EXPECT_EQ(std::get<Currency>(r.at(u"SalaryTest")).units, salaryUnits[i]);
        EXPECT_TRUE(std::get<bool>(r.at(u"BoolTest")));
        EXPECT_EQ(std::get<Decimal>(r.at(u"DecimalTest")), std::get<Decimal>(r.at(u"Popularity")));
    }
    // Salary / 52 as Decimal: 19230.7692307692 (scale 10), -0.0192307692307692 (scale 16).
    EXPECT_EQ(std::get<Decimal>(rows[0].at(u"WeeklySalary")),
              decimal(false, 10, 0, 192'307'692'307'692));
    EXPECT_EQ(std::get<Decimal>(rows[1].at(u"WeeklySalary")),
              decimal(true, 16, 0, 192'307'692'307'692));
    // 1000000 * 0.13 / 50.325 = 2583.2091; 100 * 0.13 / 102030405060.654321 = 1.27413e-10.
    EXPECT_NEAR(std::get<float>(rows[0].at(u"FloatTest")), 2583.2092f, 0.001f);
    EXPECT_NEAR(std::get<float>(rows[3].at(u"FloatTest")), 1.27413e-10f, 1e-15f);
    // (Salary * MonthlySalary / DecimalTest) * 34.12342134 with 28 digits: 30 significant
    // digits do not fit 64 bits, so the magnitude's high half is used.
    const Decimal big = std::get<Decimal>(rows[0].at(u"BigNumTest"));
    EXPECT_EQ(big.scale, 18);
    EXPECT_NE(big.high, 0u);
    EXPECT_FALSE(big.negative);
}

// The definition keeps its own type code, so that a rewritten definition stays as Access
// made it; the DAO face reports the result type.
TEST(CalculatedColumns, ResultTypeReplacesTheStoredTypeOnlyInMemory) {
    REQUIRE_FIXTURE_OF("ace", "calcFieldTestV2010.accdb");
    Database db(testing::fixtureOf("ace", "calcFieldTestV2010.accdb").string(), OpenMode::ReadOnly);
    Table table = db.openTable(u"Table1");
    for (const ColumnDef& c : table.definition().columns) {
        if (c.name != u"MonthlySalary") continue;
        EXPECT_EQ(c.type(), ColumnType::Currency);
        EXPECT_EQ(c.storedTypeCode(), uint8_t(ColumnType::Double));
    }
    dao::DBEngine engine;
    auto dao = engine.OpenDatabase(testing::fixtureOf("ace", "calcFieldTestV2010.accdb").string(),
                                   false, true);
    const auto& fields = dao->GetTableDefs().Item(u"Table1").GetFields();
    EXPECT_EQ(fields.Item(u"IsRich").Type(), dao::data_type::dbBoolean);
    dao->Close();
}

// A Decimal result of 12 magnitude bytes: its leading 4-byte word little-endian, then one
// 8-byte word; a value shorter than the wrapper's header is taken as it stands.
TEST(CalculatedColumns, WrappedDecimalAndShortValues) {
    std::vector<uint8_t> stored(20 + 16 + 3, 0);
    stored[16] = 16;                                  // the result's length
    const uint8_t result[16] = {14,   0,    3,    1,  // length, scale 3, negative
                                0x04, 0x03, 0x02, 0x01, 0x0D, 0x0C,
                                0x0B, 0x0A, 0x09, 0x08, 0x07, 0x06};
    std::copy(std::begin(result), std::end(result), stored.begin() + 20);
    const ByteView unwrapped = unwrapCalculatedValue(ByteView(stored, 7));
    ASSERT_EQ(unwrapped.size(), 16u);
    EXPECT_EQ(decodeCalculatedDecimal(unwrapped),
              decimal(true, 3, 0x01020304, 0x060708090A0B0C0Du));

    const std::vector<uint8_t> shortValue = {1, 2, 3};
    EXPECT_EQ(unwrapCalculatedValue(ByteView(shortValue, 7)).size(), 3u);
    stored[16] = 200;  // a length beyond the value is cut to what there is
    EXPECT_EQ(unwrapCalculatedValue(ByteView(stored, 7)).size(), stored.size() - 20);
}

}  // namespace
}  // namespace jet
