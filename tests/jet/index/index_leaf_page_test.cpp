#include "jet/index/index_leaf_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "jet/base/errors.h"
#include "jet/index/index_page_image.h"

namespace jet {
namespace {

using namespace index_page_layout;

using Page = std::vector<uint8_t>;

struct Entry {
    std::vector<uint8_t> key;
    RowLocation row;
};

bool less(const Entry& a, const Entry& b) {
    return compareEntries(a.key, a.row, b.key, b.row) < 0;
}

// Keys that share `shared` leading bytes, then differ in a few random ones.
std::vector<Entry> entries(size_t count, size_t shared, uint32_t randomStart) {
    std::mt19937 random(randomStart);
    std::vector<Entry> out;
    for (size_t i = 0; i < count; ++i) {
        std::vector<uint8_t> key(shared, 0x41);
        const size_t extra = 1 + random() % 6;
        for (size_t j = 0; j < extra; ++j) key.push_back(static_cast<uint8_t>(random() % 5));
        out.push_back({key, {static_cast<uint32_t>(200 + i / 40), static_cast<uint8_t>(i % 40)}});
    }
    std::sort(out.begin(), out.end(), less);
    return out;
}

// The page writeIndexPage makes of `list` with `prefix`.
Page pageOf(const std::vector<Entry>& list, size_t prefix) {
    EntryList entries(true);
    for (const Entry& e : list) entries.append(e.key, e.row);
    Page page(kJet4PageSize, 0xEE);
    IndexPageHeader header;
    header.tablePage = 77;
    header.prevPage = 5;
    header.nextPage = 9;
    writeIndexPage(kJet4IndexPage, page.data(), header, entries, 0, entries.size(), prefix);
    return page;
}

LeafEntries read(const Page& page) {
    LeafEntries leaf;
    leaf.read(kJet4IndexPage, ByteView({page.data(), page.size()}, 3));
    return leaf;
}

// What the in-place insert leaves must be the page a rebuild with the same prefix writes:
// every byte, the entry mask and free space included; both when the leaf is read anew for
// each entry and when one reading goes on taking entries, as the index writer's does. Any
// hint finds the same place as the search without one.
TEST(LeafEntries, InsertInPlaceWritesWhatARebuildWrites) {
    for (size_t shared : {size_t{0}, size_t{6}})
        for (bool readOnce : {false, true}) {
            SCOPED_TRACE(testing::Message() << "shared " << shared << ", read once " << readOnce);
            std::vector<Entry> all = entries(400, shared, static_cast<uint32_t>(shared) + 1);
            std::vector<Entry> held(all.begin(), all.begin() + 2);  // start with first and last
            held.back() = all.back();
            const size_t prefix = shared == 0 ? 0 : commonPrefix(all.front().key, all.back().key);
            Page page = pageOf(held, prefix);
            std::mt19937 random(9);
            std::vector<Entry> rest(all.begin() + 1, all.end() - 1);
            std::shuffle(rest.begin(), rest.end(), random);
            // Runs of neighbours, as ascending keys bring them, between the shuffled entries.
            std::sort(rest.begin() + 100, rest.begin() + 160, less);
            size_t inserted = 0, lastAt = 0;
            LeafEntries kept = read(page);
            for (const Entry& e : rest) {
                LeafEntries leaf = readOnce ? kept : read(page);
                const auto expected = static_cast<size_t>(
                    std::lower_bound(held.begin(), held.end(), e, less) - held.begin());
                ASSERT_EQ(leaf.lowerBound(e.key, e.row), expected);
                for (size_t hint :
                     {lastAt + 1, expected, expected + 1, size_t{0}, leaf.size(), leaf.size() + 1,
                      size_t(random() % (leaf.size() + 1)), SIZE_MAX})
                    ASSERT_EQ(leaf.lowerBoundFrom(e.key, e.row, hint), expected) << "hint " << hint;
                const size_t at = expected;
                if (!leaf.insert(page.data(), at, e.key, e.row)) break;
                if (readOnce) kept = leaf;
                lastAt = at;
                held.insert(held.begin() + static_cast<ptrdiff_t>(at), e);
                ++inserted;
                ASSERT_EQ(page, pageOf(held, prefix)) << "after " << inserted << " entries";
            }
            // A page without prefix stops where its entries no longer fit whole; one with a prefix
            // where the stored bytes run out.
            EXPECT_GT(inserted, 50u);
            LeafEntries leaf = read(page);
            EXPECT_EQ(leaf.size(), held.size());
            EXPECT_LE(leaf.storedBytes(), kJet4IndexPage.entryCapacity);
            for (size_t i = 0; i < held.size(); ++i) {
                std::vector<uint8_t> key;
                leaf.key(i, key);
                EXPECT_EQ(key, held[i].key);
                EXPECT_EQ(leaf.row(i), held[i].row);
                EXPECT_EQ(leaf.compare(i, held[i].key, held[i].row), 0);
            }
        }
}

TEST(LeafEntries, NewFirstAndLastEntriesKeepThePrefixOrLeaveTheRebuild) {
    std::vector<Entry> list = entries(340, 4, 3);  // too many to fit whole: a prefix of 4+
    const size_t prefix = commonPrefix(list.front().key, list.back().key);
    ASSERT_GE(prefix, 4u);
    std::vector<Entry> middle(list.begin() + 1, list.end() - 1);
    Page page = pageOf(middle, prefix);
    ASSERT_GT(read(page).fullBytes(), kJet4IndexPage.entryCapacity);

    // The old ends back at both ends: they share the prefix.
    LeafEntries leaf = read(page);
    ASSERT_TRUE(leaf.insert(page.data(), 0, list.front().key, list.front().row));
    middle.insert(middle.begin(), list.front());
    EXPECT_EQ(page, pageOf(middle, prefix));
    leaf = read(page);
    ASSERT_TRUE(leaf.insert(page.data(), leaf.size(), list.back().key, list.back().row));
    middle.push_back(list.back());
    EXPECT_EQ(page, pageOf(middle, prefix));

    // A key that does not start with the prefix, or one shorter than it, changes nothing.
    const Page before = page;
    leaf = read(page);
    std::vector<uint8_t> other(list.front().key);
    other[prefix - 1] ^= 0xFF;
    EXPECT_FALSE(leaf.insert(page.data(), 0, other, {1, 1}));
    EXPECT_FALSE(
        leaf.insert(page.data(), leaf.size(), std::vector<uint8_t>(prefix - 1, 0x41), {1, 1}));
    EXPECT_EQ(page, before);
}

TEST(LeafEntries, EmptyPageTakesEntriesWhole) {
    Page page = pageOf({}, 0);
    const std::vector<Entry> list{
        {{0x7F, 0x10}, {300, 1}}, {{0x7F, 0x10}, {300, 2}}, {{0x7F, 0x10, 0x01}, {12, 0}}};
    std::vector<Entry> held;
    for (size_t i : {size_t{1}, size_t{0}, size_t{2}}) {
        LeafEntries leaf = read(page);
        const size_t at = leaf.lowerBound(list[i].key, list[i].row);
        ASSERT_TRUE(leaf.insert(page.data(), at, list[i].key, list[i].row));
        held.insert(held.begin() + static_cast<ptrdiff_t>(at), list[i]);
    }
    EXPECT_EQ(page, pageOf(list, 0));
    LeafEntries leaf = read(page);
    EXPECT_EQ(leaf.lowerBoundKey(list[0].key), 0u);
    EXPECT_EQ(leaf.lowerBoundKey(list[2].key), 2u);
    EXPECT_EQ(leaf.lowerBoundKey(std::vector<uint8_t>{0x7F, 0x11}), 3u);
    EXPECT_TRUE(leaf.keyEquals(1, list[0].key));
    EXPECT_FALSE(leaf.keyEquals(2, list[0].key));         // longer key, same start
    EXPECT_EQ(leaf.compare(0, list[0].key, {0, 0}), -1);  // row (0, 0) sorts first
    EXPECT_EQ(leaf.compare(1, list[0].key, {400, 0}), 1);
}

TEST(LeafEntries, RefusesMalformedMasks) {
    Page page = pageOf(entries(5, 2, 7), 0);
    Page beyond = page;
    markEntryEnd(kJet4IndexPage, beyond.data(), kJet4IndexPage.entryCapacity + 3);
    LeafEntries leaf;
    EXPECT_THROW(leaf.read(kJet4IndexPage, ByteView({beyond.data(), beyond.size()}, 3)), Error);
    Page shortFirst = page;
    std::fill(shortFirst.begin() + kJet4IndexPage.entryMask,
              shortFirst.begin() + kJet4IndexPage.entryMask + kJet4IndexPage.entryMaskSize, 0);
    markEntryEnd(kJet4IndexPage, shortFirst.data(), 2);  // shorter than a row pointer
    EXPECT_THROW(leaf.read(kJet4IndexPage, ByteView({shortFirst.data(), shortFirst.size()}, 3)),
                 Error);
}

}  // namespace
}  // namespace jet
