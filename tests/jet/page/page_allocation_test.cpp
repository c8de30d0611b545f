// Taking and returning pages through the global map, and keeping table maps in step,
// including the promotion of an inline map to a reference map.
#include <gtest/gtest.h>

#include <algorithm>

#include "fixture_files.h"
#include "jet/catalog/database.h"
#include "jet/check/check.h"
#include "jet/page/page_allocator.h"
#include "jet/page/usage_map.h"
#include "jet/page/usage_map_writer.h"

namespace jet {
namespace {

bool isFree(PageFile& file, uint32_t page) {
    auto free = readUsageMap(file, usage_map_layout::kGlobalMap).pages;
    return std::binary_search(free.begin(), free.end(), page);
}

TEST(PageAllocation, GrowsTheFileAndReusesReleasedPages) {
    REQUIRE_FIXTURE("empty2003.mdb");
    testing::ScratchDir dir;
    auto path = dir.copy(testing::fixture("empty2003.mdb"));
    uint32_t before;
    std::vector<uint32_t> taken;
    std::vector<uint32_t> freeAtStart;
    {
        PageFile file(path.string(), OpenMode::Exclusive);
        before = file.pageCount();
        for (uint32_t p : readUsageMap(file, usage_map_layout::kGlobalMap).pages)
            freeAtStart.push_back(p);
        ASSERT_LT(freeAtStart.size(), 20u);
        PageAllocator allocator(file);
        for (int i = 0; i < 20; ++i) taken.push_back(allocator.allocate());
        for (uint32_t p : taken) EXPECT_FALSE(isFree(file, p)) << p;
        // Access's free pages are used up first, lowest first; then the file grows.
        std::vector<uint32_t> reused(taken.begin(), taken.begin() + freeAtStart.size());
        EXPECT_EQ(reused, freeAtStart);
        EXPECT_EQ(taken[freeAtStart.size()], before);
        allocator.release(taken[15]);
        allocator.release(taken[13]);
        EXPECT_TRUE(isFree(file, taken[13]));
        EXPECT_EQ(allocator.allocate(), taken[13]);
        EXPECT_EQ(allocator.allocate(), taken[15]);
        file.flush();
    }
    PageFile reopened(path.string(), OpenMode::ReadOnly);
    EXPECT_EQ(reopened.pageCount(), before + 20 - freeAtStart.size());
    EXPECT_FALSE(isFree(reopened, taken[13]));
    EXPECT_TRUE(readUsageMap(reopened, usage_map_layout::kGlobalMap).pages.empty());
}

TEST(PageAllocation, ReleasingPastTheWindowWidensTheGlobalMap) {
    REQUIRE_FIXTURE("empty2003.mdb");
    testing::ScratchDir dir;
    auto path = dir.copy(testing::fixture("empty2003.mdb"));
    {
        PageFile file(path.string(), OpenMode::Exclusive);
        PageAllocator allocator(file);
        std::vector<uint32_t> pages;
        for (int i = 0; i < 700; ++i) pages.push_back(allocator.allocate());
        ASSERT_EQ(readUsageMap(file, usage_map_layout::kGlobalMap).kind, UsageMapKind::Inline);
        allocator.release(pages[650]);  // beyond the inline window's 512 pages
        allocator.release(pages[10]);
        UsageMap global = readUsageMap(file, usage_map_layout::kGlobalMap);
        EXPECT_EQ(global.kind, UsageMapKind::Reference);
        EXPECT_EQ(global.pages, (std::vector<uint32_t>{pages[10], pages[650]}));
        EXPECT_EQ(allocator.allocate(), pages[10]);
        EXPECT_EQ(allocator.allocate(), pages[650]);
        file.flush();
    }
    Database db(path.string(), OpenMode::ReadOnly);
    EXPECT_TRUE(readUsageMap(db.file(), usage_map_layout::kGlobalMap).pages.empty());
    EXPECT_TRUE(checkDatabase(db).empty());
}

// A copy of a file made by Access, open for writing, with 700 pages taken; `owned` is the
// map of a table with an inline map.
struct PromotionCopy {
    testing::ScratchDir dir;
    PageFile file{dir.copy(testing::fixture("testPromotionV2003.mdb")).string(),
                  OpenMode::Exclusive};
    MapRef owned = Database(testing::fixture("testPromotionV2003.mdb").string(), OpenMode::ReadOnly)
                       .openTable(u"jobDB1")
                       .definition()
                       .ownedPages;
    PageAllocator allocator{file};
    std::vector<uint32_t> pages;
    PromotionCopy() {
        for (int i = 0; i < 700; ++i) pages.push_back(allocator.allocate());
    }
};

TEST(PageAllocation, InlineMapMovesItsWindowThenBecomesAReferenceMap) {
    REQUIRE_FIXTURE("testPromotionV2003.mdb");
    PromotionCopy copy;
    auto& [dir, file, owned, allocator, pages] = copy;

    // Pages within one window's reach: the map stays inline.
    std::vector<uint32_t> expected = readUsageMap(file, owned).pages;
    for (int i = 0; i < 300; i += 7) {
        addPageToMap(file, allocator, owned, pages[i]);
        expected.push_back(pages[i]);
    }
    std::sort(expected.begin(), expected.end());
    UsageMap map = readUsageMap(file, owned);
    EXPECT_EQ(map.kind, UsageMapKind::Inline);
    EXPECT_EQ(map.pages, expected);

    // A page far beyond the window's 512 pages forces a reference map holding them all.
    addPageToMap(file, allocator, owned, pages[699]);
    expected.push_back(pages[699]);
    map = readUsageMap(file, owned);
    EXPECT_EQ(map.kind, UsageMapKind::Reference);
    EXPECT_EQ(map.pages, expected);

    removePageFromMap(file, owned, pages[7]);
    expected.erase(std::find(expected.begin(), expected.end(), pages[7]));
    EXPECT_EQ(readUsageMap(file, owned).pages, expected);
    clearMap(file, owned);
    EXPECT_TRUE(readUsageMap(file, owned).pages.empty());
}

// A flush writes and journals every dirty page: a map page must not become dirty for a bit
// that stays as it was.
TEST(PageAllocation, MapPagesStayCleanWhenNoBitChanges) {
    REQUIRE_FIXTURE("testPromotionV2003.mdb");
    PromotionCopy copy;
    auto& [dir, file, owned, allocator, pages] = copy;
    allocator.release(pages[650]);  // the global map becomes a reference map
    ASSERT_EQ(allocator.allocate(), pages[650]);
    addPageToMap(file, allocator, owned, pages[699]);  // and so does the table's
    file.flush();

    // Past the end of the file the global map has no bit set: the new page is the only change.
    const uint32_t appended = allocator.allocate();
    EXPECT_EQ(file.dirtyPageCount(), 1u);
    // A page the table owns already, and one it never owned, leave its map as it is.
    addPageToMap(file, allocator, owned, pages[699]);
    removePageFromMap(file, owned, pages[5]);
    EXPECT_EQ(file.dirtyPageCount(), 1u);
    // A real change dirties the bitmap page alone, not the page of the map's row.
    addPageToMap(file, allocator, owned, appended);
    EXPECT_EQ(file.dirtyPageCount(), 2u);
    EXPECT_EQ(readUsageMap(file, owned).pages.back(), appended);
}

}  // namespace
}  // namespace jet
