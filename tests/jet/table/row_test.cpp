// Rows as Access stored them: every fixed type, text (plain and compressed), deleted rows,
// moved rows, and long values inline, in one row and chained over pages.
#include <gtest/gtest.h>

#include <set>

#include "fixture_files.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"
#include "jet/page/data_page.h"
#include "jet/table/long_value.h"
#include "jet/table/row_format.h"

namespace jet {
namespace {

std::vector<std::vector<Value>> rowsOf(Database& db, std::u16string_view name) {
    std::vector<std::vector<Value>> rows;
    db.openTable(name).forEachRow(
        [&](RowLocation, const std::vector<Value>& v) { rows.push_back(v); });
    return rows;
}

TEST(Rows, FixedTypesDecode) {
    REQUIRE_FIXTURE("testV2000.mdb");
    Database db(testing::fixture("testV2000.mdb").string(), OpenMode::ReadOnly);
    Table table = db.openTable(u"Table1");
    auto rows = rowsOf(db, u"Table1");
    ASSERT_EQ(rows.size(), 2u);
    const auto& t = table.definition();
    auto value = [&](size_t row, std::u16string_view column) {
        for (const auto& c : t.columns)
            if (c.name == column) return rows[row][c.number];
        throw std::runtime_error("no column");
    };
    EXPECT_EQ(value(0, u"A"), Value(std::u16string(u"abcdefg")));
    EXPECT_EQ(value(0, u"C"), Value(uint8_t{2}));
    EXPECT_EQ(value(0, u"D"), Value(int16_t{222}));
    EXPECT_EQ(value(0, u"E"), Value(int32_t{333333333}));
    EXPECT_EQ(value(0, u"F"), Value(444.555));
    EXPECT_EQ(value(0, u"G"), Value(DateTime{27293.0}));  // 1974-09-21
    EXPECT_EQ(value(0, u"H"), Value(Currency{35000}));
    EXPECT_EQ(value(0, u"I"), Value(true));
    EXPECT_EQ(value(1, u"I"), Value(false));
}

TEST(Rows, CompressedAndWideText) {
    REQUIRE_FIXTURE("testUnicodeCompV2003.mdb");
    Database db(testing::fixture("testUnicodeCompV2003.mdb").string(), OpenMode::ReadOnly);
    std::vector<std::u16string> texts;
    for (const auto& row : rowsOf(db, u"Table"))
        for (const auto& v : row)
            if (auto s = std::get_if<std::u16string>(&v)) texts.push_back(*s);
    ASSERT_GE(texts.size(), 7u);
    EXPECT_EQ(texts[1], u"ääkkösiä");
    EXPECT_EQ(texts[2], u"Мир");
    EXPECT_EQ(texts[4], u"漢字仮名交じり文");
}

TEST(Rows, DeletedRowsAreSkipped) {
    REQUIRE_FIXTURE("delTestV2003.mdb");
    Database db(testing::fixture("delTestV2003.mdb").string(), OpenMode::ReadOnly);
    Table table = db.openTable(u"Table");
    size_t deleted = 0;
    for (uint32_t page : table.dataPages()) {
        DataPage p(kJet4Format, db.file().page(page));
        for (uint16_t r = 0; r < p.rowCount(); ++r)
            deleted += p.slot(static_cast<uint8_t>(r)).deleted;
    }
    EXPECT_GE(deleted, 1u);
    EXPECT_EQ(rowsOf(db, u"Table").size(), 2u);
    EXPECT_EQ(table.definition().rowCount, 2u);
}

TEST(Rows, MovedRowsKeepTheirIdAndAreReadOnce) {
    REQUIRE_FIXTURE("overflowTestV2003.mdb");
    Database db(testing::fixture("overflowTestV2003.mdb").string(), OpenMode::ReadOnly);
    Table table = db.openTable(u"Table1");
    std::vector<RowLocation> physical, byId;
    table.forEachRow(
        [&](RowLocation where, const std::vector<Value>&) { physical.push_back(where); });
    std::vector<std::vector<Value>> idValues;
    table.forEachRowById([&](RowLocation where, const std::vector<Value>& v) {
        byId.push_back(where);
        idValues.push_back(v);
    });
    ASSERT_EQ(physical.size(), 7u);
    ASSERT_EQ(byId.size(), 7u);
    EXPECT_NE(physical, byId);  // two rows were moved to other pages
    // By id, the rows come in the order they were written: row3 third.
    bool row3Third = false;
    for (const auto& v : idValues[2])
        if (auto s = std::get_if<std::u16string>(&v)) row3Third = row3Third || *s == u"row3col3";
    EXPECT_TRUE(row3Third);
    for (const auto& where : byId) EXPECT_NO_THROW(table.readRow(where));
}

TEST(Rows, LongValuesInEveryStorage) {
    REQUIRE_FIXTURE("test2V2003.mdb");
    Database db(testing::fixture("test2V2003.mdb").string(), OpenMode::ReadOnly);
    Table table = db.openTable(u"MSP_PROJECTS");
    RowFormat format(kJet4Format, table.definition());
    std::set<uint32_t> kinds;
    size_t longest = 0;
    table.forEachRow([&](RowLocation where, const std::vector<Value>&) {
        std::vector<FieldSpan> fields;
        format.split(table.rowBytes(where), fields);
        for (const auto& c : table.definition().columns) {
            if (!c.isLongValue() || !fields[c.number].present) continue;
            LongValueRef ref = parseLongValueRef(fields[c.number].bytes);
            kinds.insert(ref.storage);
            Bytes data = readLongValue(db.file(), fields[c.number].bytes);
            EXPECT_EQ(data.size(), ref.length);
            longest = std::max(longest, data.size());
        }
    });
    EXPECT_TRUE(kinds.count(long_value_layout::kInline) ||
                kinds.count(long_value_layout::kSingleRow));
    EXPECT_TRUE(kinds.count(0)) << "expected a chained long value";
    EXPECT_GT(longest, kJet4LongValue.maxRowData);
}

}  // namespace
}  // namespace jet
