// ACE 16's BigInt and ACE 17's extended Date/Time: their stored bytes and index keys, the
// files that may hold them, and rows stored in shuffled order read back through their
// indexes in key order.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>

#include "error_of.h"
#include "fixture_files.h"
#include "jet/base/extended_date.h"
#include "jet/catalog/database.h"
#include "jet/check/check.h"
#include "jet/dao/dao_database.h"
#include "jet/dao/table_creator.h"
#include "jet/ddl/blank_database.h"
#include "jet/index/index_key.h"
#include "jet/index/index_tree.h"
#include "jet/table/extended_date_field.h"

namespace jet {
namespace {

using testing::errorOf;

ExtendedDateTime date(std::u16string_view text) {
    auto parsed = parseExtendedDateText(text, ValueLocale{});
    EXPECT_TRUE(parsed.has_value()) << std::string(text.begin(), text.end());
    return parsed.value_or(ExtendedDateTime{});
}

ColumnDef columnOf(ColumnType type) {
    ColumnDef c;
    c.typeCode = uint8_t(type);
    c.name.push_back(u'x');  // GCC 12 under ASan sees a false overlap in assigning u"x"
    return c;
}

std::vector<uint8_t> keyOf(ColumnType type, const Value& v, bool ascending) {
    std::vector<uint8_t> key;
    appendColumnKey(key, columnOf(type), v, ascending);
    return key;
}

TEST(ExtendedDateField, AsciiDaysSecondsAndTicksWithTrailer) {
    const ExtendedDateTime leapDay = date(u"2024-02-29 12:34:56.1234567");
    uint8_t stored[42];
    writeExtendedDateField(leapDay, stored);
    // 738944 days after 0001-01-01, 45296 seconds into the day.
    const std::string expected("0000000000000738944:0000000452961234567:7\0", 42);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(stored), 42), expected);
    EXPECT_EQ(readExtendedDateField(ByteView(stored, 1)), leapDay);
    stored[5] = 'x';
    EXPECT_EQ(errorOf([&] { readExtendedDateField(ByteView(stored, 1)); }),
              int(ErrorCode::DatabaseCorrupt));

    EXPECT_EQ(formatExtendedDate(ExtendedDateTime{0}), "0001-01-01 00:00:00.0000000");
    EXPECT_EQ(formatExtendedDate(ExtendedDateTime{extended_date::kMaxTicks}),
              "9999-12-31 23:59:59.9999999");
    EXPECT_EQ(date(u"9999-12-31 23:59:59.9999999").ticks, extended_date::kMaxTicks);
    EXPECT_FALSE(parseExtendedDateText(u"0000-12-31", ValueLocale{}));
    EXPECT_FALSE(parseExtendedDateText(u"2023-02-29", ValueLocale{}));
}

// Jet's dates count backwards before 1899-12-30 with the time as a positive fraction; a
// double's days are taken to the microsecond, the digits below being noise.
TEST(ExtendedDateField, JetDatesConvertBothWays) {
    EXPECT_EQ(extendedDateFromJetDays(-1.25), date(u"1899-12-29 06:00"));
    EXPECT_EQ(extendedDateFromJetDays(0.0), date(u"1899-12-30"));
    const ExtendedDateTime noon = date(u"2024-02-29T12:00:00.123456");
    EXPECT_EQ(extendedDateFromJetDays(jetDaysOf(noon)), noon);
    EXPECT_EQ(jetDaysOf(date(u"1899-12-29 06:00")), -1.25);
    EXPECT_FALSE(extendedDateFromJetDays(3e6));
    EXPECT_FALSE(extendedDateFromJetDays(std::nan("")));
}

// BigInt keys as Long's over eight bytes; extended dates as their text in blocks of eight
// with a separator each, descending inverting all but the separators.
TEST(AceNewTypeKeys, BigIntAndExtendedDateKeys) {
    EXPECT_EQ(keyOf(ColumnType::BigInt, int64_t{-1}, true),
              (std::vector<uint8_t>{0x7F, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(keyOf(ColumnType::BigInt, int64_t{-1}, false),
              (std::vector<uint8_t>{0x80, 0x80, 0, 0, 0, 0, 0, 0, 0}));

    const ExtendedDateTime leapDay = date(u"2024-02-29 12:34:56.1234567");
    const std::string text("0000000000000738944:0000000452961234567:7\0", 42);
    std::vector<uint8_t> expected = {0x7F};
    for (size_t block = 0; block < 5; ++block) {
        expected.insert(expected.end(), text.begin() + block * 8, text.begin() + block * 8 + 8);
        expected.push_back(0x09);
    }
    expected.insert(expected.end(), text.begin() + 40, text.end());
    expected.insert(expected.end(), {0, 0, 0, 0, 0, 0, 2});
    EXPECT_EQ(keyOf(ColumnType::ExtendedDateTime, leapDay, true), expected);
    std::vector<uint8_t> descending = keyOf(ColumnType::ExtendedDateTime, leapDay, false);
    ASSERT_EQ(descending.size(), expected.size());
    EXPECT_EQ(descending[0], 0x80);
    for (size_t i = 1; i < expected.size(); ++i) {
        const bool separator = i <= 45 && i % 9 == 0;
        EXPECT_EQ(descending[i], separator ? 0x09 : uint8_t(~expected[i])) << i;
    }
    // A Jet date is keyed as the extended date it converts to.
    EXPECT_EQ(keyOf(ColumnType::ExtendedDateTime, DateTime{-1.25}, true),
              keyOf(ColumnType::ExtendedDateTime, date(u"1899-12-29 06:00"), true));
}

NewColumn column(std::u16string name, ColumnType type) {
    NewColumn c;
    c.name = std::move(name);
    c.type = type;
    return c;
}

NewTable valuesTable() {
    NewTable t{u"Werte", {}, {}, {}};
    t.columns = {column(u"Nr", ColumnType::BigInt), column(u"Wann", ColumnType::ExtendedDateTime)};
    t.indexes = {{u"PrimaryKey", {{u"Nr", true}}, true, false, false, false},
                 {u"NachWann", {{u"Wann", false}}, false, true, false, false}};
    return t;
}

int createIn(const std::filesystem::path& path, FormatVersion version, const NewTable& table) {
    createBlankAceDatabase(path.string(), version);
    dao::DBEngine engine;
    auto db = engine.OpenDatabase(path.string(), true);
    const int error = errorOf([&] { createTable(*db, table); });
    db->Close();
    return error;
}

TEST(AceNewTypes, OnlyFilesOfTheirVersionTakeThem) {
    testing::ScratchDir dir;
    NewTable bigOnly = valuesTable();
    bigOnly.columns.pop_back();
    bigOnly.indexes.pop_back();
    EXPECT_EQ(createIn(dir.file("14.accdb"), FormatVersion::Ace14, bigOnly),
              int(ErrorCode::InvalidArgument));
    EXPECT_EQ(createIn(dir.file("16.accdb"), FormatVersion::Ace16, bigOnly), 0);
    EXPECT_EQ(createIn(dir.file("16b.accdb"), FormatVersion::Ace16, valuesTable()),
              int(ErrorCode::InvalidArgument));
    EXPECT_EQ(createIn(dir.file("17.accdb"), FormatVersion::Ace17, valuesTable()), 0);
    Database db(dir.file("17.accdb").string(), OpenMode::ReadOnly);
    EXPECT_EQ(db.file().format().version, FormatVersion::Ace17);
}

// Values at both ends of each range and across the sign, stored in shuffled order; the
// primary key gives them back by number, the descending index by date, latest first.
TEST(AceNewTypes, ShuffledRowsComeBackThroughTheIndexesInOrder) {
    testing::ScratchDir dir;
    const auto path = dir.file("werte.accdb");
    ASSERT_EQ(createIn(path, FormatVersion::Ace17, valuesTable()), 0);
    std::vector<std::pair<int64_t, ExtendedDateTime>> rows;
    const int64_t step = INT64_MAX / 200;
    const int64_t tickStep = extended_date::kMaxTicks / 400;
    for (int64_t i = -200; i <= 200; ++i)
        rows.push_back({i * step + (i % 7), ExtendedDateTime{(i + 200) * tickStep + (i & 3)}});
    rows.push_back({INT64_MIN, ExtendedDateTime{extended_date::kMaxTicks}});
    rows.push_back({-1, ExtendedDateTime{1}});
    std::shuffle(rows.begin(), rows.end(), std::mt19937(11));
    {
        dao::DBEngine engine;
        auto db = engine.OpenDatabase(path.string(), true);
        auto rs = db->OpenRecordset(u"Werte");
        for (const auto& [number, when] : rows) {
            rs->AddNew();
            rs->Fields(u"Nr").SetValue(number);
            rs->Fields(u"Wann").SetValue(when);
            rs->Update();
        }
        rs->AddNew();  // a second row of the same number is refused
        rs->Fields(u"Nr").SetValue(rows[0].first);
        EXPECT_EQ(errorOf([&] { rs->Update(); }), int(ErrorCode::DuplicateKey));
        rs->Close();
        db->Close();
    }
    Database db(path.string(), OpenMode::ReadOnly);
    EXPECT_TRUE(checkDatabase(db).empty());
    Table table = db.openTable(u"Werte");
    const TableDefinition& t = table.definition();
    auto valuesInIndex = [&](size_t realIndex, uint16_t column) {
        std::vector<Value> values;
        for (const IndexEntry& e :
             readIndexTree(db.file(), t.realIndexes[realIndex].rootPage).entries)
            values.push_back(table.readRow(e.row)[column]);
        return values;
    };
    std::vector<Value> byNumber, byDateDescending;
    std::sort(rows.begin(), rows.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& row : rows) byNumber.push_back(row.first);
    std::sort(rows.begin(), rows.end(),
              [](const auto& a, const auto& b) { return a.second.ticks > b.second.ticks; });
    for (const auto& row : rows) byDateDescending.push_back(row.second);
    const size_t dateIndex = t.realIndexes[0].columns[0].columnNumber == 0 ? 1 : 0;
    EXPECT_EQ(valuesInIndex(1 - dateIndex, 0), byNumber);
    EXPECT_EQ(valuesInIndex(dateIndex, 1), byDateDescending);
}

}  // namespace
}  // namespace jet
