#include "jet/index/index_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "fixture_files.h"
#include "jet/catalog/database.h"

namespace jet {
namespace {

using namespace index_page_layout;

// An index page built by hand from full entries; all but the first are stored without the
// first `prefix` bytes.
std::vector<uint8_t> indexPage(uint8_t type, const std::vector<std::vector<uint8_t>>& entries,
                               uint16_t prefix = 0) {
    std::vector<uint8_t> page(kJet4PageSize, 0);
    page[0] = type;
    page[1] = 0x01;
    putU16(&page[kJet4IndexPage.prefixLength], prefix);
    size_t at = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const size_t skip = i == 0 ? 0 : prefix;
        std::copy(entries[i].begin() + static_cast<ptrdiff_t>(skip), entries[i].end(),
                  page.begin() + static_cast<ptrdiff_t>(kJet4IndexPage.entries + at));
        at += entries[i].size() - skip;
        page[kJet4IndexPage.entryMask + at / 8] |= static_cast<uint8_t>(1 << (at % 8));
    }
    putU16(&page[kFreeSpace], static_cast<uint16_t>(kJet4PageSize - kJet4IndexPage.entries - at));
    return page;
}

IndexPage parse(const std::vector<uint8_t>& page, uint32_t number = 7) {
    return readIndexPage(kJet4IndexPage, ByteView({page.data(), page.size()}, number));
}

TEST(IndexPage, RestoresPrefixCompressedEntries) {
    // Key 7F 80 00 00 01, row 3 on page 0x11; key 7F 80 00 00 02, row 4 on page 0x100.
    const std::vector<uint8_t> first = {0x7F, 0x80, 0x00, 0x00, 0x01, 0x00, 0x00, 0x11, 0x03};
    const std::vector<uint8_t> second = {0x7F, 0x80, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x04};
    IndexPage page = parse(indexPage(kLeafPageType, {first, second}, 4));
    ASSERT_EQ(page.entries.size(), 2u);
    EXPECT_TRUE(page.leaf);
    EXPECT_EQ(page.entries[0].key, std::vector<uint8_t>(first.begin(), first.begin() + 5));
    EXPECT_EQ(page.entries[1].key, std::vector<uint8_t>(second.begin(), second.begin() + 5));
    EXPECT_EQ(page.entries[0].row, (RowLocation{0x11, 3}));
    EXPECT_EQ(page.entries[1].row, (RowLocation{0x100, 4}));
    EXPECT_EQ(page.storedBytes, first.size() + second.size() - 4);
    EXPECT_EQ(page.freeSpace, kJet4PageSize - kJet4IndexPage.entries - page.storedBytes);
}

TEST(IndexPage, PrefixMayReachIntoThePagePointer) {
    // Two rows of one data page under the same key: Access shares the page bytes too.
    const std::vector<uint8_t> first = {0x7F, 0x4A, 0x01, 0x00, 0x00, 0x00, 0x2A, 0x05};
    const std::vector<uint8_t> second = {0x7F, 0x4A, 0x01, 0x00, 0x00, 0x00, 0x2A, 0x06};
    IndexPage page = parse(indexPage(kLeafPageType, {first, second}, 7));
    ASSERT_EQ(page.entries.size(), 2u);
    EXPECT_EQ(page.entries[1].key, page.entries[0].key);
    EXPECT_EQ(page.entries[1].row, (RowLocation{0x2A, 6}));
}

TEST(IndexPage, NodeEntriesCarryTheirChildPage) {
    const std::vector<uint8_t> entry = {0x7F, 0x01, 0x00, 0x00, 0x11, 0x03, 0x00, 0x00, 0x01, 0x20};
    IndexPage page = parse(indexPage(kNodePageType, {entry}));
    ASSERT_EQ(page.entries.size(), 1u);
    EXPECT_FALSE(page.leaf);
    EXPECT_EQ(page.entries[0].key, (std::vector<uint8_t>{0x7F, 0x01}));
    EXPECT_EQ(page.entries[0].row, (RowLocation{0x11, 3}));
    EXPECT_EQ(page.entries[0].child, 0x120u);
}

TEST(IndexPage, MalformedPagesThrow) {
    const std::vector<uint8_t> entry = {0x7F, 0x01, 0x00, 0x00, 0x11, 0x03};
    EXPECT_THROW(parse(indexPage(0x01, {entry})), Error);                  // not an index page
    EXPECT_THROW(parse(indexPage(kLeafPageType, {entry}, 7)), Error);      // prefix too long
    EXPECT_THROW(parse(indexPage(kLeafPageType, {{0x7F, 0x00}})), Error);  // no row pointer
    EXPECT_THROW(parse(indexPage(kNodePageType, {entry})), Error);         // no child pointer
    auto pastEnd = indexPage(kLeafPageType, {});
    pastEnd[kJet4IndexPage.entryMask + kJet4IndexPage.entryMaskSize - 1] =
        0x80;  // an entry ending beyond the page
    EXPECT_THROW(parse(pastEnd), Error);
}

// A file of hand-made pages: page 0 empty, then `pages` from page 1 on.
std::filesystem::path writePages(const testing::ScratchDir& dir,
                                 const std::vector<std::vector<uint8_t>>& pages) {
    std::vector<uint8_t> bytes(kJet4PageSize, 0);
    for (const auto& p : pages) bytes.insert(bytes.end(), p.begin(), p.end());
    auto path = dir.file("tree.mdb");
    testing::writeFile(path, bytes);
    return path;
}

// A node entry for row 1/1 pointing at `child`.
std::vector<uint8_t> nodeEntry(uint32_t child) {
    return {0x7F,
            0x00,
            0x00,
            0x01,
            0x01,
            static_cast<uint8_t>(child >> 24),
            static_cast<uint8_t>(child >> 16),
            static_cast<uint8_t>(child >> 8),
            static_cast<uint8_t>(child)};
}

TEST(IndexTree, LoopsAndBottomlessTreesThrow) {
    testing::ScratchDir dir;
    {
        PageFile file(writePages(dir, {indexPage(kNodePageType, {nodeEntry(1)})}).string(),
                      OpenMode::ReadOnly);
        EXPECT_THROW(readIndexTree(file, 1), Error);  // the node is its own child
    }
    {
        PageFile file(writePages(dir, {indexPage(kNodePageType, {nodeEntry(0)})}).string(),
                      OpenMode::ReadOnly);
        EXPECT_THROW(readIndexTree(file, 1), Error);  // a child on page 0
    }
    std::vector<std::vector<uint8_t>> chain;
    for (uint32_t n = 1; n <= kMaxDepth + 5; ++n)
        chain.push_back(indexPage(kNodePageType, {nodeEntry(n + 1)}));
    chain.push_back(indexPage(kLeafPageType, {}));
    PageFile file(writePages(dir, chain).string(), OpenMode::ReadOnly);
    EXPECT_THROW(readIndexTree(file, 1), Error);
    EXPECT_NO_THROW(readIndexTree(file, 10));  // the last levels alone are fine
}

TEST(IndexTree, WalksTheTwoLevelTreeOfCompIndexTest) {
    for (const char* name : {"compIndexTestV2000.mdb", "compIndexTestV2003.mdb"}) {
        if (!std::filesystem::exists(testing::fixture(name))) GTEST_SKIP() << name << " is missing";
        Database db(testing::fixture(name).string(), OpenMode::ReadOnly);
        Table table = db.openTable(u"Table1");
        IndexTree tree = readIndexTree(db.file(), table.definition().realIndexes.at(0).rootPage);

        // A node root with one entry for the first leaf and the second leaf as its tail.
        ASSERT_EQ(tree.pages.size(), 3u) << name;
        const IndexPage& root = tree.pages[0];
        EXPECT_FALSE(root.leaf);
        ASSERT_EQ(root.entries.size(), 1u);
        EXPECT_EQ(root.entries[0].child, tree.pages[1].number);
        EXPECT_EQ(root.childTail, tree.pages[2].number);
        EXPECT_EQ(tree.pages[1].nextPage, tree.pages[2].number);
        EXPECT_EQ(tree.pages[2].prevPage, tree.pages[1].number);
        EXPECT_EQ(tree.pages[1].prefixLength, 3u);

        ASSERT_EQ(tree.entries.size(), 512u) << name;
        EXPECT_EQ(std::adjacent_find(
                      tree.entries.begin(), tree.entries.end(),
                      [](const IndexEntry& a, const IndexEntry& b) { return !entryLess(a, b); }),
                  tree.entries.end())
            << "entries out of order in " << name;
        // The node entry repeats the last entry of its child.
        EXPECT_EQ(root.entries[0].key, tree.pages[1].entries.back().key);
        EXPECT_EQ(root.entries[0].row, tree.pages[1].entries.back().row);

        // One entry per row, pointing at the row's id.
        std::set<RowLocation> rows, pointed;
        table.forEachRowById(
            [&](RowLocation where, const std::vector<Value>&) { rows.insert(where); });
        for (const auto& e : tree.entries) pointed.insert(e.row);
        EXPECT_EQ(pointed, rows) << name;
    }
}

}  // namespace
}  // namespace jet
