// Access 2007 and later (.accdb) files changed: rows emptied and stored with every index kept
// in the file's sort order, and tables with attachment, multi-value or calculated columns
// refused for every change before a byte is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "fixture_files.h"
#include "jet/base/errors.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"
#include "jet/check/check.h"
#include "jet/dao/dao_database.h"

namespace jet {
namespace {

std::string faultsOf(const std::filesystem::path& path) {
    Database db(path.string(), OpenMode::ReadOnly);
    std::string out;
    for (const auto& f : checkDatabase(db))
        out += "\n  Seite " + std::to_string(f.page) + ": " + f.message;
    return out;
}

std::string errorOf(const std::function<void()>& action) {
    try {
        action();
        return "";
    } catch (const Error& e) {
        return std::to_string(e.number()) + " " + e.description();
    }
}

// Texts whose General and General Legacy keys differ in length and order: accents, case,
// ligatures, punctuation and digits.
std::u16string textFor(int n) {
    static const std::u16string stems[] = {u"Äpfel", u"apfel", u"Straße", u"STRASSE",  u"œuvre",
                                           u"co-op", u"coop",  u"Zürich", u"10 Stück", u"9"};
    return stems[n % 10] + u" " + fromUtf8(std::to_string(n));
}

// The unique text index refuses a second row of the same key; the rest is stored, the check
// recomputes every key in the column's own sort order and finds them in order.
void refillUniqueTextTable(const std::string& fixture) {
    testing::ScratchDir dir;
    const auto path = dir.copy(testing::fixtureOf("ace", fixture));
    {
        dao::DBEngine engine;
        auto db = engine.OpenDatabase(path.string(), true);
        db->Execute(u"DELETE FROM [TableUnique1_temp]");
        auto rs = db->OpenRecordset(u"TableUnique1_temp");
        for (int n = 0; n < 600; ++n) {
            rs->AddNew();
            rs->Fields(u"row").SetValue(fromUtf8(std::to_string(n)));
            rs->Fields(u"data").SetValue(textFor(n));
            rs->Update();
        }
        rs->AddNew();
        rs->Fields(u"row").SetValue(std::u16string(u"doppelt"));
        rs->Fields(u"data").SetValue(std::u16string(u"äpfel 0"));  // "Äpfel 0" but for case
        EXPECT_EQ(errorOf([&] { rs->Update(); }).substr(0, 4), "3022");
        rs->Close();
        db->Close();
    }
    EXPECT_EQ(faultsOf(path), "") << fixture;
    Database db(path.string(), OpenMode::ReadOnly);
    EXPECT_EQ(db.openTable(u"TableUnique1_temp").definition().rowCount, 600u);
}

TEST(AceWrite, RowsKeepGeneralAndGeneralLegacyIndexesExact) {
    REQUIRE_FIXTURE_OF("ace", "testIndexPropertiesV2010.accdb");
    REQUIRE_FIXTURE_OF("ace", "testIndexPropertiesV2007.accdb");
    refillUniqueTextTable("testIndexPropertiesV2010.accdb");  // General (sort version 1)
    refillUniqueTextTable("testIndexPropertiesV2007.accdb");  // General Legacy
}

// Every change of a table holding a complex or calculated column is refused with its number
// and a description naming the column; the file keeps every byte.
TEST(AceWrite, ComplexAndCalculatedColumnsRefuseEveryChange) {
    for (auto [fixture, column] : {std::pair{"complexDataTestV2010.accdb", "Anlagen"},
                                   std::pair{"complexDataTestV2007.accdb", "Anlagen"},
                                   std::pair{"calcFieldTestV2010.accdb", "berechnetes Feld"}}) {
        if (!std::filesystem::exists(testing::fixtureOf("ace", fixture))) GTEST_SKIP() << fixture;
        testing::ScratchDir dir;
        const auto path = dir.copy(testing::fixtureOf("ace", fixture));
        const std::vector<uint8_t> before = testing::readFile(path);
        {
            dao::DBEngine engine;
            auto db = engine.OpenDatabase(path.string(), true);
            const std::vector<std::pair<const char*, std::function<void()>>> changes = {
                {"DELETE FROM", [&] { db->Execute(u"DELETE FROM [Table1]"); }},
                {"OpenRecordset", [&] { db->OpenRecordset(u"Table1"); }},
                {"TableDefs.Delete", [&] { db->GetTableDefs().Delete(u"Table1"); }},
                {"CopyStructureFrom",
                 [&] {
                     auto copy = db->CreateTableDef(u"Kopie");
                     copy->CopyStructureFrom(db->GetTableDefs().Item(u"Table1"));
                 }},
            };
            for (const auto& [what, change] : changes) {
                const std::string error = errorOf(change);
                EXPECT_EQ(error.substr(0, 5), "3251 ") << fixture << " " << what;
                EXPECT_NE(error.find(column), std::string::npos) << fixture << " " << error;
            }
            db->Close();
        }
        EXPECT_EQ(testing::readFile(path), before) << fixture;
    }
}

}  // namespace
}  // namespace jet
