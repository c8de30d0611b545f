// Deleting and updating single rows in copies of Access-made files with indexes: after every
// step the structural check (index entries and counts included) finds nothing, the rows read
// back as expected by their ids, and mdb-export sees as many rows.
#include <gtest/gtest.h>
#include <stdio.h>

#include <map>
#include <string>

#include "fixture_files.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"
#include "jet/check/check.h"
#include "jet/index/table_inserter.h"
#include "jet/page/data_page.h"
#include "jet/page/page_allocator.h"

namespace jet {
namespace {

using Row = std::vector<Value>;
using Rows = std::map<RowLocation, Row>;

struct Changer {
    Changer(const std::filesystem::path& path, std::u16string_view name)
        : db(path.string(), OpenMode::Exclusive),
          allocator(db.file()),
          definition(db.openTable(name).definition()),
          inserter(db.file(), allocator, definition) {}

    Database db;
    PageAllocator allocator;
    TableDefinition definition;
    TableInserter inserter;
};

Rows rowsById(Database& db, std::u16string_view name) {
    Rows rows;
    db.openTable(name).forEachRowById(
        [&](RowLocation where, const Row& values) { rows[where] = values; });
    return rows;
}

size_t exportedRows(const std::filesystem::path& file, const std::string& table) {
    const std::string command = "mdb-export '" + file.string() + "' '" + table + "' | wc -l";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return 0;
    size_t lines = 0;
    if (fscanf(pipe, "%zu", &lines) != 1) lines = 0;
    pclose(pipe);
    return lines == 0 ? 0 : lines - 1;  // the header line
}

size_t movedRows(Database& db, std::u16string_view name) {
    size_t moved = 0;
    for (uint32_t number : db.openTable(name).dataPages()) {
        DataPage page(kJet4Format, db.file().page(number));
        for (uint16_t r = 0; r < page.rowCount(); ++r) {
            RowSlot slot = page.slot(static_cast<uint8_t>(r));
            moved += slot.lookup && !slot.deleted;
        }
    }
    return moved;
}

bool haveMdbExport() {
    return std::system("mdb-export --version >/dev/null 2>&1") == 0;
}

// The state on disk is what `expected` says, and sound.
void expectState(Changer& c, const std::filesystem::path& file, std::u16string_view name,
                 const Rows& expected, const std::string& step) {
    SCOPED_TRACE(step);
    c.db.file().flush();
    for (const CheckFault& f : checkDatabase(c.db))
        ADD_FAILURE() << "page " << f.page << ": " << f.message;
    EXPECT_EQ(rowsById(c.db, name), expected);
    size_t scanned = 0;
    c.db.openTable(name).forEachRow([&](RowLocation, const Row&) { ++scanned; });
    EXPECT_EQ(scanned, expected.size());
    if (haveMdbExport()) {
        EXPECT_EQ(exportedRows(file, toUtf8(name)), expected.size());
    }
}

// Text grows (long enough to move rows off full pages) and Long values shift, so that index
// entries of both kinds move; keys stay distinct where they were.
Row changed(const TableDefinition& table, Row row, size_t growth) {
    for (const ColumnDef& c : table.columns) {
        Value& v = row[c.number];
        if (auto* text = std::get_if<std::u16string>(&v); text && c.type() == ColumnType::Text)
            *text = (*text + std::u16string(growth, u'x')).substr(0, c.length / 2);
        else if (auto* number = std::get_if<int32_t>(&v);
                 number && !(c.flags & column_flag::kAutoLong))
            *number += 100000;
    }
    return row;
}

void changeEverything(const std::string& fixtureName, std::u16string_view name,
                      bool expectMoves = false) {
    testing::ScratchDir dir;
    const auto file = dir.copy(testing::fixture(fixtureName));
    Changer c(file, name);
    Rows expected = rowsById(c.db, name);
    ASSERT_FALSE(expected.empty());

    // Same size: only non-key bytes are rewritten where they are.
    {
        auto it = expected.begin();
        Row same = changed(c.definition, it->second, 0);
        c.inserter.updateRow(it->first, same);
        it->second = same;
        expectState(c, file, name, expected, "same size");
    }
    // Longer rows and moved keys, every second row; some rows move off their pages.
    size_t i = 0;
    for (auto& [where, row] : expected) {
        if (i++ % 2) continue;
        row = changed(c.definition, row, 40);
        c.inserter.updateRow(where, row);
    }
    expectState(c, file, name, expected, "longer rows");
    if (expectMoves) {
        EXPECT_GT(movedRows(c.db, name), 0u);
    }
    // A moved row again: now shorter, then deleted.
    {
        auto it = expected.begin();
        it->second = changed(c.definition, it->second, 2);
        c.inserter.updateRow(it->first, it->second);
        expectState(c, file, name, expected, "moved again");
    }
    // Every third row deleted, then all the others one by one.
    i = 0;
    for (auto it = expected.begin(); it != expected.end();) {
        if (i++ % 3 == 0) {
            c.inserter.deleteRow(it->first);
            it = expected.erase(it);
        } else {
            ++it;
        }
    }
    expectState(c, file, name, expected, "some deleted");
    while (!expected.empty()) {
        c.inserter.deleteRow(expected.begin()->first);
        expected.erase(expected.begin());
    }
    expectState(c, file, name, expected, "all deleted");
    const Table emptied = c.db.openTable(name);
    EXPECT_EQ(emptied.definition().rowCount, 0u);
    for (const RealIndexDef& index : emptied.definition().realIndexes)
        EXPECT_EQ(index.distinctKeys, 0u);
}

TEST(RowChange, IndexTestTables) {
    REQUIRE_FIXTURE("indexTestV2003.mdb");
    for (std::u16string_view name : {u"Table1", u"Table2", u"Table3"}) {
        SCOPED_TRACE(toUtf8(name));
        changeEverything("indexTestV2003.mdb", name);
    }
}

TEST(RowChange, TextKeysAndIgnoreNulls) {
    REQUIRE_FIXTURE("testIndexPropertiesV2003.mdb");
    for (std::u16string_view name :
         {u"TableIgnoreNulls1", u"TableIgnoreNulls2", u"TableUnique1_temp", u"TableUnique2_temp"}) {
        SCOPED_TRACE(toUtf8(name));
        changeEverything("testIndexPropertiesV2003.mdb", name);
    }
}

TEST(RowChange, TwoLevelTree) {
    REQUIRE_FIXTURE("compIndexTestV2003.mdb");
    changeEverything("compIndexTestV2003.mdb", u"Table1", true);
}

TEST(RowChange, DuplicateKeyChangesNothing) {
    REQUIRE_FIXTURE("testIndexPropertiesV2003.mdb");
    testing::ScratchDir dir;
    const auto file = dir.copy(testing::fixture("testIndexPropertiesV2003.mdb"));
    Changer c(file, u"TableUnique1_temp");
    Rows expected = rowsById(c.db, u"TableUnique1_temp");
    ASSERT_GE(expected.size(), 2u);
    auto first = expected.begin(), second = std::next(first);
    bool refused = false;
    try {
        c.inserter.updateRow(second->first, first->second);  // every column equal to another row
    } catch (const Error& e) {
        refused = e.number() == static_cast<int32_t>(ErrorCode::DuplicateKey);
    }
    if (!refused) GTEST_SKIP() << "the table has no unique index";
    expectState(c, file, u"TableUnique1_temp", expected, "refused");
}

}  // namespace
}  // namespace jet
