// Writing table definitions back: every Access-made definition re-encodes to its own bytes.
#include "jet/table/table_definition_writer.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fixture_files.h"
#include "jet/catalog/database.h"
#include "jet/page/usage_map.h"

namespace jet {
namespace {

// Every first page of a table definition in the file, found through the catalog.
std::vector<uint32_t> definitionPages(Database& db) {
    std::vector<uint32_t> pages;
    for (const auto& e : db.catalog())
        if (e.isTable()) pages.push_back(static_cast<uint32_t>(e.id));
    return pages;
}

// Logical offsets of bytes Access leaves undefined: the flag byte of each unused column slot of
// a real index holds whatever was in memory (letters of names, seen in adox_jet4 and others).
// The reader does not keep them; the writer writes 0 there.
std::vector<bool> undefinedBytes(const Format& format, const TableDefinition& t, size_t size) {
    const TdefLayout& layout = format.tdef;
    std::vector<bool> undefined(size, false);
    size_t at = layout.blocks + t.realIndexes.size() * layout.realIndexCountBlock +
                t.columns.size() * layout.column.blockSize;
    // every name of the fixtures is one byte a character in the code page
    const size_t unit = format.text == TextCodec::CodePage ? 1 : 2;
    for (const auto& c : t.columns) at += layout.nameLengthSize + c.name.size() * unit;
    for (const auto& r : t.realIndexes) {
        for (size_t slot = r.columns.size(); slot < tdef_layout::real_index_block::kSlotCount;
             ++slot)
            undefined[at + layout.realIndex.columnSlots + slot * 3 + 2] = true;
        at += layout.realIndex.blockSize;
    }
    return undefined;
}

// Offsets (into page i of the chain) where the images differ from the stored pages, within the
// bytes the definition covers. The unknown header bytes are left out: the encoder leaves them
// to writeTableDefinition, which keeps the stored ones.
std::string differences(PageFile& file, const TableDefinition& t,
                        const std::vector<std::vector<uint8_t>>& images) {
    const Format& format = file.format();
    const TdefLayout& layout = format.tdef;
    const size_t pageSize = format.pageSize;
    std::ostringstream out;
    std::vector<bool> undefined = undefinedBytes(format, t, t.length);
    size_t remaining = t.length;
    for (size_t i = 0; i < images.size(); ++i) {
        ByteView stored = file.page(t.pages[i]);
        size_t header = i == 0 ? 0 : tdef_layout::kContinuationHeader;
        size_t end = std::min<size_t>(pageSize, header + remaining);
        remaining -= end - header;
        for (size_t at = 0; at < end; ++at) {
            if (i == 0 && layout.headerUnknownAt != tdef_layout::kAbsent &&
                at >= layout.headerUnknownAt &&
                at < layout.headerUnknownAt + layout.headerUnknownSize)
                continue;
            if (at >= tdef_layout::kNextPage && at < tdef_layout::kNextPage + 4) continue;
            size_t logical = i == 0 ? at : i * pageSize - (i - 1) * header + at - header;
            if (undefined[logical]) continue;
            if (stored.u8(at) != images[i][at])
                out << " p" << i << "@" << at << ":" << int(stored.u8(at)) << "/"
                    << int(images[i][at]);
        }
    }
    return out.str();
}

// Jet 4 and Access 97 definitions alike.
TEST(TableDefinitionWriter, ReencodesEveryAccessDefinitionByteForByte) {
    auto files = testing::allFixtures();
    const auto jet3 = testing::jet3Fixtures();
    files.insert(files.end(), jet3.begin(), jet3.end());
    if (files.empty()) GTEST_SKIP() << "no fixtures";
    size_t checked = 0;
    for (const auto& path : files) {
        Database db(path.string(), OpenMode::ReadOnly);
        const Format& format = db.file().format();
        for (uint32_t first : definitionPages(db)) {
            TableDefinition t = readTableDefinition(db.file(), first);
            std::vector<uint8_t> logical = encodeTableDefinition(format, t);
            ASSERT_EQ(logical.size(), t.length) << path.filename() << " page " << first;
            auto images = tableDefinitionPages(format, logical);
            ASSERT_EQ(images.size(), t.pages.size()) << path.filename() << " page " << first;
            EXPECT_EQ(differences(db.file(), t, images), "")
                << path.filename() << " page " << first;
            ++checked;
        }
    }
    EXPECT_GT(checked, 100u);
}

bool isFree(PageFile& file, uint32_t page) {
    auto free = readUsageMap(file, usage_map_layout::kGlobalMap).pages;
    return std::binary_search(free.begin(), free.end(), page);
}

// In place, the stored bytes come back; a definition that outgrows its page takes a
// continuation page from the free pages and gives it back when it shrinks again.
TEST(TableDefinitionWriter, RewritesGrowsAndShrinksTheChain) {
    REQUIRE_FIXTURE("indexTestV2003.mdb");
    testing::ScratchDir dir;
    auto path = dir.copy(testing::fixture("indexTestV2003.mdb"));
    std::vector<uint8_t> before = testing::readFile(path);
    uint32_t first = 0;
    {
        Database db(path.string(), OpenMode::Exclusive);
        first = static_cast<uint32_t>(db.findTable(u"Table1")->id);
        PageAllocator allocator(db.file());
        TableDefinition t = readTableDefinition(db.file(), first);
        writeTableDefinition(db.file(), allocator, t);
        db.file().flush();
    }
    // Only the unused index slots' flag bytes, undefined in Access's files, come back as 0.
    TableDefinition t0 =
        readTableDefinition(Database(path.string(), OpenMode::ReadOnly).file(), first);
    std::vector<bool> undefined = undefinedBytes(kJet4Format, t0, t0.length);
    std::vector<uint8_t> after = testing::readFile(path);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        bool slotFlag = i / kJet4PageSize == first && i % kJet4PageSize < undefined.size() &&
                        undefined[i % kJet4PageSize];
        if (after[i] != before[i] && !(slotFlag && after[i] == 0))
            ADD_FAILURE() << "page " << i / kJet4PageSize << " byte " << i % kJet4PageSize;
    }

    Database db(path.string(), OpenMode::Exclusive);
    PageAllocator allocator(db.file());
    TableDefinition t = readTableDefinition(db.file(), first);
    TableDefinition original = t;
    for (int i = 0; i < 40; ++i) {
        ColumnDef c = t.columns.back();
        c.number = static_cast<uint16_t>(100 + i);
        c.name = u"a rather long column name " + std::u16string(1, char16_t(u'A' + i % 26)) +
                 std::u16string(40, u'x');
        t.columns.push_back(c);
    }
    writeTableDefinition(db.file(), allocator, t);
    ASSERT_EQ(t.pages.size(), 2u);
    EXPECT_EQ(t.firstPage, first);
    EXPECT_FALSE(isFree(db.file(), t.pages[1]));
    TableDefinition grown = readTableDefinition(db.file(), first);
    EXPECT_EQ(grown.columns.size(), t.columns.size());
    EXPECT_EQ(grown.columns.back().name, t.columns.back().name);
    EXPECT_EQ(grown.logicalIndexes.back().name, original.logicalIndexes.back().name);
    EXPECT_EQ(encodeTableDefinition(kJet4Format, grown).size(), grown.length);

    uint32_t continuation = t.pages[1];
    original.pages = t.pages;
    writeTableDefinition(db.file(), allocator, original);
    EXPECT_EQ(original.pages, std::vector<uint32_t>{first});
    EXPECT_TRUE(isFree(db.file(), continuation));
    EXPECT_EQ(readTableDefinition(db.file(), first).columns.size(), original.columns.size());
}

}  // namespace
}  // namespace jet
