// Storing rows into copies of Access-made files: the rows read back exactly, the structural
// check finds nothing (index entries aside: the index writer is not part of these writes), and
// the independent readers mdb-export and mdb-reader see the same rows.
#include "jet/table/table_writer.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>

#include "fixture_files.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"
#include "jet/check/check.h"
#include "jet/page/usage_map.h"
#include "jet/table/data_page_writer.h"
#include "jet/table/long_value.h"
#include "jet/table/long_value_rows.h"
#include "jet/table/text_compression.h"

namespace jet {
namespace {

using Row = std::vector<Value>;
using Rows = std::map<RowLocation, Row>;
using Path = std::filesystem::path;

// A table of a scratch copy, open for writing; flushed when it goes.
struct WritableTable {
    // `adjust` may change the definition before the writer takes it.
    WritableTable(const Path& path, std::u16string_view name,
                  void (*adjust)(TableDefinition&) = nullptr)
        : db(path.string(), OpenMode::Exclusive),
          allocator(db.file()),
          definition(adjusted(db.openTable(name).definition(), adjust)),
          writer(db.file(), allocator, definition) {}
    static TableDefinition adjusted(TableDefinition d, void (*adjust)(TableDefinition&)) {
        if (adjust) adjust(d);
        return d;
    }
    ~WritableTable() { db.file().flush(); }

    const ColumnDef& column(std::u16string_view name) const {
        for (const auto& c : definition.columns)
            if (c.name == name) return c;
        throw std::runtime_error("no column " + toUtf8(name));
    }
    Row emptyRow() const {
        uint16_t highest = 0;
        for (const auto& c : definition.columns) highest = std::max(highest, c.number);
        return Row(highest + 1u, Null{});
    }

    Database db;
    PageAllocator allocator;
    TableDefinition definition;
    TableWriter writer;
};

// A value of the column's type for row `i`: NULL now and then, text that is compressible or
// not, numbers over their range.
Value valueFor(const ColumnDef& c, int i) {
    if (i % 11 == 3 && c.type() != ColumnType::Boolean) return Null{};
    const auto n = static_cast<uint32_t>(i);
    switch (c.type()) {
        case ColumnType::Boolean:
            return i % 3 == 0;
        case ColumnType::Byte:
            return static_cast<uint8_t>(n * 7);
        case ColumnType::Integer:
            return static_cast<int16_t>(n * 331 - 20000);
        case ColumnType::Long:
            return static_cast<int32_t>(n * 2654435761u);
        case ColumnType::Currency:
            return Currency{int64_t{i} * 123457 - 5000000};
        case ColumnType::Single:
            return static_cast<float>(i) / 4;
        case ColumnType::Double:
            return i * 0.125 - 100;
        case ColumnType::DateTime:
            return DateTime{36526 + i + (i % 86400) / 86400.0};
        case ColumnType::Guid: {
            Guid g;
            for (size_t k = 0; k < g.bytes.size(); ++k)
                g.bytes[k] = static_cast<uint8_t>(n + k * 17);
            return g;
        }
        case ColumnType::Decimal:
            return Decimal{i % 2 == 1, c.scale, 0, uint64_t{n} * 1000003u};
        case ColumnType::Text: {
            std::u16string text = fromUtf8("Zeile " + std::to_string(i));
            if (i % 4 == 1) text += u" Äpfel";     // still compressible
            if (i % 4 == 2) text += u" Ārkādija";  // not compressible
            if (i % 13 == 0) text.clear();
            text.resize(std::min<size_t>(text.size(), c.length / 2));
            return text;
        }
        case ColumnType::Memo:
            return std::u16string(n * 37 % 3000, static_cast<char16_t>(u'a' + i % 26));
        case ColumnType::OLE:
            return Bytes(n * 101 % 9000, static_cast<uint8_t>(i));
        default:
            return Bytes(std::min<size_t>(c.length, 4), static_cast<uint8_t>(i));
    }
}

Rows fill(WritableTable& t, int count, int from = 0) {
    Rows written;
    Row row = t.emptyRow();
    for (int i = from; i < from + count; ++i) {
        for (const auto& c : t.definition.columns) row[c.number] = valueFor(c, i);
        written[t.writer.insert(row)] = row;
    }
    return written;
}

Rows readRows(const Path& path, std::u16string_view name) {
    Database db(path.string(), OpenMode::ReadOnly);
    Rows rows;
    db.openTable(name).forEachRow(
        [&](RowLocation where, const Row& values) { rows[where] = values; });
    return rows;
}

void expectRows(const Path& path, std::u16string_view name, const Rows& written, size_t total) {
    Rows read = readRows(path, name);
    EXPECT_EQ(read.size(), total);
    for (const auto& [where, row] : written) {
        auto found = read.find(where);
        ASSERT_NE(found, read.end()) << "row " << where.page << "/" << int(where.row);
        EXPECT_TRUE(found->second == row) << "row " << where.page << "/" << int(where.row);
    }
    Database db(path.string(), OpenMode::ReadOnly);
    EXPECT_EQ(db.openTable(name).definition().rowCount, total);
}

// Every fixture is clean; what the writes may leave is index entries still missing.
void expectSound(const Path& path) {
    Database db(path.string(), OpenMode::ReadOnly);
    for (const auto& f : checkDatabase(db))
        if (f.message.find(" fehlt im Index") == std::string::npos)
            ADD_FAILURE() << "Seite " << f.page << ": " << f.message;
}

// Full pages (too little room for `smallestRow`, or 255 rows) are out of the free-space map
// `free`, the other pages of `owned` in it. Pages of `earlier` were there before the writes.
void expectFreeMapRight(const Path& path, MapRef owned, MapRef free, size_t smallestRow,
                        const std::vector<uint32_t>& earlier = {}) {
    PageFile file(path.string(), OpenMode::ReadOnly);
    auto withRoom = readUsageMap(file, free).pages;
    for (uint32_t page : readUsageMap(file, owned).pages) {
        if (std::find(earlier.begin(), earlier.end(), page) != earlier.end()) continue;
        DataPage p(file, page);
        bool full = p.rowCount() == data_page_layout::kMaxRowsPerPage ||
                    p.freeSpace() < rowSpace(smallestRow);
        EXPECT_EQ(std::binary_search(withRoom.begin(), withRoom.end(), page), !full) << page;
    }
}

// The storage of each long value of `column` in the rows, by row.
std::map<RowLocation, uint32_t> longValueStorage(const Path& path, std::u16string_view name,
                                                 uint16_t column) {
    Database db(path.string(), OpenMode::ReadOnly);
    Table table = db.openTable(name);
    RowFormat format(kJet4Format, table.definition());
    std::vector<FieldSpan> fields;
    std::map<RowLocation, uint32_t> storage;
    table.forEachRow([&](RowLocation where, const Row&) {
        format.split(table.rowBytes(where), fields);
        if (fields[column].present)
            storage[where] = parseLongValueRef(fields[column].bytes).storage;
    });
    return storage;
}

// Where Access left no stale bytes behind (in NULL fields, deleted columns' slots or the
// padding of shrunk rows), its rows encode to exactly its bytes.
TEST(TableWriter, EncodesRowsByteForByteAsAccess) {
    const std::vector<std::pair<std::string, std::u16string>> tables = {
        {"compIndexTestV2003.mdb", u"Table1"},
        {"testUnicodeCompV2003.mdb", u"Table"},
        {"indexTestV2003.mdb", u"Table2"},
        {"indexTestV2003.mdb", u"Table3"},
        {"fixedTextTestV2003.mdb", u"users"},
        {"delTestV2003.mdb", u"Table"},
        {"testIndexPropertiesV2003.mdb", u"TableIgnoreNulls1"}};
    size_t rows = 0;
    for (const auto& [file, name] : tables) {
        if (!std::filesystem::exists(testing::fixture(file))) continue;
        Database db(testing::fixture(file).string(), OpenMode::ReadOnly);
        Table table = db.openTable(name);
        RowEncoder encoder(kJet4Format, table.definition());
        table.forEachRowById([&](RowLocation where, const Row& values) {
            encoder.encode(values);
            ByteView stored = table.rowBytes(where);
            EXPECT_TRUE(std::ranges::equal(encoder.row(), stored.span()))
                << file << " row " << where.page << "/" << int(where.row);
            ++rows;
        });
    }
    if (rows == 0) GTEST_SKIP() << "fixtures missing";
    EXPECT_GE(rows, 540u);
}

TEST(TableWriter, RowsWithoutVariableColumnsEndWithTheNullMask) {
    TableDefinition t;
    t.maxColumns = 3;
    auto fixed = [](ColumnType type, uint16_t number, uint16_t offset, uint16_t length) {
        ColumnDef c;
        c.typeCode = uint8_t(type);
        c.number = number;
        c.flags = column_flag::kFixed;
        c.fixedOffset = offset;
        c.length = length;
        return c;
    };
    t.columns = {fixed(ColumnType::Long, 0, 0, 4), fixed(ColumnType::Boolean, 1, 0, 1),
                 fixed(ColumnType::Integer, 2, 4, 2)};
    RowEncoder encoder(kJet4Format, t);
    const Row values = {int32_t{7}, true, Null{}};
    encoder.encode(values);
    // The NULL Integer keeps its two bytes; the Yes/No field lives in the mask only.
    EXPECT_TRUE(
        std::ranges::equal(encoder.row(), std::vector<uint8_t>{3, 0, 7, 0, 0, 0, 0, 0, 0x03}));
    EXPECT_EQ(encoder.minimumRowSize(), 9u);
}

TEST(TableWriter, FillsATableUntilItsOwnedMapIsPromoted) {
    REQUIRE_FIXTURE("testPromotionV2003.mdb");
    testing::ScratchDir dir;
    const Path path = dir.copy(testing::fixture("testPromotionV2003.mdb"));
    Rows written;
    size_t smallestRow;
    {
        WritableTable t(path, u"jobDB1");
        EXPECT_EQ(readUsageMap(t.db.file(), t.definition.ownedPages).kind, UsageMapKind::Inline);
        // Rows of about 3 KB, one a page, so that 1000 of them pass the map's window.
        Row row = t.emptyRow();
        for (int i = 0; i < 1000; ++i) {
            for (const auto& c : t.definition.columns)
                row[c.number] =
                    c.type() == ColumnType::Text
                        ? Value(std::u16string(255, static_cast<char16_t>(0x400 + i % 64)))
                        : valueFor(c, i);
            written[t.writer.insert(row)] = row;
        }
        written.merge(fill(t, 2000));  // small rows, many a page
        smallestRow = RowEncoder(kJet4Format, t.definition).minimumRowSize();
    }
    expectRows(path, u"jobDB1", written, 3000);
    expectSound(path);
    Database db(path.string(), OpenMode::ReadOnly);
    const Table table = db.openTable(u"jobDB1");
    const TableDefinition& jobs = table.definition();
    expectFreeMapRight(path, jobs.ownedPages, jobs.freeSpacePages, smallestRow);
    EXPECT_EQ(readUsageMap(db.file(), jobs.ownedPages).kind, UsageMapKind::Reference);
}

TEST(TableWriter, EveryFixedTypeAndTextInAFileWithAReferenceGlobalMap) {
    REQUIRE_FIXTURE("testRefGlobalV2000.mdb");
    testing::ScratchDir dir;
    const Path path = dir.copy(testing::fixture("testRefGlobalV2000.mdb"));
    Rows table1, table4;
    {
        WritableTable t(path, u"Table1");
        table1 = fill(t, 1500);
    }
    {
        WritableTable t(path, u"Table4");  // text and a GUID
        table4 = fill(t, 300);
    }
    expectRows(path, u"Table1", table1, 1502);
    expectRows(path, u"Table4", table4, 300);
    expectSound(path);
}

TEST(TableWriter, TextIsCompressedWhereJetCompressesIt) {
    ColumnDef compressing;
    compressing.extFlags = column_flag::kExtCompressedUnicode;
    const ColumnDef plain;
    auto stored = [](const ColumnDef& c, std::u16string_view text) {
        std::vector<uint8_t> out;
        appendStoredText(c, text, out);
        EXPECT_EQ(out.size(), storedTextSize(c, text));
        EXPECT_EQ(decodeStoredText(out), text);
        return out;
    };
    EXPECT_EQ(stored(compressing, u"abc"), (std::vector<uint8_t>{0xFF, 0xFE, 'a', 'b', 'c'}));
    EXPECT_EQ(stored(compressing, u"ab"), (std::vector<uint8_t>{'a', 0, 'b', 0}));
    EXPECT_EQ(stored(plain, u"abc").size(), 6u);
    EXPECT_EQ(stored(compressing, u"\u00FF\u0001\u00E4").size(), 5u);
    EXPECT_EQ(stored(compressing, u"a\u0100b").size(), 6u);
    EXPECT_EQ(stored(compressing, std::u16string(u"ab\0c", 4)).size(), 8u);
    EXPECT_EQ(stored(compressing, std::u16string(1024, u'x')).size(), 1026u);
    EXPECT_EQ(stored(compressing, std::u16string(1025, u'x')).size(), 2050u);
}

TEST(TableWriter, LongValuesInlineInOneRowAndChained) {
    REQUIRE_FIXTURE("test2V2003.mdb");
    testing::ScratchDir dir;
    const Path path = dir.copy(testing::fixture("test2V2003.mdb"));
    const std::vector<size_t> sizes = {0, 64, 65, 4076, 4077, 100000};
    Rows written;
    uint16_t ole = 0, memo = 0;
    MapRef oleOwned, oleFree;
    std::vector<uint32_t> accessPages;
    {
        WritableTable t(path, u"MSP_PROJECTS");  // a TDEF of two pages, ten long-value columns
        ole = t.column(u"RESERVED_BINARY_DATA").number;
        oleOwned = *t.column(u"RESERVED_BINARY_DATA").longValueOwnedMap;
        oleFree = *t.column(u"RESERVED_BINARY_DATA").longValueFreeMap;
        accessPages = readUsageMap(t.db.file(), oleOwned).pages;
        memo = t.column(u"PROJ_PROP_TITLE").number;
        Row row = t.emptyRow();
        for (int i = 0; i < 120; ++i) {
            for (const auto& c : t.definition.columns) row[c.number] = valueFor(c, i);
            row[t.column(u"PROJ_ID").number] = int32_t{1000 + i};
            const size_t size = sizes[static_cast<size_t>(i) % sizes.size()];
            row[ole] = Bytes(size, static_cast<uint8_t>(i));
            // Memo text is stored plain here (no compression flag): two bytes a character.
            row[memo] = std::u16string(size / 2, u'm');
            written[t.writer.insert(row)] = row;
        }
    }
    expectRows(path, u"MSP_PROJECTS", written, 121);
    expectSound(path);
    expectFreeMapRight(path, oleOwned, oleFree, kJet4LongValue.smallestOutOfRow(), accessPages);
    using namespace long_value_layout;
    const std::map<size_t, uint32_t> expected = {{0, kInline},     {64, kInline},
                                                 {65, kSingleRow}, {4076, kSingleRow},
                                                 {4077, kChain},   {100000, kChain}};
    for (uint16_t column : {ole, memo}) {
        auto storage = longValueStorage(path, u"MSP_PROJECTS", column);
        for (const auto& [where, row] : written) {
            size_t size = column == ole ? std::get<Bytes>(row[column]).size()
                                        : 2 * std::get<std::u16string>(row[column]).size();
            EXPECT_EQ(storage[where], expected.at(size)) << "size " << size;
        }
    }
}

TEST(TableWriter, DecimalsAndDeletedColumns) {
    REQUIRE_FIXTURE("fixedNumericTestV2003.mdb");
    REQUIRE_FIXTURE("delColTestV2003.mdb");
    testing::ScratchDir dir;
    const Path numeric = dir.copy(testing::fixture("fixedNumericTestV2003.mdb"));
    const Path deleted = dir.copy(testing::fixture("delColTestV2003.mdb"));
    Rows decimals, rows;
    {
        WritableTable t(numeric, u"test");
        decimals = fill(t, 700);
        Row tooPrecise = t.emptyRow();
        tooPrecise[t.column(u"col2").number] = Decimal{false, 0, 0, 1000000000000000000u};
        EXPECT_THROW(t.writer.insert(tooPrecise), Error);  // 19 digits in Decimal(18)
    }
    {
        WritableTable t(deleted, u"Table1");
        rows = fill(t, 500);
    }
    expectRows(numeric, u"test", decimals, 701);
    expectRows(deleted, u"Table1", rows, 502);
    expectSound(numeric);
    expectSound(deleted);
}

TEST(TableWriter, RefusesWhatCannotBeStoredBeforeWritingAnything) {
    REQUIRE_FIXTURE("testRefGlobalV2000.mdb");
    testing::ScratchDir dir;
    WritableTable t(dir.copy(testing::fixture("testRefGlobalV2000.mdb")), u"Table2");
    Row row = t.emptyRow();
    auto refused = [&](ErrorCode code) {
        try {
            t.writer.insert(row);
        } catch (const Error& e) {
            return e.number() == static_cast<int32_t>(code);
        }
        return false;
    };
    // 89 text fields of 50 characters that cannot be compressed: 8900 bytes.
    for (const auto& c : t.definition.columns) row[c.number] = std::u16string(50, u'\u0100');
    EXPECT_TRUE(refused(ErrorCode::RecordTooLarge));
    row.assign(row.size(), Null{});
    row[0] = std::u16string(51, u'x');
    EXPECT_TRUE(refused(ErrorCode::FieldTooSmall));
    row[0] = int32_t{5};
    EXPECT_TRUE(refused(ErrorCode::ConversionFailed));
    EXPECT_EQ(t.db.file().dirtyPageCount(), 0u);
    EXPECT_EQ(t.definition.rowCount, 0u);
}

TEST(TableWriter, FullPagesHold255RowsAndAutoNumbersMoveTheCounter) {
    REQUIRE_FIXTURE("testRefGlobalV2000.mdb");
    testing::ScratchDir dir;
    const Path path = dir.copy(testing::fixture("testRefGlobalV2000.mdb"));
    Rows written;
    size_t smallestRow;
    {
        WritableTable t(path, u"Table3");  // an AutoNumber and a text: rows of 13 bytes
        Row row = t.emptyRow();
        for (int32_t i = 1; i <= 600; ++i) {
            row[t.column(u"a").number] = i;
            written[t.writer.insert(row)] = row;
        }
        smallestRow = RowEncoder(kJet4Format, t.definition).minimumRowSize();
    }
    expectRows(path, u"Table3", written, 600);
    expectSound(path);
    Database db(path.string(), OpenMode::ReadOnly);
    Table table = db.openTable(u"Table3");
    const TableDefinition& t = table.definition();
    expectFreeMapRight(path, t.ownedPages, t.freeSpacePages, smallestRow);
    EXPECT_EQ(t.autoNumber, 600u);
    std::vector<uint16_t> rowsPerPage;
    for (uint32_t page : table.dataPages())
        rowsPerPage.push_back(DataPage(kJet4Format, db.file().page(page)).rowCount());
    EXPECT_EQ(rowsPerPage, (std::vector<uint16_t>{255, 255, 90}));
}

TEST(TableWriter, DeleteAllGivesPagesBackAndTheNextRowsReuseThem) {
    REQUIRE_FIXTURE("fixedNumericTestV2003.mdb");
    testing::ScratchDir dir;
    const Path path = dir.copy(testing::fixture("fixedNumericTestV2003.mdb"));
    std::set<uint32_t> released;
    uint32_t pagesBefore;
    Rows written;
    {
        // Decimals and a memo with its own maps; few enough rows to stay inside the window of
        // the global map, where given-back pages can be marked free.
        WritableTable t(path, u"test");
        fill(t, 300);
        const ColumnDef& memo = t.column(u"col1");
        PageFile& file = t.db.file();
        for (MapRef map : {t.definition.ownedPages, *memo.longValueOwnedMap})
            for (uint32_t page : readUsageMap(file, map).pages) released.insert(page);
        ASSERT_GT(released.size(), 20u);
        t.writer.deleteAll();
        EXPECT_TRUE(readUsageMap(file, t.definition.ownedPages).pages.empty());
        EXPECT_TRUE(readUsageMap(file, t.definition.freeSpacePages).pages.empty());
        EXPECT_TRUE(readUsageMap(file, *memo.longValueOwnedMap).pages.empty());
        EXPECT_TRUE(readUsageMap(file, *memo.longValueFreeMap).pages.empty());
        auto free = readUsageMap(file, usage_map_layout::kGlobalMap).pages;
        for (uint32_t page : released)
            EXPECT_TRUE(std::binary_search(free.begin(), free.end(), page));
        pagesBefore = file.pageCount();
        written = fill(t, 150, 300);
        EXPECT_EQ(file.pageCount(), pagesBefore);
        for (const auto& [where, row] : written)
            EXPECT_TRUE(released.count(where.page)) << where.page;
    }
    expectRows(path, u"test", written, 150);
    expectSound(path);
}

TEST(TableWriter, DeleteAllFindsLongValuesOfColumnsWithoutMapsThroughTheRows) {
    REQUIRE_FIXTURE("fixedNumericTestV2003.mdb");
    testing::ScratchDir dir;
    const Path path = dir.copy(testing::fixture("fixedNumericTestV2003.mdb"));
    {
        // The memo column as files of other writers have it: without maps of its own.
        WritableTable t(path, u"test", [](TableDefinition& d) {
            for (auto& c : d.columns) c.longValueOwnedMap = c.longValueFreeMap = std::nullopt;
        });
        fill(t, 200);
        const uint16_t memo = t.column(u"col1").number;
        std::vector<uint32_t> pages;
        for (const auto& [page, rows] : longValueRowsOf(t.db.file(), t.definition, {memo}))
            pages.push_back(page);
        ASSERT_GT(pages.size(), 50u);
        t.writer.deleteAll();
        auto free = readUsageMap(t.db.file(), usage_map_layout::kGlobalMap).pages;
        for (uint32_t page : pages) EXPECT_TRUE(std::binary_search(free.begin(), free.end(), page));
    }
    expectRows(path, u"test", {}, 0);
    expectSound(path);
}

// The independent readers, run on files written as above (tests/tools/compare_exports.py
// compares mdb-export, mdb-reader and jettool cell by cell).
TEST(TableWriter, IndependentReadersSeeTheWrittenRows) {
    REQUIRE_FIXTURE("test2V2003.mdb");
    const Path jettool = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "jettool";
    const Path script =
        Path(__FILE__).parent_path().parent_path().parent_path() / "tools" / "compare_exports.py";
    if (!std::filesystem::exists(jettool) ||
        std::system("mdb-export --version >/dev/null 2>&1") != 0 ||
        std::system("node --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "jettool, mdb-export or node is missing";
    testing::ScratchDir dir;
    const std::vector<std::pair<std::string, std::u16string>> tables = {
        {"test2V2003.mdb", u"MSP_PROJECTS"},
        {"testRefGlobalV2000.mdb", u"Table1"},
        {"fixedNumericTestV2003.mdb", u"test"},
        {"delColTestV2003.mdb", u"Table1"},
        {"testPromotionV2003.mdb", u"jobDB1"}};
    for (const auto& [file, table] : tables) {
        if (!std::filesystem::exists(testing::fixture(file))) continue;
        WritableTable t(dir.copy(testing::fixture(file)), table);
        fill(t, 300);
    }
    const std::string command = "python3 " + script.string() + " --jettool " + jettool.string() +
                                " --fixtures " + dir.file("").string() + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << output;
    EXPECT_NE(output.find(" 0 differ"), std::string::npos) << output;
}

}  // namespace
}  // namespace jet
