// Jet's 2 GB limit, reached through a lowered page limit: the insert that would pass it is
// refused with DatabaseFull before it writes anything, and the file stays whole and openable.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "fixture_files.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"
#include "jet/check/check.h"
#include "jet/dao/dao_database.h"
#include "jet/page/page_file.h"

namespace jet {
namespace {

constexpr const char* kFixture = "indexTestV2003.mdb";

size_t rowCount(const std::filesystem::path& path, std::u16string_view table) {
    Database db(path.string(), OpenMode::ReadOnly);
    size_t rows = 0;
    db.openTable(table).forEachRow([&](RowLocation, const std::vector<Value>&) { ++rows; });
    const auto faults = checkDatabase(db);
    EXPECT_TRUE(faults.empty()) << path << ": " << (faults.empty() ? "" : faults.front().message);
    return rows;
}

TEST(Limits, AnInsertPastThePageLimitIsDatabaseFullAndTheFileStaysWhole) {
    REQUIRE_FIXTURE(kFixture);
    testing::ScratchDir dir;
    const auto path = dir.copy(testing::fixture(kFixture));
    const size_t before = rowCount(path, u"Table3");
    dao::DBEngine engine;
    auto db = engine.OpenDatabase(path.string(), true);
    PageFile& file = db->storage().file();
    file.setPageLimit(file.pageCount() + 16);
    auto rs = db->OpenRecordset(u"Table3");
    size_t stored = 0;
    std::optional<Error> full;
    for (int32_t i = 0; i < 100000 && !full; ++i) {
        rs->AddNew();
        rs->Fields(u"id").SetValue(100000 + i);
        rs->Fields(u"data").SetValue(fromUtf8("Zeile " + std::to_string(i) + std::string(40, 'x')));
        try {
            rs->Update();
            ++stored;
        } catch (const Error& e) {
            full = e;
        }
        if (i % 100 == 99) engine.Idle(dao::dbRefreshCache);
    }
    ASSERT_TRUE(full.has_value()) << "the limit was never reached";
    EXPECT_EQ(full->number(), int(ErrorCode::DatabaseFull));
    EXPECT_NE(full->description().find("Höchstgröße von 2 GB"), std::string::npos)
        << full->description();
    EXPECT_LE(file.pageCount(), file.pageLimit());
    EXPECT_GT(stored, 0u);
    // The file keeps taking what fits in pages it already has: a refused row breaks nothing.
    rs->Close();
    db->Close();
    EXPECT_EQ(rowCount(path, u"Table3"), before + stored);
    auto reopened = engine.OpenDatabase(path.string(), true);
    EXPECT_NO_THROW(reopened->Execute(u"DELETE FROM Table3"));
    reopened->Close();
    EXPECT_EQ(rowCount(path, u"Table3"), 0u);
}

}  // namespace
}  // namespace jet
