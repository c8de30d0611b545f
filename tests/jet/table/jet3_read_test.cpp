// Access 97 (Jet 3) files read through the format descriptor: their rows with one-byte offsets
// and jump tables, their code-page text, and what their fields take when written.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "fixture_files.h"
#include "jet/base/errors.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"
#include "jet/check/check.h"
#include "jet/dao/dao_database.h"
#include "jet/page/data_page.h"
#include "jet/table/row_encoder.h"
#include "jet/table/row_format.h"

namespace jet {
namespace {

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
        c.length = 255;
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

    // And the encoder writes that very row.
    std::vector<Value> values = {Bytes(300, 0xAB), Bytes(200, 0xAB), Bytes(100, 0xAB), Bytes(),
                                 Bytes(5, 0xAB)};
    RowEncoder encoder(kJet3Format, table);
    encoder.encode(values);
    EXPECT_EQ(std::vector<uint8_t>(encoder.row().begin(), encoder.row().end()), row);
}

TEST(Jet3Rows, FixedTypesAndCodePageTextDecode) {
    REQUIRE_FIXTURE_OF("jet3", "testV1997.mdb");
    Database db(testing::fixtureOf("jet3", "testV1997.mdb").string(), OpenMode::ReadOnly);
    EXPECT_EQ(db.file().format().version, FormatVersion::Jet3);
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
    REQUIRE_FIXTURE_OF("jet3", "testIndexCodesV1997.mdb");
    for (const auto& entry : std::filesystem::directory_iterator(testing::fixtureOf("jet3", ""))) {
        if (entry.path().extension() != ".mdb") continue;
        Database db(entry.path().string(), OpenMode::ReadOnly);
        EXPECT_TRUE(checkDatabase(db).empty()) << entry.path();
    }
    testing::ScratchDir dir;
    const auto copy = dir.copy(testing::fixtureOf("jet3", "testIndexCodesV1997.mdb"));
    std::vector<uint8_t> bytes = testing::readFile(copy);
    {
        Database db(copy.string(), OpenMode::ReadOnly);
        const Table table = db.openTable(u"Table1");
        const RealIndexDef& index = table.definition().realIndexes.at(0);
        // The first entry of the root starts with the flag byte, then the first character's
        // sort byte.
        const size_t entries = size_t{index.rootPage} * kJet3PageSize + kJet3IndexPage.entries;
        bytes.at(entries + 1) ^= 0x01;
    }
    testing::writeFile(copy, bytes);
    Database db(copy.string(), OpenMode::ReadOnly);
    EXPECT_FALSE(checkDatabase(db).empty());
}

// Every live row Access 97 stored in the fixtures, system tables included, decoded and encoded
// again, comes out byte for byte as Access wrote it: the one-byte trailer, the jump table and
// the code-page text. Two things are Access's choice, not the format's, and are left out of the
// comparison: what a NULL fixed field's bytes hold (zeros from us, leftovers at times from
// Access) and whether a long value that fits one LVAL row is stored as one row or as a chain of
// one (the descriptor's kind bits); long values keep the row pointers Access gave them.
TEST(Jet3Rows, EveryStoredRowEncodesBackByteForByte) {
    REQUIRE_FIXTURE_OF("jet3", "testV1997.mdb");
    size_t rows = 0;
    for (const auto& entry : std::filesystem::directory_iterator(testing::fixtureOf("jet3", ""))) {
        if (entry.path().extension() != ".mdb") continue;
        Database db(entry.path().string(), OpenMode::ReadOnly);
        for (const CatalogEntry& object : db.catalog()) {
            if (!object.isTable()) continue;
            Table table = db.openTable(object);
            const TableDefinition& definition = table.definition();
            RowEncoder encoder(kJet3Format, definition);
            table.forEachRow([&](RowLocation where, const std::vector<Value>& values) {
                // `where` is the row's own place, a moved row's new one included.
                const DataPage page(db.file(), where.page);
                const ByteView stored = page.rowBytes(page.slot(where.row));
                encoder.encode(values);
                std::vector<uint8_t> encoded(encoder.row().begin(), encoder.row().end());
                std::vector<uint8_t> expected(stored.span().begin(), stored.span().end());
                for (const OutOfRowValue& value : encoder.outOfRow()) {
                    const size_t at = value.descriptorAt;
                    std::copy_n(expected.begin() + static_cast<ptrdiff_t>(at + 3), 9,
                                encoded.begin() + static_cast<ptrdiff_t>(at + 3));
                }
                for (const ColumnDef& c : definition.columns) {
                    if (!c.isFixed() || c.isLongValue() || !isNull(values[c.number])) continue;
                    const size_t at = kJet3Row.fixedArea + c.fixedOffset;
                    if (at + c.length > std::min(encoded.size(), expected.size())) continue;
                    std::copy_n(expected.begin() + static_cast<ptrdiff_t>(at), c.length,
                                encoded.begin() + static_cast<ptrdiff_t>(at));
                }
                EXPECT_EQ(encoded, expected)
                    << entry.path().filename() << " " << toUtf8(object.name) << " row at page "
                    << where.page << ":" << int(where.row);
                ++rows;
            });
        }
    }
    EXPECT_GT(rows, 3000u);
}

// Text goes into an Access 97 row as code-page bytes; a character the code page lacks is
// refused with its place named, and the encoder then holds no row.
TEST(Jet3Rows, TextOutsideTheCodePageIsRefused) {
    REQUIRE_FIXTURE_OF("jet3", "testV1997.mdb");
    Database db(testing::fixtureOf("jet3", "testV1997.mdb").string(), OpenMode::ReadOnly);
    Table table = db.openTable(u"Table1");
    const TableDefinition& definition = table.definition();
    uint16_t a = 0;
    for (const ColumnDef& c : definition.columns)
        if (c.name == u"A") a = c.number;
    std::vector<Value> values(definition.columns.size() + 1);
    RowEncoder encoder(kJet3Format, definition);
    values[a] = std::u16string(u"Größe 5 €");
    encoder.encode(values);
    const std::string stored(encoder.row().begin(), encoder.row().end());
    EXPECT_NE(stored.find("Gr\xF6\xDF"
                          "e 5 \x80"),
              std::string::npos);
    values[a] = std::u16string(u"Łódź");
    try {
        encoder.encode(values);
        FAIL() << "encoded a character cp1252 does not have";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), int32_t(ErrorCode::ConversionFailed));
        EXPECT_NE(e.description().find("1252"), std::string::npos) << e.description();
    }
    EXPECT_TRUE(encoder.row().empty());
}

// Through the DAO face as the transfer writes: a Text(50) takes 50 characters of the code page
// (Jet 4 counts bytes), one more is 3163, a character cp1252 lacks is 3421 naming it, and the
// rows that went in read back.
TEST(Jet3Rows, FieldsTakeWhatTheCodePageHolds) {
    REQUIRE_FIXTURE_OF("jet3", "testV1997.mdb");
    testing::ScratchDir dir;
    const auto copy = dir.copy(testing::fixtureOf("jet3", "testV1997.mdb"));
    auto errorOf = [](const std::function<void()>& action) {
        try {
            action();
            return std::string();
        } catch (const Error& e) {
            return std::to_string(e.number()) + " " + e.description();
        }
    };
    const std::u16string fifty(50, u'ä');
    {
        dao::DBEngine engine;
        auto db = engine.OpenDatabase(copy.string(), true);
        db->Execute(u"DELETE FROM Table1");
        auto rs = db->OpenRecordset(u"Table1");
        rs->AddNew();
        rs->Fields(u"B").SetValue(fifty);
        EXPECT_EQ(errorOf([&] { rs->Fields(u"A").SetValue(fifty + u"x"); }).substr(0, 4), "3163");
        const std::string refused = errorOf([&] { rs->Fields(u"A").SetValue(u"Łódź"); });
        EXPECT_EQ(refused.substr(0, 4), "3421");
        EXPECT_NE(refused.find("„Ł“"), std::string::npos) << refused;
        EXPECT_NE(refused.find("1252"), std::string::npos) << refused;
        rs->Fields(u"A").SetValue(std::u16string(u"Größe €"));
        rs->Update();
        rs->Close();
        db->Close();
    }
    Database db(copy.string(), OpenMode::ReadOnly);
    std::vector<std::vector<Value>> rows;
    db.openTable(u"Table1").forEachRow(
        [&](RowLocation, const std::vector<Value>& v) { rows.push_back(v); });
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], Value(std::u16string(u"Größe €")));
    EXPECT_EQ(rows[0][1], Value(fifty));
    EXPECT_TRUE(checkDatabase(db).empty());
}

// A code page without a codec is refused before any byte changes.
TEST(Jet3Rows, UnknownCodePageIsRefusedBeforeWriting) {
    REQUIRE_FIXTURE_OF("jet3", "testV1997.mdb");
    testing::ScratchDir dir;
    const auto copy = dir.copy(testing::fixtureOf("jet3", "testV1997.mdb"));
    std::vector<uint8_t> bytes = testing::readFile(copy);
    // The field is masked: flipping the stored bits flips the value, 1252 becomes 1250.
    bytes[header_layout::kCodePage] ^= uint8_t(1252 ^ 1250);
    testing::writeFile(copy, bytes);
    try {
        Database db(copy.string(), OpenMode::Exclusive);
        FAIL() << "opened a file in code page 1250 for writing";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), int32_t(ErrorCode::UnsupportedFormat));
        EXPECT_NE(e.description().find("1250"), std::string::npos) << e.description();
    }
    EXPECT_EQ(testing::readFile(copy), bytes);
}

}  // namespace
}  // namespace jet
