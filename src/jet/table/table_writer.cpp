#include "jet/table/table_writer.h"

#include <algorithm>
#include <cstring>

#include "jet/base/text.h"
#include "jet/format/page_layout.h"
#include "jet/page/usage_map.h"
#include "jet/page/usage_map_writer.h"
#include "jet/table/data_page_writer.h"
#include "jet/table/long_value_rows.h"
#include "jet/table/table_write_refusal.h"

namespace jet {

namespace {

// A new page may need a new bitmap page in each of the table's two maps.
constexpr size_t kPagesPerNewDataPage = 3;

bool hasMap(MapRef map) {
    return map.page != 0;
}

}  // namespace

TableWriter::TableWriter(PageFile& file, PageAllocator& allocator, TableDefinition& table)
    : file_(file), allocator_(allocator), table_(table), encoder_(file.format(), table) {
    requireWritableTable(file.format(), table);
    for (const ColumnDef& c : table.columns)
        if (c.isLongValue()) longValues_.emplace_back(file, allocator, c);
}

RowLocation TableWriter::insert(std::span<const Value> valuesByNumber) {
    encoder_.encode(valuesByNumber);
    requireRoomInFile();
    storeLongValues();
    std::span<const uint8_t> row = encoder_.row();
    const uint32_t page = pageFor(row.size());
    AddedRow added = addRow(file_.format(), file_.writablePage(page), row.size());
    std::memcpy(added.bytes, row.data(), row.size());
    if (hasMap(table_.freeSpacePages) && isFull(page))
        removePageFromMap(file_, table_.freeSpacePages, page);
    ++table_.rowCount;
    noteAutoNumber(valuesByNumber);
    // The row count changed, so the page changes: no need to compare first.
    putCounts(file_.writablePage(table_.firstPage));
    return RowLocation{page, added.row};
}

size_t pagesForRow(const Format& format, std::span<const Value> valuesByNumber) {
    size_t needed = kPagesPerNewDataPage;
    for (const Value& v : valuesByNumber) {
        if (auto* bytes = std::get_if<Bytes>(&v))
            needed += LongValueWriter::pagesNeeded(format, bytes->size(), LongValueStorage::Chain);
        if (auto* text = std::get_if<std::u16string>(&v))
            needed +=
                LongValueWriter::pagesNeeded(format, text->size() * 2, LongValueStorage::Chain);
    }
    return needed;
}

void requireRoomInFile(const PageFile& file, size_t pages) {
    if (size_t{file.pageCount()} + pages > file.pageLimit()) throwDatabaseFull(file);
}

void TableWriter::requireRoomInFile() const {
    size_t needed = kPagesPerNewDataPage;
    for (const OutOfRowValue& v : encoder_.outOfRow())
        needed += LongValueWriter::pagesNeeded(file_.format(), v.data.size(), v.storage);
    jet::requireRoomInFile(file_, needed);
}

void TableWriter::storeLongValues() {
    for (const OutOfRowValue& v : encoder_.outOfRow())
        encoder_.setLongValueRow(v, longValueWriter(v.columnNumber).write(v.data, v.storage));
}

LongValueWriter& TableWriter::longValueWriter(uint16_t columnNumber) {
    for (LongValueWriter& w : longValues_)
        if (w.column().number == columnNumber) return w;
    throwCorrupt(table_.firstPage, "Spalte " + std::to_string(columnNumber) + " fehlt");
}

void TableWriter::noteAutoNumber(std::span<const Value> valuesByNumber) {
    for (const ColumnDef& c : table_.columns) {
        if (!(c.flags & column_flag::kAutoLong) || c.number >= valuesByNumber.size()) continue;
        auto* value = std::get_if<int32_t>(&valuesByNumber[c.number]);
        if (value && *value > 0 && static_cast<uint32_t>(*value) > table_.autoNumber)
            table_.autoNumber = static_cast<uint32_t>(*value);
    }
}

uint32_t TableWriter::pageFor(size_t length) {
    if (!currentKnown_) findCurrentPage();
    if (currentPage_ != 0 && rowFits(file_.format(), file_.page(currentPage_), length))
        return currentPage_;
    // The page left behind stays in the free-space map unless it is full; it left the map
    // with the row that filled it.
    currentPage_ = newDataPage();
    return currentPage_;
}

uint32_t TableWriter::newDataPage() {
    if (!hasMap(table_.ownedPages))
        throw Error(ErrorCode::NotSupported,
                    "Die Tabelle auf Seite " + std::to_string(table_.firstPage) +
                        " hat keine Seitentabelle; Zeilen können nicht angefügt werden.");
    const uint32_t page = allocator_.allocate();
    addPageToMap(file_, allocator_, table_.ownedPages, page);
    if (hasMap(table_.freeSpacePages)) addPageToMap(file_, allocator_, table_.freeSpacePages, page);
    formatDataPage(file_.format(), file_.writablePage(page), table_.firstPage);
    return page;
}

bool TableWriter::isDataPageOfTable(ByteView page) const {
    return page.u8(page_layout::kPageType) == data_page_layout::kPageType &&
           page.u32(data_page_layout::kOwner) == table_.firstPage;
}

bool TableWriter::isFull(uint32_t page) {
    ByteView bytes = file_.page(page);
    return !rowFits(file_.format(), bytes, encoder_.minimumRowSize());
}

// The last page of the free-space map that is one of the table's data pages.
void TableWriter::findCurrentPage() {
    currentKnown_ = true;
    currentPage_ = 0;
    if (!hasMap(table_.ownedPages) || !hasMap(table_.freeSpacePages)) return;
    const std::vector<uint32_t> owned = readUsageMap(file_, table_.ownedPages).pages;
    const std::vector<uint32_t> withRoom = readUsageMap(file_, table_.freeSpacePages).pages;
    for (auto it = withRoom.rbegin(); it != withRoom.rend(); ++it) {
        if (std::binary_search(owned.begin(), owned.end(), *it) &&
            isDataPageOfTable(file_.page(*it))) {
            currentPage_ = *it;
            return;
        }
    }
}

void TableWriter::deleteAll() {
    // Found through the rows, so before the rows go.
    const std::vector<uint32_t> unmapped = unmappedLongValuePages();
    if (hasMap(table_.ownedPages)) {
        for (uint32_t page : readUsageMap(file_, table_.ownedPages).pages)
            if (isDataPageOfTable(file_.page(page))) releaseDataPage(file_, allocator_, page);
        clearMap(file_, table_.ownedPages);
    }
    if (hasMap(table_.freeSpacePages)) clearMap(file_, table_.freeSpacePages);
    for (LongValueWriter& w : longValues_) {
        if (w.hasMaps())
            w.releaseMappedPages();
        else
            w.forgetCurrentPage();
    }
    for (uint32_t page : unmapped) releaseDataPage(file_, allocator_, page);
    currentPage_ = 0;
    currentKnown_ = true;
    table_.rowCount = 0;
    writeCounts();
}

std::vector<uint32_t> TableWriter::unmappedLongValuePages() {
    std::vector<uint16_t> columns;
    for (const LongValueWriter& w : longValues_)
        if (!w.hasMaps()) columns.push_back(w.column().number);
    if (columns.empty()) return {};
    return pagesHoldingOnly(file_, longValueRowsOf(file_, table_, columns));
}

void TableWriter::writeCounts() {
    const TdefLayout& layout = file_.format().tdef;
    // The counts are written after every row and at every flush, for every table used so far:
    // the page is marked changed only when a word differs, so that no flush journals and
    // writes an unchanged page again.
    const ByteView page = file_.page(table_.firstPage);
    requireCountsOnFirstPage();
    bool changed = page.u32(layout.rowCount) != table_.rowCount ||
                   page.u32(layout.autoNumber) != table_.autoNumber;
    for (size_t i = 0; i < table_.realIndexes.size() && !changed; ++i) {
        const size_t block = layout.blocks + i * layout.realIndexCountBlock;
        changed = page.u32(block + tdef_layout::kStatisticEntries) !=
                      table_.realIndexes[i].statisticEntries ||
                  page.u32(block + tdef_layout::kDistinctKeysInBlock) !=
                      table_.realIndexes[i].distinctKeys;
    }
    if (changed) putCounts(file_.writablePage(table_.firstPage));
}

void TableWriter::requireCountsOnFirstPage() const {
    const TdefLayout& layout = file_.format().tdef;
    // Jet allows 32 indexes, so the count blocks always lie on the first page.
    if (layout.blocks + table_.realIndexes.size() * layout.realIndexCountBlock > file_.pageSize())
        throwCorrupt(table_.firstPage, "zu viele Indizes für die erste Seite der Definition");
}

void TableWriter::putCounts(uint8_t* firstPage) const {
    requireCountsOnFirstPage();
    const TdefLayout& layout = file_.format().tdef;
    putU32(firstPage + layout.rowCount, table_.rowCount);
    putU32(firstPage + layout.autoNumber, table_.autoNumber);
    for (size_t i = 0; i < table_.realIndexes.size(); ++i) {
        uint8_t* block = firstPage + layout.blocks + i * layout.realIndexCountBlock;
        putU32(block + tdef_layout::kStatisticEntries, table_.realIndexes[i].statisticEntries);
        putU32(block + tdef_layout::kDistinctKeysInBlock, table_.realIndexes[i].distinctKeys);
    }
}

}  // namespace jet
