// Safe mode's swap in a file whose text sort order has no key data: neither building the
// staging table nor dropping the old one and renaming the staging table may start, so the
// Access table keeps its rows and the file stays byte for byte as it was.
#include "engine/staged_replacement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "../jet/sort_order_files.h"
#include "engine/activity_log.h"
#include "jet/base/text.h"
#include "jet/ddl/blank_database.h"
#include "transfer_fixture.h"

namespace engine_test {
namespace {

using engine::CheckBox;
using engine::TextBox;

std::vector<char> bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Creates `table` (id, name) in `db` and fills it with `rows` rows.
void addTable(jet::dao::Database& db, std::u16string_view table, int32_t rows) {
    auto def = db.CreateTableDef(table);
    def->GetFields().Append(def->CreateField(u"id", jet::dao::data_type::dbLong, 0));
    def->GetFields().Append(def->CreateField(u"name", jet::dao::data_type::dbText, 50));
    db.GetTableDefs().Append(*def);
    auto rs = db.OpenRecordset(table);
    for (int32_t id = 1; id <= rows; ++id) {
        rs->AddNew();
        rs->Fields(u"id").SetValue(id);
        rs->Fields(u"name").SetValue(std::u16string(u"alt"));
        rs->Update();
    }
    rs->Close();
}

size_t rowCount(const std::filesystem::path& path, std::u16string_view table) {
    jet::Database db(path.string(), jet::OpenMode::ReadOnly);
    size_t rows = 0;
    db.openTable(table).forEachRow(
        [&](jet::RowLocation, const std::vector<jet::Value>&) { ++rows; });
    return rows;
}

bool anyLineStartsWith(const Lines& lines, std::u16string_view start) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::u16string& line) { return line.starts_with(start); });
}

class UnsortableSwapTest : public TransferTest {
  protected:
    void SetUp() override {
        path = folder.path() / "ziel.mdb";
        jet::createBlankDatabase(path.string());
        window.checks[CheckBox::Check_Safety] = 1;
    }
    std::filesystem::path path;
};

TEST_F(UnsortableSwapTest, DropAndRenameAreRefusedBeforeTheOldTableIsTouched) {
    {
        auto db = dbEngine.OpenDatabase(path.string(), true);
        addTable(*db, u"Kunden", 3);
        addTable(*db, u"new_Kunden", 2);
        db->Close();
    }
    jet::testing::setSortOrder(path, jet::testing::kGermanPhoneBook);
    const std::vector<char> before = bytesOf(path);
    {
        auto db = dbEngine.OpenDatabase(path.string(), true);
        engine::ActivityLog log(window);
        engine::RunContext run{window, log, dbEngine, clock, {}};
        jet::dao::TableDef staging = db->GetTableDefs().Item(u"new_Kunden");
        try {
            engine::ReplaceWithStaging(run, *db, &staging, u"Kunden", false);
            ADD_FAILURE() << "the swap was not refused";
        } catch (const jet::Error& e) {
            EXPECT_EQ(e.number(), 3343);
            EXPECT_NE(e.description().find("Sortierreihenfolge"), std::string::npos);
        }
        EXPECT_FALSE(anyLineStartsWith(window.list, u"\tLösche"));
        db->Close();
    }
    EXPECT_TRUE(bytesOf(path) == before) << "the refused swap reached the file";
    EXPECT_EQ(rowCount(path, u"Kunden"), 3u);
    EXPECT_EQ(rowCount(path, u"new_Kunden"), 2u);
}

TEST_F(UnsortableSwapTest, RunReportsTheFailureInGermanAndKeepsTheAccessTable) {
    {
        auto db = dbEngine.OpenDatabase(path.string(), true);
        addTable(*db, u"Kunden", 3);
        db->Close();
    }
    jet::testing::setSortOrder(path, jet::testing::kGermanPhoneBook);
    useTarget(path);
    source("CREATE TABLE Kunden (id INTEGER, name TEXT)");
    source("INSERT INTO Kunden VALUES (7, 'neu')");
    window.texts[TextBox::Text3] = u"kunden";
    const std::vector<char> before = bytesOf(path);
    try {
        run();
        ADD_FAILURE() << "the run did not fail";
    } catch (const engine::RunFailure& failure) {
        EXPECT_EQ(failure.number, 3343);
        EXPECT_NE(failure.description.find(u"Sortierreihenfolge"), std::u16string::npos);
    }
    EXPECT_TRUE(anyLineStartsWith(window.list, u"Fehler 3343: "));
    EXPECT_FALSE(anyLineStartsWith(window.list, u"\tLösche"));
    EXPECT_TRUE(bytesOf(path) == before) << "the refused run changed the file";
    EXPECT_EQ(rowCount(path, u"Kunden"), 3u);
}

}  // namespace
}  // namespace engine_test
