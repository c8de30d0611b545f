// The keys this engine computes for each row, against the entries Access stored for that row,
// for every real index of every table (system tables too) of every Jet 4 fixture.
#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <sstream>

#include "fixture_files.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"
#include "jet/index/index_key.h"
#include "jet/index/index_tree.h"

namespace jet {
namespace {

std::string hex(const std::vector<uint8_t>& bytes) {
    std::ostringstream out;
    for (uint8_t b : bytes) out << std::hex << (b < 16 ? "0" : "") << int{b} << ' ';
    return out.str();
}

std::string show(const Value& v) {
    if (isNull(v)) return "NULL";
    if (auto* s = std::get_if<std::u16string>(&v)) return "'" + toUtf8(*s) + "'";
    if (auto* b = std::get_if<Bytes>(&v)) return "0x " + hex(*b);
    if (auto* i = std::get_if<int32_t>(&v)) return std::to_string(*i);
    if (auto* i = std::get_if<int16_t>(&v)) return std::to_string(*i);
    if (auto* d = std::get_if<double>(&v)) return std::to_string(*d);
    return "(Wert)";
}

struct Tally {
    size_t indexes = 0, compared = 0, unsupported = 0;
};

// Compares one real index; mismatches are test failures naming the file, table, index and row.
void compareIndex(Database& db, const std::string& where, Table& table, size_t number,
                  Tally& tally) {
    const RealIndexDef& index = table.definition().realIndexes[number];
    std::map<RowLocation, std::vector<uint8_t>> stored;
    for (const auto& e : readIndexTree(db.file(), index.rootPage).entries) stored[e.row] = e.key;
    ++tally.indexes;
    table.forEachRowById([&](RowLocation row, const std::vector<Value>& values) {
        auto entry = stored.find(row);
        if (entry == stored.end()) return;  // left out of an ignore-nulls index
        std::vector<uint8_t> key;
        try {
            key = indexKey(table.definition(), index, values);
        } catch (const Error& e) {
            if (e.number() != int(ErrorCode::UnsupportedFormat)) throw;
            ++tally.unsupported;
            return;
        }
        ++tally.compared;
        if (key == entry->second) return;
        std::string shown;
        for (const auto& c : index.columns)
            shown += " " + show(c.columnNumber < values.size() ? values[c.columnNumber] : Null{});
        ADD_FAILURE() << where << " index " << number << ", row " << row.page << "/" << int{row.row}
                      << ", values" << shown << "\n  Access:   " << hex(entry->second)
                      << "\n  computed: " << hex(key);
    });
}

TEST(IndexKeysMatchAccess, EveryIndexOfEveryFixture) {
    const auto files = testing::allFixtures();
    if (files.empty()) GTEST_SKIP() << "no fixtures in " << testing::fixtureDir();
    Tally tally;
    for (const auto& file : files) {
        Database db(file.string(), OpenMode::ReadOnly);
        for (const auto& entry : db.catalog()) {
            if (!entry.isTable()) continue;
            Table table = db.openTable(entry);
            const std::string where = file.filename().string() + ", " + toUtf8(entry.name);
            for (size_t i = 0; i < table.definition().realIndexes.size(); ++i)
                compareIndex(db, where, table, i, tally);
        }
    }
    std::cout << "[ keys     ] " << tally.indexes << " indexes, " << tally.compared
              << " entries compared, " << tally.unsupported << " not computable\n";
    EXPECT_GT(tally.compared, 5000u);
}

}  // namespace
}  // namespace jet
