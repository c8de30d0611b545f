// Storing long values (Memo, OLE) on long-value pages: data pages owned by "LVAL" whose rows
// hold either a whole value of up to 4076 bytes or one link of a chain (the 4-byte pointer to
// the next link, then up to 4072 bytes of data; the last link points nowhere).
//
// Where the column has its own page maps, as in every Access-made file, a new page goes into
// its owned-pages and free-space maps, and a full page (too little room left for a value that
// leaves its row, 65 bytes, or 255 rows) leaves the free-space map. Values are added to the
// page being filled; a writer starts with the last page of the free-space map.
//
// A column without maps (files of other writers) takes its pages from the allocator and
// records them nowhere, as those writers do: only the rows pointing into the pages say that
// they are in use. Each writer then starts a page of its own; emptying the table finds these
// pages through the rows (see long_value_rows.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "jet/format/long_value_layout.h"
#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"
#include "jet/table/row_encoder.h"
#include "jet/table/table.h"
#include "jet/table/table_definition.h"

namespace jet {

class LongValueWriter {
  public:
    // `column` (a Memo or OLE column) must outlive the writer.
    LongValueWriter(PageFile& file, PageAllocator& allocator, const ColumnDef& column);

    // Stores `data` as one row (SingleRow; REQUIRES at most 4076 bytes) or as a chain
    // (Chain) and returns the row a descriptor points at: the value's row or the chain's
    // first link. REQUIRES: storage is not Inline.
    RowLocation write(std::span<const uint8_t> data, LongValueStorage storage);

    // At most the number of new pages write() takes for a value of `length`, map pages
    // included.
    static size_t pagesNeeded(const Format& format, size_t length, LongValueStorage storage);

    bool hasMaps() const { return owned_.has_value(); }
    const ColumnDef& column() const { return column_; }

    // Gives every long-value page of the column's owned-pages map back to the allocator and
    // clears both maps. REQUIRES: hasMaps().
    void releaseMappedPages();

    // Stops adding to the current page (after its pages were given back).
    void forgetCurrentPage();

  private:
    RowLocation addRow(std::span<const uint8_t> header, std::span<const uint8_t> data);
    uint32_t pageFor(size_t length);
    uint32_t newPage();
    bool isFull(uint32_t page);
    void findCurrentPage();

    PageFile& file_;
    PageAllocator& allocator_;
    const ColumnDef& column_;
    std::optional<MapRef> owned_;
    std::optional<MapRef> free_;
    uint32_t current_ = 0;  // the page being filled; 0 = none
    bool currentKnown_ = false;
};

}  // namespace jet
