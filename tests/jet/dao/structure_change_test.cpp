// Deleting tables and relationships and renaming tables in copies of Access-made files: after
// each change the structural check is clean, the catalog and the definitions say what the
// change promised, the other tables read as before, and freed pages go back into use.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "fixture_files.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"
#include "jet/catalog/system_table_row.h"
#include "jet/check/check.h"
#include "jet/dao/dao_database.h"
#include "jet/page/usage_map.h"

namespace jet {
namespace {

using testing::ScratchDir;

struct Copy {
    explicit Copy(const std::string& fixture) : path(scratch.copy(testing::fixture(fixture))) {}
    ScratchDir scratch;
    std::filesystem::path path;
};

std::set<uint32_t> freePages(PageFile& file) {
    std::set<uint32_t> free;
    for (uint32_t page : readUsageMap(file, usage_map_layout::kGlobalMap).pages) free.insert(page);
    return free;
}

std::set<uint32_t> mapPages(PageFile& file, MapRef ref) {
    if (ref.page == 0) return {};
    auto pages = readUsageMap(file, ref).pages;
    return {pages.begin(), pages.end()};
}

// Every page the table's definition and maps name as its own.
std::set<uint32_t> pagesOfTable(Database& db, std::u16string_view name) {
    TableDefinition t = db.openTable(name).definition();
    std::set<uint32_t> pages(t.pages.begin(), t.pages.end());
    pages.merge(mapPages(db.file(), t.ownedPages));
    for (const ColumnDef& c : t.columns)
        if (c.longValueOwnedMap) pages.merge(mapPages(db.file(), *c.longValueOwnedMap));
    for (const RealIndexDef& index : t.realIndexes) {
        pages.merge(mapPages(db.file(), index.usageMap));
        pages.insert(index.rootPage);
    }
    return pages;
}

void expectClean(const std::filesystem::path& path) {
    Database db(path.string(), OpenMode::ReadOnly);
    for (const CheckFault& fault : checkDatabase(db))
        ADD_FAILURE() << "page " << fault.page << ": " << fault.message;
}

using Rows = std::vector<std::vector<Value>>;

Rows rowsOf(Database& db, std::u16string_view name) {
    Rows rows;
    db.openTable(name).forEachRow(
        [&](RowLocation, const std::vector<Value>& values) { rows.push_back(values); });
    return rows;
}

std::vector<std::u16string> tableNames(dao::Database& db) {
    std::vector<std::u16string> names;
    for (const dao::TableDef& t : db.GetTableDefs()) names.push_back(t.Name());
    return names;
}

bool contains(const std::vector<std::u16string>& names, std::u16string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

size_t aceRowsOf(Database& db, int32_t objectId) {
    size_t count = 0;
    Table aces = db.openTable(u"MSysACEs");
    const int column = columnNumberOf(aces.definition(), u"ObjectId");
    aces.forEachRow([&](RowLocation, const std::vector<Value>& v) {
        count += valueOr<int32_t>(v, column, 0) == objectId;
    });
    return count;
}

int32_t errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

TEST(DropTable, FreesEveryPageAndCatalogRowOfTheTable) {
    REQUIRE_FIXTURE("test2V2000.mdb");  // a two-page TDEF, memo columns with their own maps
    Copy copy("test2V2000.mdb");
    std::set<uint32_t> owned;
    int32_t id = 0;
    {
        Database db(copy.path.string(), OpenMode::ReadOnly);
        owned = pagesOfTable(db, u"MSP_PROJECTS");
        id = db.findTable(u"MSP_PROJECTS")->id;
        ASSERT_GT(aceRowsOf(db, id), 0u);
    }
    dao::DBEngine engine;
    auto db = engine.OpenDatabase(copy.path.string(), true);
    dao::TableDefs defs = db->GetTableDefs();
    const int32_t before = defs.Count();
    defs.Delete(u"msp_projects");  // ignoring case
    EXPECT_EQ(defs.Count(), before - 1);
    EXPECT_FALSE(defs.find(u"MSP_PROJECTS"));
    db->Close();

    expectClean(copy.path);
    Database after(copy.path.string(), OpenMode::ReadOnly);
    EXPECT_FALSE(after.findTable(u"MSP_PROJECTS"));
    EXPECT_EQ(aceRowsOf(after, id), 0u);
    const std::set<uint32_t> free = freePages(after.file());
    for (uint32_t page : owned) EXPECT_TRUE(free.count(page)) << "page " << page << " not freed";
}

TEST(DropTable, RefusesUnknownSystemAndRelatedTablesWithoutChangingTheFile) {
    REQUIRE_FIXTURE("indexTestV2000.mdb");
    Copy copy("indexTestV2000.mdb");
    const auto original = testing::readFile(copy.path);
    {
        dao::DBEngine engine;
        auto db = engine.OpenDatabase(copy.path.string(), true);
        dao::TableDefs defs = db->GetTableDefs();
        EXPECT_EQ(errorOf([&] { defs.Delete(u"Nix"); }), 3265);
        EXPECT_EQ(errorOf([&] { defs.Delete(u"MSysACEs"); }), 3251);
        EXPECT_EQ(errorOf([&] { defs.Delete(u"Table2"); }), 3303);  // referenced by Table1
        EXPECT_EQ(errorOf([&] { defs.Delete(u"table1"); }), 3303);  // holds the foreign keys
        db->Close();
    }
    EXPECT_TRUE(testing::readFile(copy.path) == original);
}

TEST(DropTable, FreedPagesAreTakenBeforeTheFileGrows) {
    REQUIRE_FIXTURE("testV2000.mdb");
    Copy copy("testV2000.mdb");
    const auto size = std::filesystem::file_size(copy.path);
    dao::DBEngine engine;
    auto db = engine.OpenDatabase(copy.path.string(), true);
    const Rows table3 = rowsOf(db->storage(), u"Table3");
    const size_t freeBefore = freePages(db->storage().file()).size();
    db->GetTableDefs().Delete(u"Table2");
    const size_t freed = freePages(db->storage().file()).size() - freeBefore;
    ASSERT_GE(freed, 4u);
    // Copies of Table1's rows fill at least a data page: it comes from the freed ones.
    const Rows table1 = rowsOf(db->storage(), u"Table1");
    auto rs = db->OpenRecordset(u"Table1");
    const dao::TableDef& def = db->GetTableDefs().Item(u"Table1");
    for (int copyNo = 0; copyNo < 40; ++copyNo) {
        for (const auto& row : table1) {
            rs->AddNew();
            for (const dao::Field& f : def.GetFields())
                if (f.column().number < row.size())
                    rs->Fields(f.Name()).SetValue(row[f.column().number]);
            // A is the primary key.
            rs->Fields(u"A").SetValue(std::get<std::u16string>(row[0]) +
                                      fromUtf8(std::to_string(copyNo)));
            rs->Update();
        }
    }
    rs->Close();
    EXPECT_LT(freePages(db->storage().file()).size(), freeBefore + freed);
    db->Close();
    EXPECT_EQ(std::filesystem::file_size(copy.path), size);
    expectClean(copy.path);
    Database after(copy.path.string(), OpenMode::ReadOnly);
    EXPECT_EQ(rowsOf(after, u"Table3"), table3);
    EXPECT_EQ(rowsOf(after, u"Table1").size(), table1.size() * 41);
}

TEST(RenameTable, ChangesTheCatalogAlsoForCaseOnlyAndRefusesBadNames) {
    REQUIRE_FIXTURE("testV2000.mdb");
    Copy copy("testV2000.mdb");
    Rows rows;
    {
        dao::DBEngine engine;
        auto db = engine.OpenDatabase(copy.path.string(), true);
        rows = rowsOf(db->storage(), u"Table1");
        dao::TableDef table = db->GetTableDefs().Item(u"Table1");
        table.SetName(u"TABLE1");
        EXPECT_TRUE(contains(tableNames(*db), u"TABLE1"));
        table.SetName(u"Eine viel längere Tabelle mit Umlauten äöü");
        EXPECT_EQ(table.Name(), u"Eine viel längere Tabelle mit Umlauten äöü");
        EXPECT_EQ(errorOf([&] { table.SetName(u"table3"); }), 3010);
        EXPECT_EQ(errorOf([&] { table.SetName(u""); }), 3001);
        EXPECT_EQ(errorOf([&] { table.SetName(u" vorn"); }), 3001);
        EXPECT_EQ(errorOf([&] { table.SetName(u"a.b"); }), 3001);
        EXPECT_EQ(errorOf([&] { table.SetName(u"[x]"); }), 3001);
        EXPECT_EQ(errorOf([&] { table.SetName(std::u16string(65, u'x')); }), 3001);
        table.SetName(u"Kunden");
        db->Close();
    }
    expectClean(copy.path);
    Database db(copy.path.string(), OpenMode::ReadOnly);
    EXPECT_FALSE(db.findTable(u"Table1"));
    ASSERT_TRUE(db.findTable(u"KUNDEN"));
    EXPECT_EQ(db.findTable(u"KUNDEN")->name, u"Kunden");
    EXPECT_EQ(rowsOf(db, u"Kunden"), rows);
}

TEST(RenameTable, RelationshipsFollowAndARenamedTableCanBeDropped) {
    REQUIRE_FIXTURE("indexTestV2000.mdb");
    Copy copy("indexTestV2000.mdb");
    dao::DBEngine engine;
    auto db = engine.OpenDatabase(copy.path.string(), true);
    dao::TableDef table = db->GetTableDefs().Item(u"Table2");
    // Longer than before, so the catalog row may have to move.
    table.SetName(u"Table2 mit einem deutlich längeren Namen");
    size_t naming = 0;
    for (const Relationship& r : readRelationships(db->storage()))
        naming += r.referencedTable == u"Table2 mit einem deutlich längeren Namen";
    EXPECT_EQ(naming, 1u);
    EXPECT_EQ(
        errorOf([&] { db->GetTableDefs().Delete(u"Table2 mit einem deutlich längeren Namen"); }),
        3303);
    dao::Relations relations = db->GetRelations();
    while (relations.Count() > 0) relations.Delete(relations.Item(0).Name());
    db->GetTableDefs().Delete(u"Table2 mit einem deutlich längeren Namen");
    db->Close();
    expectClean(copy.path);
}

// Every foreign-key block names a partner block that names it back.
void expectPartnersAgree(Database& db) {
    std::map<uint32_t, TableDefinition> tables;
    for (const CatalogEntry& e : db.catalog())
        if (e.isTable()) tables.emplace(e.id, db.openTable(e).definition());
    for (const auto& [page, t] : tables) {
        for (const LogicalIndexDef& l : t.logicalIndexes) {
            if (l.kind != uint8_t(LogicalIndexKind::ForeignKey)) continue;
            ASSERT_TRUE(tables.count(l.otherTablePage)) << toUtf8(l.name);
            const auto& other = tables.at(l.otherTablePage).logicalIndexes;
            auto partner = std::find_if(other.begin(), other.end(), [&](const auto& o) {
                return static_cast<int32_t>(o.number) == l.otherIndex;
            });
            ASSERT_NE(partner, other.end()) << toUtf8(l.name);
            EXPECT_EQ(partner->otherTablePage, page);
            EXPECT_EQ(partner->otherIndex, static_cast<int32_t>(l.number));
        }
        std::set<uint32_t> numbers;
        for (const LogicalIndexDef& l : t.logicalIndexes) numbers.insert(l.number);
        EXPECT_EQ(numbers.size(), t.logicalIndexes.size());
        EXPECT_TRUE(numbers.empty() || *numbers.rbegin() == numbers.size() - 1);
    }
}

TEST(DeleteRelation, TakesOutForeignKeyIndexesAndKeepsTheOthersWorking) {
    REQUIRE_FIXTURE("indexTestV2000.mdb");
    Copy copy("indexTestV2000.mdb");
    dao::DBEngine engine;
    auto db = engine.OpenDatabase(copy.path.string(), true);
    const Rows table1 = rowsOf(db->storage(), u"Table1");
    const size_t logicalBefore =
        db->storage().openTable(u"Table1").definition().logicalIndexes.size();
    dao::Relations relations = db->GetRelations();
    const int32_t count = relations.Count();
    EXPECT_EQ(errorOf([&] { relations.Delete(u"Keine"); }), 3265);
    relations.Delete(u"table2table1");  // ignoring case
    EXPECT_EQ(relations.Count(), count - 1);
    {
        TableDefinition t1 = db->storage().openTable(u"Table1").definition();
        EXPECT_EQ(t1.logicalIndexes.size(), logicalBefore - 1);
        EXPECT_EQ(t1.realIndexes.size(), 3u);  // its own real index went with it
        for (const LogicalIndexDef& l : t1.logicalIndexes) EXPECT_NE(l.name, u"Table2Table1");
        TableDefinition t2 = db->storage().openTable(u"Table2").definition();
        EXPECT_EQ(t2.logicalIndexes.size(), 2u);  // .rC gone, the primary key's index stays
        EXPECT_EQ(t2.realIndexes.size(), 2u);
        expectPartnersAgree(db->storage());
    }
    // The remaining indexes still take rows: a copy of each row with a new key.
    auto rs = db->OpenRecordset(u"Table1");
    for (const auto& row : table1) {
        rs->AddNew();
        rs->Fields(u"id").SetValue(int32_t{1000} + std::get<int32_t>(row[1]));
        rs->Fields(u"data").SetValue(row[4]);
        rs->Update();
    }
    rs->Close();
    EXPECT_EQ(errorOf([&] {
                  rs = db->OpenRecordset(u"Table1");
                  rs->AddNew();
                  rs->Fields(u"id").SetValue(std::get<int32_t>(table1.front()[1]));
                  rs->Update();
              }),
              3022);
    rs->Close();
    while (relations.Count() > 0) relations.Delete(relations.Item(0).Name());
    db->Close();
    expectClean(copy.path);
    Database after(copy.path.string(), OpenMode::ReadOnly);
    expectPartnersAgree(after);
    EXPECT_TRUE(readRelationships(after).empty());
    for (const CatalogEntry& e : after.catalog())
        EXPECT_NE(e.type, catalog_layout::kTypeRelationship) << toUtf8(e.name);
    EXPECT_EQ(rowsOf(after, u"Table1").size(), table1.size() * 2);
}

TEST(TableDefsWalk, StaysAsTakenWhileTablesAreDeletedAndRenamed) {
    REQUIRE_FIXTURE("testV2000.mdb");
    Copy copy("testV2000.mdb");
    dao::DBEngine engine;
    auto db = engine.OpenDatabase(copy.path.string(), true);
    const std::vector<std::u16string> names = tableNames(*db);
    std::vector<std::u16string> walked;
    for (const dao::TableDef& t : db->GetTableDefs()) {
        walked.push_back(t.Name());
        if (t.Name() == u"Table2") db->GetTableDefs().Delete(t.Name());
        if (t.Name() == u"Table3") {
            dao::TableDef copyOfDef = t;
            copyOfDef.SetName(u"Table3_neu");
        }
    }
    EXPECT_EQ(walked, names);
    const std::vector<std::u16string> now = tableNames(*db);
    EXPECT_FALSE(contains(now, u"Table2"));
    EXPECT_FALSE(contains(now, u"Table3"));
    EXPECT_TRUE(contains(now, u"Table3_neu"));
    EXPECT_EQ(now.size(), names.size() - 1);
    db->Close();
    expectClean(copy.path);
}

}  // namespace
}  // namespace jet
