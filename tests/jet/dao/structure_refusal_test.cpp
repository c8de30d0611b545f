// Structure changes that are refused check everything before their first write: in a file
// whose text sort order has no key data, with a recordset open on the table, or with the file
// at its page limit, a refused change leaves the file byte for byte as it was and its tables
// with all their rows.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "fixture_files.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"
#include "jet/check/check.h"
#include "jet/dao/dao_database.h"
#include "jet/ddl/blank_database.h"
#include "sort_order_files.h"

namespace jet {
namespace {

using dao::DBEngine;
using testing::ScratchDir;

constexpr int32_t kRows = 3;

// A blank database holding the table Kunden (id, name) with kRows rows.
std::filesystem::path databaseWithCustomers(const ScratchDir& scratch) {
    const std::filesystem::path path = scratch.file("kunden.mdb");
    createBlankDatabase(path.string());
    DBEngine engine;
    auto db = engine.OpenDatabase(path.string(), true);
    auto def = db->CreateTableDef(u"Kunden");
    def->GetFields().Append(def->CreateField(u"id", dao::data_type::dbLong, 0));
    def->GetFields().Append(def->CreateField(u"name", dao::data_type::dbText, 50));
    db->GetTableDefs().Append(*def);
    auto rs = db->OpenRecordset(u"Kunden");
    for (int32_t id = 1; id <= kRows; ++id) {
        rs->AddNew();
        rs->Fields(u"id").SetValue(id);
        rs->Fields(u"name").SetValue(u"Kunde " + fromUtf8(std::to_string(id)));
        rs->Update();
    }
    rs->Close();
    db->Close();
    return path;
}

size_t rowCount(const std::filesystem::path& path, std::u16string_view table) {
    Database db(path.string(), OpenMode::ReadOnly);
    size_t rows = 0;
    db.openTable(table).forEachRow([&](RowLocation, const std::vector<Value>&) { ++rows; });
    return rows;
}

// Runs `change` on the database at `path`, expecting it refused with `code` and a German
// description containing `says`; the file, once closed, must be what it was.
void expectRefusedUnchanged(const std::filesystem::path& path, ErrorCode code,
                            const std::string& says,
                            const std::function<void(dao::Database&)>& change) {
    const std::vector<uint8_t> before = testing::readFile(path);
    {
        DBEngine engine;
        auto db = engine.OpenDatabase(path.string(), true);
        try {
            change(*db);
            ADD_FAILURE() << "the change was not refused";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), static_cast<int32_t>(code)) << e.description();
            EXPECT_NE(e.description().find(says), std::string::npos) << e.description();
        }
        EXPECT_EQ(db->storage().file().dirtyPageCount(), 0u) << "pages changed in the cache";
        db->Close();
    }
    EXPECT_TRUE(testing::readFile(path) == before) << "the refused change reached the file";
}

constexpr char kNoKeyData[] = "die Sortierreihenfolge (LCID 1031) wird nicht unterstützt";

TEST(StructureRefusal, UnsortableFileKeepsEveryTableAsItWas) {
    ScratchDir scratch;
    const std::filesystem::path path = databaseWithCustomers(scratch);
    testing::setSortOrder(path, testing::kGermanPhoneBook);

    expectRefusedUnchanged(path, ErrorCode::UnsupportedFormat, kNoKeyData,
                           [](dao::Database& db) { db.GetTableDefs().Delete(u"Kunden"); });
    expectRefusedUnchanged(path, ErrorCode::UnsupportedFormat, kNoKeyData, [](dao::Database& db) {
        dao::TableDef table = db.GetTableDefs().Item(u"Kunden");
        table.SetName(u"Kunden alt");
    });
    expectRefusedUnchanged(path, ErrorCode::UnsupportedFormat, kNoKeyData, [](dao::Database& db) {
        auto def = db.CreateTableDef(u"new_Kunden");
        def->GetFields().Append(def->CreateField(u"id", dao::data_type::dbLong, 0));
        db.GetTableDefs().Append(*def);
    });
    EXPECT_EQ(rowCount(path, u"Kunden"), size_t{kRows});
}

// The name of the first relationship of the file at `path`.
std::u16string firstRelationship(const std::filesystem::path& path) {
    DBEngine engine;
    auto db = engine.OpenDatabase(path.string(), false, true);
    if (db->GetRelations().Count() == 0) return {};
    return db->GetRelations().Item(0).Name();
}

TEST(StructureRefusal, UnsortableFileKeepsItsRelationships) {
    REQUIRE_FIXTURE("indexTestV2000.mdb");
    ScratchDir scratch;
    // Unsortable throughout, and unsortable only in MSysRelationships: then the catalog's own
    // keys pass and the refusal comes from the relationship rows the change would write next.
    for (std::u16string_view only :
         {std::u16string_view{}, std::u16string_view{u"MSysRelationships"}}) {
        SCOPED_TRACE(toUtf8(only));
        const std::filesystem::path path = scratch.copy(testing::fixture("indexTestV2000.mdb"));
        testing::setSortOrder(path, testing::kGermanPhoneBook, only);
        const std::u16string relation = firstRelationship(path);
        ASSERT_FALSE(relation.empty());
        expectRefusedUnchanged(path, ErrorCode::UnsupportedFormat, kNoKeyData,
                               [&](dao::Database& db) { db.GetRelations().Delete(relation); });
        expectRefusedUnchanged(path, ErrorCode::UnsupportedFormat, kNoKeyData,
                               [](dao::Database& db) {
                                   dao::TableDef table = db.GetTableDefs().Item(u"Table2");
                                   table.SetName(u"Tabelle2");
                               });
    }
}

TEST(StructureRefusal, OpenRecordsetAndPageLimitRefuseBeforeWriting) {
    ScratchDir scratch;
    const std::filesystem::path path = databaseWithCustomers(scratch);
    expectRefusedUnchanged(path, ErrorCode::TableInUse, "Recordset", [](dao::Database& db) {
        auto rs = db.OpenRecordset(u"Kunden");
        db.GetTableDefs().Delete(u"Kunden");
    });
    expectRefusedUnchanged(path, ErrorCode::DatabaseFull, "Höchstgröße", [](dao::Database& db) {
        PageFile& file = db.storage().file();
        file.setPageLimit(file.pageCount() + 1);
        auto def = db.CreateTableDef(u"Neu");
        def->GetFields().Append(def->CreateField(u"id", dao::data_type::dbLong, 0));
        db.GetTableDefs().Append(*def);
    });
    EXPECT_EQ(rowCount(path, u"Kunden"), size_t{kRows});
}

TEST(StructureRefusal, GeneralSortOrderStillDropsAndRenames) {
    ScratchDir scratch;
    const std::filesystem::path path = databaseWithCustomers(scratch);
    {
        DBEngine engine;
        auto db = engine.OpenDatabase(path.string(), true);
        auto rs = db->OpenRecordset(u"Kunden");
        rs->Close();  // a closed recordset no longer holds the table
        auto copy = db->CreateTableDef(u"new_Kunden");
        copy->GetFields().Append(copy->CreateField(u"id", dao::data_type::dbLong, 0));
        db->GetTableDefs().Append(*copy);
        db->checkTableReplacement(u"Kunden", *copy);
        db->GetTableDefs().Delete(u"Kunden");
        copy->SetName(u"Kunden");
        db->Close();
    }
    Database db(path.string(), OpenMode::ReadOnly);
    ASSERT_NE(db.findTable(u"Kunden"), nullptr);
    EXPECT_EQ(db.findTable(u"new_Kunden"), nullptr);
    EXPECT_EQ(db.openTable(u"Kunden").definition().columns.size(), 1u);
    for (const CheckFault& fault : checkDatabase(db))
        ADD_FAILURE() << "page " << fault.page << ": " << fault.message;
}

}  // namespace
}  // namespace jet
