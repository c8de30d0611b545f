// Access 97 (Jet 3) files read through the format descriptor: their rows with one-byte offsets
// and jump tables, their code-page text, and the refusal to change them.
#include <gtest/gtest.h>

#include <filesystem>

#include "fixture_files.h"
#include "jet/base/errors.h"
#include "jet/catalog/database.h"
#include "jet/check/check.h"
#include "jet/table/row_format.h"

namespace jet {
namespace {

std::filesystem::path jet3Fixture(const std::string& name) {
    return std::filesystem::path(SQLVANTOR_FIXTURES) / "jet3" / name;
}

#define REQUIRE_JET3_FIXTURE(name)                                            \
    do {                                                                      \
        if (!std::filesystem::exists(jet3Fixture(name)))                      \
            GTEST_SKIP() << "fixture " << jet3Fixture(name) << " is missing"; \
    } while (0)

// A row whose variable fields pass two 256-byte boundaries: ten columns, a 300-byte fixed
// area, variable values of 200, 100, 0 and 5 bytes. Its trailer is the one Access's rule
// gives: eod 5e, offsets 59 59 f5 2d (last first), jumps 02 00, count 04, mask 00 00.
TEST(Jet3Rows, JumpTableLiftsOffsetsPastEach256) {
    TableDefinition table;
    table.varColumns = 4;
    table.maxColumns = 10;
    ColumnDef fixed;
    fixed.typeCode = uint8_t(ColumnType::Binary);
    fixed.number = 0;
    fixed.flags = column_flag::kFixed;
    fixed.length = 300;
    table.columns.push_back(fixed);
    for (uint16_t i = 0; i < 4; ++i) {
        ColumnDef c;
        c.typeCode = uint8_t(ColumnType::Binary);
        c.number = static_cast<uint16_t>(1 + i);
        c.varIndex = i;
        table.columns.push_back(c);
    }
    std::vector<uint8_t> row = {10};
    row.resize(1 + 300 + 200 + 100 + 0 + 5, 0xAB);
    const std::vector<uint8_t> trailer = {0x5e, 0x59, 0x59, 0xf5, 0x2d, 0x02, 0x00, 0x04};
    row.insert(row.end(), trailer.begin(), trailer.end());
    row.push_back(0x1F);  // columns 0-4 present
    row.push_back(0x00);

    RowFormat format(kJet3Format, table);
    std::vector<FieldSpan> fields;
    format.split(ByteView({row.data(), row.size()}, 9), fields);
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[0].bytes.size(), 300u);
    EXPECT_EQ(fields[1].bytes.data() - row.data(), 301);
    EXPECT_EQ(fields[1].bytes.size(), 200u);
    EXPECT_EQ(fields[2].bytes.data() - row.data(), 501);
    EXPECT_EQ(fields[2].bytes.size(), 100u);
    EXPECT_EQ(fields[3].bytes.size(), 0u);
    EXPECT_EQ(fields[4].bytes.data() - row.data(), 601);
    EXPECT_EQ(fields[4].bytes.size(), 5u);
}

TEST(Jet3Rows, FixedTypesAndCodePageTextDecode) {
    REQUIRE_JET3_FIXTURE("testV1997.mdb");
    Database db(jet3Fixture("testV1997.mdb").string(), OpenMode::ReadOnly);
    EXPECT_EQ(db.header().format->version, FormatVersion::Jet3);
    EXPECT_EQ(db.header().codePage, 1252);
    Table table = db.openTable(u"Table1");
    std::vector<std::vector<Value>> rows;
    table.forEachRow([&](RowLocation, const std::vector<Value>& v) { rows.push_back(v); });
    ASSERT_EQ(rows.size(), 2u);
    auto value = [&](size_t row, std::u16string_view column) {
        for (const auto& c : table.definition().columns)
            if (c.name == column) return rows[row][c.number];
        throw std::runtime_error("no column");
    };
    EXPECT_EQ(value(1, u"A"), Value(std::u16string(u"abcdefg")));
    EXPECT_EQ(value(1, u"B"), Value(std::u16string(u"hijklmnop")));
    EXPECT_EQ(value(1, u"C"), Value(uint8_t{2}));
    EXPECT_EQ(value(1, u"D"), Value(int16_t{222}));
    EXPECT_EQ(value(1, u"E"), Value(int32_t{333333333}));
    EXPECT_EQ(value(1, u"F"), Value(444.555));
    EXPECT_EQ(value(1, u"G"), Value(DateTime{27293.0}));
    EXPECT_EQ(value(1, u"H"), Value(Currency{35000}));
    EXPECT_EQ(value(1, u"I"), Value(true));
    EXPECT_EQ(value(0, u"A"), Value(std::u16string(u"a")));
    EXPECT_EQ(value(0, u"I"), Value(false));
}

// The check walks every index and recomputes each entry from its row, text keys by General 97:
// every Access 97 fixture comes through clean, and a key byte changed is found.
TEST(Jet3Rows, EveryFixturePassesTheCheckAndAChangedKeyIsFound) {
    REQUIRE_JET3_FIXTURE("testIndexCodesV1997.mdb");
    for (const auto& entry : std::filesystem::directory_iterator(jet3Fixture(""))) {
        if (entry.path().extension() != ".mdb") continue;
        Database db(entry.path().string(), OpenMode::ReadOnly);
        EXPECT_TRUE(checkDatabase(db).empty()) << entry.path();
    }
    testing::ScratchDir dir;
    const auto copy = dir.copy(jet3Fixture("testIndexCodesV1997.mdb"));
    std::vector<uint8_t> bytes = testing::readFile(copy);
    {
        Database db(copy.string(), OpenMode::ReadOnly);
        const RealIndexDef& index = db.openTable(u"Table1").definition().realIndexes.at(0);
        // The first entry of the root starts with the flag byte, then the first character's
        // sort byte.
        const size_t entries = size_t{index.rootPage} * kJet3PageSize + kJet3IndexPage.entries;
        bytes.at(entries + 1) ^= 0x01;
    }
    testing::writeFile(copy, bytes);
    Database db(copy.string(), OpenMode::ReadOnly);
    EXPECT_FALSE(checkDatabase(db).empty());
}

// Writing Access 97 files is not there yet: opening one for writing is refused before any
// byte changes.
TEST(Jet3Rows, OpeningForWritingIsRefusedAndChangesNothing) {
    REQUIRE_JET3_FIXTURE("testV1997.mdb");
    testing::ScratchDir dir;
    const auto copy = dir.copy(jet3Fixture("testV1997.mdb"));
    const std::vector<uint8_t> before = testing::readFile(copy);
    try {
        Database db(copy.string(), OpenMode::Exclusive);
        FAIL() << "opened an Access 97 file for writing";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), int32_t(ErrorCode::UnsupportedFormat));
        EXPECT_NE(e.description().find("Access-97"), std::string::npos);
    }
    EXPECT_EQ(testing::readFile(copy), before);
}

}  // namespace
}  // namespace jet
