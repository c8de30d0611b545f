// Changing rows already on a data page: flags, and new bytes for one row. A row that changes
// size cannot stay where it was (row i ends where row i-1 starts, and a row's trailer lies at
// its end), so the page's rows are packed again from the end of the page downward; every row
// keeps its slot, its flags and its bytes, deleted rows included, so that the free-space field
// keeps counting them as Access does.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "jet/base/bytes.h"
#include "jet/format/format.h"
#include "jet/page/data_page.h"
#include "jet/table/table.h"

namespace jet {

// Each function takes the page of a file of `format`.

// Sets `flags` in the offset word of `row`. REQUIRES: the row exists.
void setRowFlags(const Format& format, uint8_t* page, uint8_t row, uint16_t flags);

// True when the page has room for `row` to hold `length` bytes instead of its present ones.
bool replacementFits(const Format& format, ByteView page, uint8_t row, size_t length);

// Gives `row` the bytes `bytes` and exactly the flags `flags`, packing the page's rows again
// and setting the free-space field. `scratch` is reused. REQUIRES:
// replacementFits(format, page, row, bytes.size()).
void replaceRow(const Format& format, uint8_t* page, uint8_t row, std::span<const uint8_t> bytes,
                uint16_t flags, std::vector<uint8_t>& scratch);

// The 4 bytes of a moved row's pointer to `target`.
void putLookup(uint8_t* out, RowLocation target);

}  // namespace jet
