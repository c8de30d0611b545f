#include "jet/check/check.h"

#include <gtest/gtest.h>

#include <random>

#include "fixture_files.h"
#include "jet/index/index_tree.h"
#include "jet/page/data_page.h"
#include "jet/page/usage_map.h"
#include "jet/table/long_value.h"
#include "jet/table/row_format.h"

namespace jet {
namespace {

std::vector<CheckFault> checkFile(const std::filesystem::path& path) {
    Database db(path.string(), OpenMode::ReadOnly);
    return checkDatabase(db);
}

std::string describe(const std::vector<CheckFault>& faults) {
    std::string out;
    for (const auto& f : faults) out += "\n  Seite " + std::to_string(f.page) + ": " + f.message;
    return out;
}

bool hasFault(const std::vector<CheckFault>& faults, uint32_t page, const std::string& part) {
    for (const auto& f : faults)
        if (f.page == page && f.message.find(part) != std::string::npos) return true;
    return false;
}

TEST(Check, EveryFixtureIsClean) {
    const auto files = testing::allFixtures();
    if (files.empty()) GTEST_SKIP() << "no fixtures in " << testing::fixtureDir();
    for (const auto& file : files) {
        const auto faults = checkFile(file);
        EXPECT_TRUE(faults.empty()) << file.filename() << describe(faults);
    }
}

// A fixture's bytes, to damage and check as a copy. Offsets into the file are found with the
// reader on the intact original.
class DamagedCopy {
  public:
    explicit DamagedCopy(const std::string& name)
        : original_(testing::fixture(name)),
          db_(original_.string(), OpenMode::ReadOnly),
          bytes_(testing::readFile(original_)) {}

    Database& original() { return db_; }
    uint8_t& at(uint32_t page, size_t offset) {
        return byte(size_t{page} * kJet4PageSize + offset);
    }
    uint8_t& byte(size_t offset) { return bytes_.at(offset); }
    // The file offset of bytes the reader handed out for `page`.
    size_t offsetOf(uint32_t page, const ByteView& bytes) {
        return size_t{page} * kJet4PageSize +
               static_cast<size_t>(bytes.data() - db_.file().page(page).data());
    }
    void flipBit(size_t offset, uint32_t bit) {
        bytes_.at(offset + bit / 8) ^= static_cast<uint8_t>(1 << (bit % 8));
    }
    std::vector<CheckFault> check() {
        auto path = dir_.file("damaged.mdb");
        testing::writeFile(path, bytes_);
        return checkFile(path);
    }

  private:
    std::filesystem::path original_;
    Database db_;
    std::vector<uint8_t> bytes_;
    testing::ScratchDir dir_;
};

// compIndexTest's Table1: 512 rows, a descending Long index of two leaves under a node root.
struct CompIndexTable {
    TableDefinition definition;
    IndexTree tree;
    std::vector<uint32_t> dataPages;

    explicit CompIndexTable(Database& db)
        : definition(db.openTable(u"Table1").definition()),
          tree(readIndexTree(db.file(), definition.realIndexes.at(0).rootPage)),
          dataPages(db.openTable(u"Table1").dataPages()) {}
};

#define REQUIRE_COMP_INDEX() REQUIRE_FIXTURE("compIndexTestV2003.mdb")

TEST(Check, FindsAChangedIndexKey) {
    REQUIRE_COMP_INDEX();
    DamagedCopy copy("compIndexTestV2003.mdb");
    CompIndexTable table(copy.original());
    const IndexPage& leaf = table.tree.pages.at(1);
    // The last key byte of the 101st entry: 5 bytes before the end its mask bit marks.
    ByteView page = copy.original().file().page(leaf.number);
    size_t ends = 0, end = 0;
    for (size_t bit = 0; ends < 101; ++bit)
        if (page.u8(kJet4IndexPage.entryMask + bit / 8) >> (bit % 8) & 1) ++ends, end = bit;
    copy.at(leaf.number, kJet4IndexPage.entries + end - 5) ^= 0x10;
    const auto faults = copy.check();
    EXPECT_TRUE(hasFault(faults, leaf.number, "Schlüssel für Zeile")) << describe(faults);
}

TEST(Check, FindsWrongCountsInTheDefinition) {
    REQUIRE_COMP_INDEX();
    DamagedCopy copy("compIndexTestV2003.mdb");
    CompIndexTable table(copy.original());
    const uint32_t tdef = table.definition.firstPage;
    putU32(&copy.at(tdef, kJet4Tdef.rowCount), 511);
    // Access recorded 512 entries with 511 keys for this index, so its count is checked.
    putU32(&copy.at(tdef, kJet4Tdef.blocks + 4), 7);
    const auto faults = copy.check();
    EXPECT_TRUE(hasFault(faults, tdef, "nennt 511 Zeilen, vorhanden sind 512")) << describe(faults);
    EXPECT_TRUE(hasFault(faults, tdef, "nennt 7 verschiedene Schlüssel, der Index hält 511"))
        << describe(faults);
    EXPECT_EQ(faults.size(), 2u) << describe(faults);
}

TEST(Check, FindsWrongFreeSpaceFields) {
    REQUIRE_COMP_INDEX();
    DamagedCopy copy("compIndexTestV2003.mdb");
    CompIndexTable table(copy.original());
    const uint32_t dataPage = table.dataPages.at(0);
    const uint32_t leaf = table.tree.pages.at(2).number;
    const uint32_t tdef = table.definition.firstPage;
    for (uint32_t page : {dataPage, leaf, tdef})
        copy.at(page, data_page_layout::kFreeSpace) ^= 0x04;
    const auto faults = copy.check();
    for (uint32_t page : {dataPage, leaf, tdef})
        EXPECT_TRUE(hasFault(faults, page, "freier Platz")) << page << describe(faults);
    EXPECT_EQ(faults.size(), 3u) << describe(faults);
}

TEST(Check, FindsUsageMapBitsThatDisagree) {
    REQUIRE_COMP_INDEX();
    CompIndexTable probe(DamagedCopy("compIndexTestV2003.mdb").original());
    const uint32_t dataPage = probe.dataPages.at(0);
    const uint32_t leaf = probe.tree.pages.at(1).number;

    // A data page of the table marked free in the global map.
    {
        DamagedCopy copy("compIndexTestV2003.mdb");
        UsageMap global = readUsageMap(copy.original().file(), usage_map_layout::kGlobalMap);
        ASSERT_EQ(global.kind, UsageMapKind::Inline);
        ByteView row = readRowBytes(copy.original().file(), usage_map_layout::kGlobalMap.page,
                                    usage_map_layout::kGlobalMap.row);
        copy.flipBit(copy.offsetOf(1, row) + usage_map_layout::kInlineBitmap,
                     dataPage - global.startPage);
        const auto faults = copy.check();
        EXPECT_TRUE(hasFault(faults, dataPage, "in der globalen Belegungstabelle frei"))
            << describe(faults);
    }
    // The table's own map gives up a data page and claims an index page instead.
    {
        DamagedCopy copy("compIndexTestV2003.mdb");
        const MapRef ref = probe.definition.ownedPages;
        UsageMap owned = readUsageMap(copy.original().file(), ref);
        ASSERT_EQ(owned.kind, UsageMapKind::Inline);
        ByteView row = readRowBytes(copy.original().file(), ref.page, ref.row);
        const size_t bitmap = copy.offsetOf(ref.page, row) + usage_map_layout::kInlineBitmap;
        copy.flipBit(bitmap, dataPage - owned.startPage);
        copy.flipBit(bitmap, leaf - owned.startPage);
        const auto faults = copy.check();
        EXPECT_TRUE(hasFault(faults, dataPage, "fehlt in der Seitentabelle ihrer Tabelle"))
            << describe(faults);
        EXPECT_TRUE(hasFault(faults, leaf, "gehört zugleich")) << describe(faults);
        EXPECT_TRUE(hasFault(faults, probe.definition.firstPage, "fehlt im Index") ||
                    hasFault(faults, probe.definition.firstPage, "Zeilen, vorhanden"))
            << describe(faults);
    }
}

TEST(Check, FindsLongValuesShorterThanStated) {
    REQUIRE_FIXTURE("test2V2003.mdb");
    DamagedCopy copy("test2V2003.mdb");
    Table table = copy.original().openTable(u"MSP_PROJECTS");
    RowFormat format(kJet4Format, table.definition());
    // Shorten every long value kept outside the row (one row and a chain) by one byte.
    std::vector<uint32_t> pages;
    for (uint32_t page : table.dataPages()) {
        DataPage data(kJet4Format, copy.original().file().page(page));
        for (uint16_t r = 0; r < data.rowCount(); ++r) {
            RowSlot slot = data.slot(static_cast<uint8_t>(r));
            if (slot.deleted || slot.lookup) continue;
            std::vector<FieldSpan> fields;
            format.split(data.rowBytes(slot), fields);
            for (const auto& c : table.definition().columns) {
                if (!c.isLongValue() || !fields[c.number].present) continue;
                if (parseLongValueRef(fields[c.number].bytes).storage == long_value_layout::kInline)
                    continue;
                copy.byte(copy.offsetOf(page, fields[c.number].bytes)) -= 1;
                pages.push_back(page);
            }
        }
    }
    ASSERT_EQ(pages.size(), 2u);
    const auto faults = copy.check();
    EXPECT_TRUE(hasFault(faults, pages[0], "Bytes statt 695")) << describe(faults);
    EXPECT_TRUE(hasFault(faults, pages[1], "die Kette hält 22970 Bytes statt 22969"))
        << describe(faults);
}

TEST(Check, TruncatedFilesThrowOrFail) {
    REQUIRE_COMP_INDEX();
    const auto bytes = testing::readFile(testing::fixture("compIndexTestV2003.mdb"));
    testing::ScratchDir dir;
    auto cut = [&](size_t pages) {
        const auto end = bytes.begin() + static_cast<ptrdiff_t>(pages * kJet4PageSize + 100);
        testing::writeFile(dir.file("cut.mdb"), std::vector<uint8_t>(bytes.begin(), end));
        return dir.file("cut.mdb");
    };
    // Without the catalog there is nothing to check.
    EXPECT_THROW(checkFile(cut(1)), Error);
    EXPECT_THROW(checkFile(cut(2)), Error);
    // Cut through the tables: every lost page in use is reported, or the open fails.
    for (size_t pages : {20, 30}) {
        try {
            EXPECT_FALSE(checkFile(cut(pages)).empty()) << pages << " pages";
        } catch (const Error& e) {
            EXPECT_FALSE(e.description().empty());
        }
    }
}

TEST(Check, RandomDamageNeverCrashes) {
    std::mt19937 random(4711);
    testing::ScratchDir dir;
    for (const char* name : {"compIndexTestV2003.mdb", "test2V2003.mdb", "overflowTestV2003.mdb"}) {
        if (!std::filesystem::exists(testing::fixture(name))) continue;
        const auto original = testing::readFile(testing::fixture(name));
        for (int round = 0; round < 40; ++round) {
            auto bytes = original;
            for (int hits = 1 + static_cast<int>(random() % 12); hits > 0; --hits)
                bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
            testing::writeFile(dir.file("damaged.mdb"), bytes);
            try {
                checkFile(dir.file("damaged.mdb"));
            } catch (const Error&) {
                // Damage the open itself cannot get past; reported, not crashed.
            }
        }
    }
}

}  // namespace
}  // namespace jet
