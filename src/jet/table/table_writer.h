// Storing rows in a table's data pages, and emptying a table.
//
// A row goes to the page being filled: at first the last page of the table's free-space map
// (Access and other writers fill the most recent page), later the page this writer added
// last. When the row does not fit there, a new data page is taken from the allocator and
// entered into the owned-pages and free-space maps. A page is full when not even the table's
// smallest row (every field NULL) fits any more, or it holds 255 rows; a full page leaves the
// free-space map at once, so that the map on disk is right after every row. Long values are
// written before their row, to long-value pages recorded in the column's own maps where the
// table has them (see long_value_writer.h).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "jet/base/value.h"
#include "jet/page/data_page.h"
#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"
#include "jet/table/long_value_writer.h"
#include "jet/table/row_encoder.h"
#include "jet/table/table.h"
#include "jet/table/table_definition.h"

namespace jet {

// At most the new pages storing a row of these values takes: a data page with its map pages,
// and every text and binary value counted as a long-value chain (the columns are not looked
// at). For checks made before a change writes anything.
size_t pagesForRow(const Format& format, std::span<const Value> valuesByNumber);

// Throws DatabaseFull when `pages` new pages would take the file past its limit. Free pages
// inside the file are not counted, so the refusal may come a few pages early.
void requireRoomInFile(const PageFile& file, size_t pages);

class TableWriter {
  public:
    // `table` must outlive the writer; its counts are changed through this writer only, and
    // its columns not at all while the writer lives. Throws Error NotSupported for a table
    // whose rows this engine does not change (see table_write_refusal.h).
    TableWriter(PageFile& file, PageAllocator& allocator, TableDefinition& table);

    // Encodes and stores a row. `valuesByNumber[n]` is column number n's value, already of the
    // column's own type (NULL allowed; Memo as text, OLE as bytes); positions past the end are
    // NULL. Long values are written first. A value for a Long AutoNumber column above the
    // table's counter moves the counter there, so that Access does not hand it out again.
    // Updates the row count and writes the counts (writeCounts()).
    // Throws Error when the row cannot be stored: values that do not fit their columns, a row
    // too large for a page (RecordTooLarge), the file at Jet's 2 GB limit (DatabaseFull, raised
    // a few pages early: the pages the row may need are counted as new ones); then nothing of
    // it is stored. Errors reading or writing pages may leave long values written for it
    // behind, unreferenced.
    RowLocation insert(std::span<const Value> valuesByNumber);

    // Deletes the row whose id is `where` as Access does: both flags (0xC000) in its offset
    // word, its bytes left in place; a moved row loses its pointer slot and its new place
    // alike. The page's free space does not change (deleted rows still count), so neither does
    // its place in the free-space map. The row's long values stay behind unreferenced. Updates
    // and writes the row count. Throws Error when there is no live row at `where`.
    void deleteRow(RowLocation where);

    // Replaces the values of the row whose id is `where`; the id stays. The new row goes where
    // the row's bytes are now (its new place, when it was moved) when that page has room, its
    // rows packed again; else it is stored elsewhere, flagged 0x8000, and the row's own slot
    // becomes a 4-byte pointer to it (0x4000), a former new place being deleted. A page that
    // gained room returns to the free-space map. Long values are written anew; the old ones
    // stay behind unreferenced. Throws like insert(), and when there is no live row at `where`.
    void updateRow(RowLocation where, std::span<const Value> valuesByNumber);

    // Deletes every row: data and long-value pages go back to the allocator, the owned,
    // free-space and column maps are cleared, the row count becomes 0 and is written. The
    // AutoNumber counter stays. Long-value pages of columns without maps are found through the
    // rows and given back when nothing else lies on them. Indexes, and their distinct-key
    // counts, are emptied by their IndexWriter.
    void deleteAll();

    // Writes the table definition's row count, AutoNumber counter and distinct-key counts
    // (from `table`) into its first TDEF page.
    void writeCounts();

  private:
    void requireCountsOnFirstPage() const;
    void putCounts(uint8_t* firstPage) const;  // writeCounts() without comparing first
    void storeLongValues();
    void requireRoomInFile() const;
    LongValueWriter& longValueWriter(uint16_t columnNumber);
    void noteAutoNumber(std::span<const Value> valuesByNumber);
    uint32_t pageFor(size_t length);
    uint32_t newDataPage();
    bool isDataPageOfTable(ByteView page) const;
    bool isFull(uint32_t page);
    void findCurrentPage();
    std::vector<uint32_t> unmappedLongValuePages();
    RowSlot liveSlot(RowLocation where, RowLocation& place);
    void moveRow(RowLocation where, const RowSlot& header, RowLocation place);
    void noteRoom(uint32_t page);

    PageFile& file_;
    PageAllocator& allocator_;
    TableDefinition& table_;
    RowEncoder encoder_;
    std::vector<LongValueWriter> longValues_;  // one per Memo or OLE column
    uint32_t currentPage_ = 0;                 // the page being filled; 0 = none
    bool currentKnown_ = false;
    std::vector<uint8_t> pageScratch_;  // reused when a page's rows are packed again
};

}  // namespace jet
