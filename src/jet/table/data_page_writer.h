// Adding rows to a data page (table rows and long-value rows alike): the row goes directly
// below the lowest row, its start into the next offset slot, and the free-space field keeps
// page size - header - (bytes of all rows) - 2 * (row count), deleted rows included. A page out of
// slots takes the row into the slot of a deleted row whose bytes were given up (see row_release.h),
// so catalog pages that see rows come and go are used again rather than left full of husks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jet/base/bytes.h"
#include "jet/page/data_page.h"
#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"

namespace jet {

// Each function takes the page of a file of `format`.

// Writes the header of an empty data page owned by `owner` (a TDEF page, or the long-value
// marker). REQUIRES: `page` is a zero-filled page.
void formatDataPage(const Format& format, uint8_t* page, uint32_t owner);

// The bytes a row of `length` takes on its page: the row and its offset slot.
constexpr size_t rowSpace(size_t length) {
    return length + data_page_layout::kRowOffsetSize;
}

// True when a row of `length` bytes can be added to the data page `page`: a new row slot with
// room by the free-space field and between the offset table and the lowest row (a page whose
// last row has a malformed start is never added to), or else an empty deleted slot and room
// for the bytes.
bool rowFits(const Format& format, ByteView page, size_t length);

struct AddedRow {
    uint8_t row = 0;
    uint8_t* bytes = nullptr;  // `length` bytes for the caller to fill
};

// Adds a row of `length` bytes (zero-filled) and returns where to write it; a new slot when one
// fits, else the first empty deleted slot. REQUIRES: rowFits(format, page, length).
AddedRow addRow(const Format& format, uint8_t* page, size_t length);

// Gives a data page (or long-value page) back to the allocator, zeroed first: a page the
// global map cannot mark free (past its window) then stays behind as an unowned zero page,
// which readers skip, rather than as a page that still names its former owner.
void releaseDataPage(PageFile& file, PageAllocator& allocator, uint32_t page);

}  // namespace jet
