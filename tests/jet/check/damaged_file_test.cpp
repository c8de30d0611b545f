// Truncated and damaged files end in a jet::Error, never in a crash, a hang or a sanitizer
// report. The damage is random but repeatable.
#include <gtest/gtest.h>

#include <random>

#include "fixture_files.h"
#include "jet/catalog/database.h"
#include "jet/dao/dao_database.h"
#include "jet/page/page_file.h"

namespace jet {
namespace {

// Opens the file and reads all it holds; true when that worked, false on a jet::Error.
bool readEverything(const std::filesystem::path& path) {
    try {
        dao::Database db(path.string(), OpenMode::ReadOnly);
        for (const auto& table : db.GetTableDefs()) {
            Table t = db.storage().openTable(table.Name());
            t.forEachRow([](RowLocation, const std::vector<Value>&) {});
            t.forEachRowById([](RowLocation, const std::vector<Value>&) {});
        }
        return true;
    } catch (const Error& e) {
        EXPECT_GT(e.number(), 0);
        EXPECT_FALSE(e.description().empty());
        return false;
    }
}

TEST(DamagedFile, TruncationsAreReported) {
    REQUIRE_FIXTURE("test2V2003.mdb");
    testing::ScratchDir dir;
    auto bytes = testing::readFile(testing::fixture("test2V2003.mdb"));
    // Cuts through the header, the global map, the catalog and a table's pages.
    for (size_t pages : {0, 1, 2, 3, 10}) {
        std::vector<uint8_t> cut(
            bytes.begin(), bytes.begin() + std::min(bytes.size(), pages * kJet4PageSize + 17));
        testing::writeFile(dir.file("cut.mdb"), cut);
        EXPECT_FALSE(readEverything(dir.file("cut.mdb"))) << pages << " pages";
    }
}

TEST(DamagedFile, CorruptPagesNameThePage) {
    REQUIRE_FIXTURE("indexTestV2003.mdb");
    testing::ScratchDir dir;
    auto bytes = testing::readFile(testing::fixture("indexTestV2003.mdb"));
    // The catalog's definition with an impossible column count.
    bytes[2 * kJet4PageSize + 45] = 0xFF;
    bytes[2 * kJet4PageSize + 46] = 0xFF;
    testing::writeFile(dir.file("bad.mdb"), bytes);
    try {
        Database db(dir.file("bad.mdb").string(), OpenMode::ReadOnly);
        FAIL() << "opened a broken catalog";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), int(ErrorCode::DatabaseCorrupt));
        EXPECT_NE(e.description().find("Seite 2"), std::string::npos) << e.description();
    }
}

TEST(DamagedFile, RandomDamageNeverCrashes) {
    std::mt19937 random(20261208);
    testing::ScratchDir dir;
    for (const char* name : {"indexTestV2003.mdb", "test2V2003.mdb", "overflowTestV2003.mdb",
                             "testUnicodeCompV2003.mdb", "compIndexTestV2003.mdb"}) {
        if (!std::filesystem::exists(testing::fixture(name))) continue;
        const auto original = testing::readFile(testing::fixture(name));
        for (int round = 0; round < 60; ++round) {
            auto bytes = original;
            int hits = 1 + static_cast<int>(random() % 16);
            for (int i = 0; i < hits; ++i) {
                // Mostly the structures of the first pages, where the catalog lives.
                size_t span = random() % 2 ? std::min<size_t>(bytes.size(), 16 * kJet4PageSize)
                                           : bytes.size();
                bytes[random() % span] = static_cast<uint8_t>(random());
            }
            testing::writeFile(dir.file("damaged.mdb"), bytes);
            readEverything(dir.file("damaged.mdb"));
        }
    }
}

}  // namespace
}  // namespace jet
