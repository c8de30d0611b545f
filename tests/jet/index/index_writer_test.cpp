#include "jet/index/index_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "fixture_files.h"
#include "jet/catalog/database.h"
#include "jet/check/check.h"
#include "jet/check/check_index.h"
#include "jet/check/check_table.h"
#include "jet/index/index_key.h"
#include "jet/index/index_tree.h"
#include "jet/page/usage_map.h"

namespace jet {
namespace {

using namespace index_page_layout;

std::string describe(const std::vector<CheckFault>& faults) {
    std::string out;
    for (const auto& f : faults) out += "\n  Seite " + std::to_string(f.page) + ": " + f.message;
    return out;
}

// One real index of a table in a scratch copy of a fixture, opened for writing.
struct WritableIndex {
    WritableIndex(const std::string& fixtureName, std::u16string_view table, size_t real)
        : path(scratch.copy(testing::fixture(fixtureName))),
          db(path.string(), OpenMode::Exclusive),
          allocator(db.file()),
          definition(db.openTable(table).definition()),
          number(real),
          writer(db.file(), allocator, definition, definition.realIndexes[number]) {}

    PageFile& file() { return db.file(); }
    const RealIndexDef& index() const { return definition.realIndexes[number]; }
    IndexTree tree() { return readIndexTree(db.file(), index().rootPage); }

    testing::ScratchDir scratch;
    std::filesystem::path path;
    Database db;
    PageAllocator allocator;
    TableDefinition definition;
    size_t number;
    IndexWriter writer;
};

bool sameEntry(const IndexEntry& a, const IndexEntry& b) {
    return a.key == b.key && a.row == b.row;
}

bool sameEntries(const std::vector<IndexEntry>& a, const std::vector<IndexEntry>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameEntry);
}

size_t distinctKeys(const std::vector<IndexEntry>& sorted) {
    size_t n = 0;
    for (size_t i = 0; i < sorted.size(); ++i)
        if (i == 0 || sorted[i].key != sorted[i - 1].key) ++n;
    return n;
}

// Layout rules the structural check leaves open: the prefix Access chooses, child-tail use,
// node pages linked only within one parent, and leaves that all lie at one depth.
void expectAccessLayout(const IndexTree& tree) {
    unsigned leafDepth = 0;
    bool sawLeaf = false;
    std::map<unsigned, size_t> lastAtDepth;  // depth -> place of the node page met last there
    for (size_t i = 0; i < tree.pages.size(); ++i) {
        const IndexPage& p = tree.pages[i];
        if (!p.leaf && lastAtDepth.count(tree.depths[i])) {
            const size_t before = lastAtDepth[tree.depths[i]];
            if (tree.parents[before] != tree.parents[i]) {
                EXPECT_EQ(tree.pages[before].nextPage, 0u) << "page " << tree.pages[before].number;
                EXPECT_EQ(p.prevPage, 0u) << "page " << p.number;
            }
        }
        if (!p.leaf) lastAtDepth[tree.depths[i]] = i;
        size_t whole = 0;
        for (const auto& e : p.entries)
            whole += e.key.size() + kRowPointerSize + (p.leaf ? 0 : kChildPointerSize);
        size_t prefix = 0;
        if (p.entries.size() >= 2 && whole > kJet4IndexPage.entryCapacity) {
            const auto& a = p.entries.front().key;
            const auto& b = p.entries.back().key;
            while (prefix < std::min(a.size(), b.size()) && a[prefix] == b[prefix]) ++prefix;
        }
        EXPECT_EQ(p.prefixLength, prefix) << "page " << p.number;
        if (p.leaf) {
            if (sawLeaf) {
                EXPECT_EQ(tree.depths[i], leafDepth) << "page " << p.number;
            }
            leafDepth = tree.depths[i];
            sawLeaf = true;
        } else if (p.childTail != 0) {
            EXPECT_GE(p.entries.size(), 1u) << "page " << p.number;
        } else {
            EXPECT_EQ(p.entries.size(), 1u) << "node with one child lists it, page " << p.number;
        }
    }
}

// Checks the index as the structural check does, against `expected` entries (in any order)
// instead of the table's rows, and the layout rules besides. Returns the tree.
IndexTree expectSoundIndex(WritableIndex& ix, std::vector<IndexEntry> expected) {
    std::sort(expected.begin(), expected.end(), entryLess);
    TableUnderCheck table;
    table.name = "Tabelle";
    table.definition = ix.definition;
    RealIndexDef& index = table.definition.realIndexes[ix.number];
    index.statisticEntries = static_cast<uint32_t>(expected.size());
    index.distinctKeys = static_cast<uint32_t>(distinctKeys(expected));
    TableRows rows;
    rows.indexes.resize(table.definition.realIndexes.size());
    for (const auto& e : expected) rows.indexes[ix.number].entries.push_back({e.row, e.key, false});
    UsageMap map = readUsageMap(ix.file(), index.usageMap);
    std::set<uint32_t> mapPages(map.pages.begin(), map.pages.end());

    std::vector<CheckFault> faults;
    checkIndex(ix.file(), table, ix.number, mapPages, rows, faults);
    EXPECT_TRUE(faults.empty()) << describe(faults);

    IndexTree tree = ix.tree();
    EXPECT_TRUE(sameEntries(tree.entries, expected));
    expectAccessLayout(tree);
    UsageMap global = readUsageMap(ix.file(), usage_map_layout::kGlobalMap);
    std::set<uint32_t> free(global.pages.begin(), global.pages.end());
    for (const auto& p : tree.pages) EXPECT_FALSE(free.count(p.number)) << "page " << p.number;
    return tree;
}

std::vector<uint8_t> textKey(const std::u16string& text) {
    std::vector<uint8_t> key;
    appendTextKey(key, text, true);
    return key;
}

// `count` entries with text keys; every `repeatEvery`-th repeats an earlier key on another row.
std::vector<IndexEntry> textEntries(size_t count, size_t length, size_t repeatEvery,
                                    uint32_t start) {
    std::mt19937 random(start);
    std::vector<IndexEntry> out;
    for (size_t i = 0; i < count; ++i) {
        RowLocation row{static_cast<uint32_t>(100 + i / 50), static_cast<uint8_t>(i % 50)};
        if (repeatEvery != 0 && i % repeatEvery == repeatEvery - 1) {
            out.push_back({out[random() % out.size()].key, row});
            continue;
        }
        std::u16string text;
        const size_t n = 1 + random() % length;
        for (size_t c = 0; c < n; ++c)
            text += static_cast<char16_t>(c % 7 == 6 ? u' ' : u'a' + random() % 26);
        text += u"x";  // no trailing space
        out.push_back({textKey(text), row});
    }
    return out;
}

enum class Order { Ascending, Descending, Random };

void arrange(std::vector<IndexEntry>& entries, Order order) {
    std::sort(entries.begin(), entries.end(), entryLess);
    if (order == Order::Descending) std::reverse(entries.begin(), entries.end());
    if (order == Order::Random) std::shuffle(entries.begin(), entries.end(), std::mt19937(7));
}

// Inserts the entries in their order; checks the new-key answers and containsKey on the way.
// `existing` holds what the index has already.
void insertAll(IndexWriter& writer, const std::vector<IndexEntry>& entries,
               const std::vector<IndexEntry>& existing = {}) {
    std::set<std::vector<uint8_t>> keys;
    for (const auto& e : existing) keys.insert(e.key);
    for (const auto& e : entries) {
        const bool known = keys.count(e.key) != 0;
        ASSERT_EQ(writer.containsKey(e.key), known);
        ASSERT_EQ(writer.insert(e.key, e.row), !known);
        ASSERT_TRUE(writer.containsKey(e.key));
        keys.insert(e.key);
    }
}

std::vector<IndexEntry> accessEntries(WritableIndex& ix) {
    return ix.tree().entries;
}

// ---- Against Access's own trees --------------------------------------------------------------

// compIndexTest's descending Long index was built by Access over 512 rows: a node root over a
// leaf of 510 prefix-compressed entries and a child-tail leaf with the two NULL entries. The
// same entries appended in order give the same pages, byte for byte.
TEST(IndexWriter, AppendingRebuildsAccessPagesByteForByte) {
    REQUIRE_FIXTURE("compIndexTestV2003.mdb");
    WritableIndex ix("compIndexTestV2003.mdb", u"Table1", 0);
    const IndexTree access = ix.tree();
    std::map<uint32_t, std::vector<uint8_t>> accessPages;
    for (const auto& p : access.pages) {
        ByteView bytes = ix.file().page(p.number);
        accessPages[p.number].assign(bytes.data(), bytes.data() + kJet4PageSize);
    }

    ix.writer.clear();
    for (const auto& e : access.entries) ix.writer.insert(e.key, e.row);

    const IndexTree rebuilt = ix.tree();
    ASSERT_EQ(rebuilt.pages.size(), access.pages.size());
    // Freed pages may be taken in another order: compare page numbers through the tree.
    std::map<uint32_t, uint32_t> toAccess{{0, 0}};
    for (size_t i = 0; i < rebuilt.pages.size(); ++i)
        toAccess[rebuilt.pages[i].number] = access.pages[i].number;
    for (const IndexPage& page : rebuilt.pages) {
        std::vector<uint8_t> bytes(ix.file().page(page.number).data(),
                                   ix.file().page(page.number).data() + kJet4PageSize);
        for (size_t field :
             {kJet4IndexPage.prevPage, kJet4IndexPage.nextPage, kJet4IndexPage.childTail})
            putU32(&bytes[field],
                   toAccess.at(ByteView({bytes.data(), kJet4PageSize}, 0).u32(field)));
        if (!page.leaf) {  // one entry, stored whole: its child pointer ends it
            const uint32_t child = toAccess.at(page.entries[0].child);
            for (size_t i = 0; i < 4; ++i)
                bytes[kJet4IndexPage.entries + page.storedBytes - 1 - i] =
                    static_cast<uint8_t>(child >> 8 * i);
        }
        // Past the entries Access leaves what was there before; this writer zeroes it.
        const size_t end = kJet4IndexPage.entries + page.storedBytes;
        const std::vector<uint8_t>& original = accessPages[toAccess[page.number]];
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + end, original.begin()))
            << "page " << page.number;
        EXPECT_TRUE(
            std::all_of(bytes.begin() + end, bytes.end(), [](uint8_t b) { return b == 0; }));
    }
    const auto faults = checkDatabase(ix.db);
    EXPECT_TRUE(faults.empty()) << describe(faults);
}

TEST(IndexWriter, TableRowsInAnyOrderLeaveACleanFile) {
    REQUIRE_FIXTURE("compIndexTestV2003.mdb");
    for (Order order : {Order::Descending, Order::Random}) {
        WritableIndex ix("compIndexTestV2003.mdb", u"Table1", 0);
        std::vector<IndexEntry> entries = accessEntries(ix);
        arrange(entries, order);
        ix.writer.clear();
        insertAll(ix.writer, entries);
        expectSoundIndex(ix, entries);
        const auto faults = checkDatabase(ix.db);
        EXPECT_TRUE(faults.empty()) << describe(faults);
    }
}

// New entries on top of Access's tree, in every order: descending Long keys for values past the
// table's (in front of Access's first leaf), repeated keys for further rows, and NULL entries
// (after Access's last leaf).
TEST(IndexWriter, GrowsAnAccessTree) {
    REQUIRE_FIXTURE("compIndexTestV2003.mdb");
    for (Order order : {Order::Ascending, Order::Descending, Order::Random}) {
        WritableIndex ix("compIndexTestV2003.mdb", u"Table1", 0);
        const ColumnDef& column = *ix.definition.columnByNumber(ix.index().columns[0].columnNumber);
        std::vector<IndexEntry> added;
        for (int32_t v = 0; v < 6000; ++v) {
            std::vector<uint8_t> key;
            const Value value = v % 20 == 0 ? Value{Null{}} : Value{int32_t{10000 + v % 4500}};
            appendColumnKey(key, column, value, false);
            added.push_back({key, {static_cast<uint32_t>(300 + v / 200), uint8_t(v % 200)}});
        }
        arrange(added, order);
        std::vector<IndexEntry> all = accessEntries(ix);
        insertAll(ix.writer, added, all);
        all.insert(all.end(), added.begin(), added.end());
        expectSoundIndex(ix, all);
    }
}

// ---- Filling an empty index ------------------------------------------------------------------

TEST(IndexWriter, FillsAnEmptyTextIndexInEveryOrder) {
    REQUIRE_FIXTURE("bigIndexTestV2000.mdb");
    for (Order order : {Order::Ascending, Order::Descending, Order::Random}) {
        WritableIndex ix("bigIndexTestV2000.mdb", u"Table1", 0);
        std::vector<IndexEntry> entries = textEntries(4000, 40, 5, 1);
        arrange(entries, order);
        insertAll(ix.writer, entries);
        const IndexTree tree = expectSoundIndex(ix, entries);
        EXPECT_GT(tree.pages.size(), 20u);
        EXPECT_FALSE(ix.writer.containsKey(textKey(u"not there")));
    }
}

// Keys of 300 to 600 bytes leave a handful of entries per page, so a few thousand make a tree
// four levels deep: node pages split in every way, the root more than once.
TEST(IndexWriter, BuildsDeepTrees) {
    REQUIRE_FIXTURE("bigIndexTestV2000.mdb");
    for (Order order : {Order::Ascending, Order::Descending, Order::Random}) {
        WritableIndex ix("bigIndexTestV2000.mdb", u"Table1", 0);
        std::mt19937 random(5);
        std::vector<IndexEntry> entries;
        for (uint32_t i = 0; i < 3000; ++i) {
            std::vector<uint8_t> key(300 + random() % 300);
            for (auto& b : key) b = static_cast<uint8_t>(random() % 4);  // long shared starts
            RowLocation row{100 + i / 100, static_cast<uint8_t>(i % 100)};
            entries.push_back({i % 9 == 8 ? entries[random() % entries.size()].key : key, row});
        }
        arrange(entries, order);
        insertAll(ix.writer, entries);
        const IndexTree tree = expectSoundIndex(ix, entries);
        EXPECT_GE(*std::max_element(tree.depths.begin(), tree.depths.end()), 3u);
    }
}

// Appending in ascending order leaves every leaf but the last as full as the next entry allows,
// the way Access leaves them.
TEST(IndexWriter, AppendingFillsEveryLeaf) {
    REQUIRE_FIXTURE("bigIndexTestV2000.mdb");
    WritableIndex ix("bigIndexTestV2000.mdb", u"Table1", 0);
    std::vector<IndexEntry> entries = textEntries(20000, 12, 0, 3);
    arrange(entries, Order::Ascending);
    entries.erase(std::unique(entries.begin(), entries.end(), sameEntry), entries.end());
    for (const auto& e : entries) ix.writer.insert(e.key, e.row);
    const IndexTree tree = expectSoundIndex(ix, entries);
    size_t next = 0;
    for (const auto& p : tree.pages) {
        if (!p.leaf) continue;
        next += p.entries.size();
        if (next == entries.size()) break;
        // The next entry did not fit, whole or with the prefix it shares with this page.
        size_t whole = entries[next].key.size() + kRowPointerSize;
        for (const auto& e : p.entries) whole += e.key.size() + kRowPointerSize;
        const auto& first = p.entries.front().key;
        const auto& last = entries[next].key;
        size_t prefix = 0;
        while (prefix < std::min(first.size(), last.size()) && first[prefix] == last[prefix])
            ++prefix;
        EXPECT_GT(whole - prefix * p.entries.size(), kJet4IndexPage.entryCapacity)
            << "page " << p.number;
    }
}

// A run of ascending keys into the gap between two full leaves halves a page, never splits
// off a page per entry.
TEST(IndexWriter, FillingGapsKeepsPagesHalfFull) {
    REQUIRE_FIXTURE("bigIndexTestV2000.mdb");
    WritableIndex ix("bigIndexTestV2000.mdb", u"Table1", 0);
    auto entry = [](uint32_t v) {
        return IndexEntry{{0x7F, uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)},
                          {60 + v / 200, uint8_t(v % 200)}};
    };
    std::vector<IndexEntry> entries;
    for (uint32_t v = 0; v < 100000; v += 10) entries.push_back(entry(v));
    insertAll(ix.writer, entries);
    // Nine keys after the last one of each leaf but the last.
    for (const auto& p : ix.tree().pages) {
        if (!p.leaf || p.nextPage == 0) continue;
        const auto& k = p.entries.back().key;
        const uint32_t last = uint32_t{k[1]} << 16 | uint32_t{k[2]} << 8 | k[3];
        for (uint32_t v = last + 1; v < last + 10; ++v) entries.push_back(entry(v));
    }
    ASSERT_GT(entries.size(), 10100u);
    insertAll(ix.writer, std::vector<IndexEntry>(entries.begin() + 10000, entries.end()));
    const IndexTree tree = expectSoundIndex(ix, entries);
    size_t leaves = 0;
    for (const auto& p : tree.pages) leaves += p.leaf;
    const size_t bytes = entries.size() * (4 + kRowPointerSize);
    EXPECT_LE(leaves, 2 * bytes / kJet4IndexPage.entryCapacity + 2);
}

// Runs of keys into gaps in the middle of a tree, upwards or downwards, leave the leaves they
// fill nearly full: a split inside a run is cut beside it, not in the middle.
TEST(IndexWriter, RunsInsideTheTreeLeaveFullLeaves) {
    REQUIRE_FIXTURE("bigIndexTestV2000.mdb");
    uint32_t rows = 0;
    auto entry = [&rows](uint32_t v) {
        const uint32_t n = rows++;
        return IndexEntry{{0x7F, uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)},
                          {60 + n / 200, uint8_t(n % 200)}};
    };
    for (Order order : {Order::Ascending, Order::Descending}) {
        WritableIndex ix("bigIndexTestV2000.mdb", u"Table1", 0);
        std::vector<IndexEntry> entries;
        for (uint32_t v = 0; v < 3000; ++v) entries.push_back(entry(v << 12));
        insertAll(ix.writer, entries);
        for (uint32_t gap : {500u, 1500u, 2500u}) {
            std::vector<IndexEntry> run;
            for (uint32_t v = 1; v < 4000; ++v) run.push_back(entry(gap << 12 | v));
            arrange(run, order);
            insertAll(ix.writer, run, entries);
            entries.insert(entries.end(), run.begin(), run.end());
        }
        const IndexTree tree = expectSoundIndex(ix, entries);
        // Full leaves hold 602 entries of 6 bytes (3 of the 9 shared); a run leaves behind at
        // most a few partly filled ones where it starts and ends.
        size_t leaves = 0;
        for (const auto& p : tree.pages) leaves += p.leaf;
        const size_t full =
            (entries.size() * 6 + kJet4IndexPage.entryCapacity - 1) / kJet4IndexPage.entryCapacity;
        EXPECT_LE(leaves, full + 3 * 3) << "full would be " << full;
    }
}

// Entries that land between two entries of the leaf that took the one before (no lookup in
// between, as a table's inserts have it): new-key answers, refused duplicates and removals in
// that leaf leave the index exact.
TEST(IndexWriter, EntriesInsideTheLeafTakenLastStayExact) {
    REQUIRE_FIXTURE("bigIndexTestV2000.mdb");
    WritableIndex ix("bigIndexTestV2000.mdb", u"Table1", 0);
    auto key = [](uint32_t n) {
        std::u16string text = u"Kunde ";
        for (char c : std::to_string(100000 + n)) text += static_cast<char16_t>(c);
        return textKey(text);
    };
    std::vector<IndexEntry> entries;
    std::set<std::vector<uint8_t>> keys;
    uint32_t rows = 0;
    auto add = [&](std::vector<uint8_t> k) {
        const RowLocation row{200 + rows / 100, static_cast<uint8_t>(rows % 100)};
        ++rows;
        const bool fresh = keys.insert(k).second;
        ASSERT_EQ(ix.writer.insert(k, row), fresh);
        entries.push_back({std::move(k), row});
    };
    for (uint32_t n = 0; n < 6000; n += 4) add(key(n));
    std::mt19937 random(3);
    for (int i = 0; i < 3000; ++i) {
        const auto n =
            static_cast<uint32_t>(2000 + random() % 400);  // a few leaves, again and again
        add(key(random() % 3 == 0 ? n & ~3u : n));
        if (i % 100 == 50) {
            const IndexEntry& last = entries.back();
            EXPECT_THROW(ix.writer.insert(last.key, last.row), Error);
        }
        if (i % 100 == 99) {
            const IndexEntry gone = entries[entries.size() - 2];
            entries.erase(entries.end() - 2);
            const bool lastOfKey =
                std::none_of(entries.begin(), entries.end(),
                             [&](const IndexEntry& e) { return e.key == gone.key; });
            EXPECT_EQ(ix.writer.remove(gone.key, gone.row), lastOfKey);
            if (lastOfKey) keys.erase(gone.key);
        }
    }
    expectSoundIndex(ix, entries);
}

// Appends follow the way down the previous append took; inserts elsewhere, removals of the last
// entry and splits of the nodes on the right edge in between must leave every node exact.
TEST(IndexWriter, AppendsAlongTheRightEdgeStayExact) {
    REQUIRE_FIXTURE("bigIndexTestV2000.mdb");
    WritableIndex ix("bigIndexTestV2000.mdb", u"Table1", 0);
    std::mt19937 random(11);
    auto key = [](uint32_t n) {
        // Long keys that share little: few to a page, so the tree soon grows deep.
        std::vector<uint8_t> k(300);
        for (size_t i = 0; i < k.size(); ++i) k[i] = static_cast<uint8_t>(n * 31 + i * 7);
        for (size_t i = 0; i < 4; ++i) k[i] = static_cast<uint8_t>(n >> (24 - 8 * i));
        return k;
    };
    std::vector<IndexEntry> entries;
    std::multiset<uint32_t> keys;
    uint32_t rows = 0;
    auto add = [&](uint32_t n) {
        const RowLocation row{300 + rows / 100, static_cast<uint8_t>(rows % 100)};
        ++rows;
        ASSERT_EQ(ix.writer.insert(key(n), row), keys.count(n) == 0);
        keys.insert(n);
        entries.push_back({key(n), row});
    };
    auto below = [&](uint32_t n) {
        return static_cast<uint32_t>(n - 1 - random() % 9 - 10 * (random() % (n / 10)));
    };
    for (uint32_t n = 10; n < 20000; n += 10) {
        add(n);
        if (n % 500 == 0) add(below(n));
        if (n % 1700 == 0) {
            const IndexEntry last = entries.back();
            entries.pop_back();
            keys.erase(keys.find(n));
            ASSERT_TRUE(ix.writer.remove(last.key, last.row));
            add(n + 1);
        }
    }
    const IndexTree tree = expectSoundIndex(ix, entries);
    EXPECT_GE(*std::max_element(tree.depths.begin(), tree.depths.end()), 3u);
}

// ---- Emptying --------------------------------------------------------------------------------

TEST(IndexWriter, ClearLeavesOneEmptyLeafAndFreesThePages) {
    REQUIRE_FIXTURE("bigIndexTestV2000.mdb");
    WritableIndex ix("bigIndexTestV2000.mdb", u"Table1", 0);
    std::vector<IndexEntry> entries = textEntries(3000, 30, 0, 4);
    insertAll(ix.writer, entries);
    std::vector<uint32_t> used;
    for (const auto& p : ix.tree().pages)
        if (p.number != ix.index().rootPage) used.push_back(p.number);
    ASSERT_GT(used.size(), 10u);

    ix.writer.clear();
    const IndexTree tree = ix.tree();
    ASSERT_EQ(tree.pages.size(), 1u);
    EXPECT_TRUE(tree.pages[0].leaf);
    EXPECT_TRUE(tree.pages[0].entries.empty());
    EXPECT_EQ(tree.pages[0].freeSpace, kJet4IndexPage.entryCapacity);
    EXPECT_EQ(tree.pages[0].prevPage | tree.pages[0].nextPage | tree.pages[0].childTail, 0u);
    EXPECT_EQ(readUsageMap(ix.file(), ix.index().usageMap).pages,
              std::vector<uint32_t>{ix.index().rootPage});
    UsageMap global = readUsageMap(ix.file(), usage_map_layout::kGlobalMap);
    for (uint32_t page : used)
        EXPECT_TRUE(std::binary_search(global.pages.begin(), global.pages.end(), page)) << page;
    EXPECT_FALSE(ix.writer.containsKey(entries[0].key));

    // Filling it again takes the freed pages before the file grows.
    const uint32_t pagesBefore = ix.file().pageCount();
    insertAll(ix.writer, entries);
    expectSoundIndex(ix, entries);
    EXPECT_EQ(ix.file().pageCount(), pagesBefore);
}

TEST(IndexWriter, RefusesOverlongKeysAndEntriesAlreadyThere) {
    REQUIRE_FIXTURE("bigIndexTestV2000.mdb");
    WritableIndex ix("bigIndexTestV2000.mdb", u"Table1", 0);
    EXPECT_THROW(
        ix.writer.insert(std::vector<uint8_t>(kJet4IndexPage.maxKeySize() + 1, 0x7F), {50, 1}),
        Error);
    EXPECT_TRUE(ix.writer.insert(std::vector<uint8_t>(kJet4IndexPage.maxKeySize(), 0x7F), {50, 1}));
    const std::vector<uint8_t> key = textKey(u"abc");
    EXPECT_TRUE(ix.writer.insert(key, {50, 2}));
    EXPECT_THROW(ix.writer.insert(key, {50, 2}), Error);
    EXPECT_FALSE(ix.writer.insert(key, {50, 3}));
    expectSoundIndex(ix, {{std::vector<uint8_t>(kJet4IndexPage.maxKeySize(), 0x7F), {50, 1}},
                          {key, {50, 2}},
                          {key, {50, 3}}});
}

}  // namespace
}  // namespace jet
