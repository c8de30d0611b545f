// Long values (Memo, OLE): a 12-byte descriptor in the row, with the data inline after it, in
// one row of a long-value page, or in a chain of such rows.
#pragma once

#include <cstdint>

#include "jet/base/bytes.h"
#include "jet/base/value.h"
#include "jet/format/long_value_layout.h"
#include "jet/page/page_file.h"

namespace jet {

// The stored bytes of the long value whose descriptor (with any inline data) is `field`.
// Throws when the descriptor or the rows it names are malformed.
Bytes readLongValue(PageFile& file, ByteView field);

// Where a long value lives, for the structural check.
struct LongValueRef {
    uint32_t length = 0;
    uint32_t storage = 0;  // kInline, kSingleRow or 0 (chain)
    uint8_t row = 0;
    uint32_t page = 0;
};
LongValueRef parseLongValueRef(ByteView field);

}  // namespace jet
