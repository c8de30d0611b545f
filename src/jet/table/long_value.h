// Long values (Memo, OLE): a 12-byte descriptor in the row, with the data inline after it, in
// one row of a long-value page, or in a chain of such rows.
#pragma once

#include <cstdint>

#include "jet/base/bytes.h"
#include "jet/base/value.h"
#include "jet/page/page_file.h"

namespace jet {

namespace long_value_layout {
inline constexpr size_t kDescriptorSize = 12;
inline constexpr uint32_t kLengthMask = 0x3FFFFFFF;
// The longest value a writer stores: readers take only the descriptor's low three bytes for
// the length and the fourth for the kind, so a longer one would not read back.
inline constexpr uint32_t kMaxWrittenLength = 0x00FFFFFF;
inline constexpr uint32_t kInline = 0x80000000;
inline constexpr uint32_t kSingleRow = 0x40000000;
inline constexpr size_t kRowPointer = 4;   // u8 row, u24 page
inline constexpr size_t kChainHeader = 4;  // next pointer at the start of each chained row
inline constexpr size_t kMaxInline = 64;
inline constexpr size_t kMaxRowData = 4076;
}  // namespace long_value_layout

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
