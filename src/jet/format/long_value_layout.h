// Long values (memo, OLE): the 12-byte descriptor in the row, and the long-value rows (inline,
// one row, or a chain of rows on LVAL pages) it points to.
#pragma once

#include <cstddef>
#include <cstdint>

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
inline constexpr size_t kNextRow = 0;      // u8, in the chain header
inline constexpr size_t kNextPage = 1;     // u24, 0 in the last link
inline constexpr uint32_t kChain = 0;      // storage bits of a chained value
}  // namespace long_value_layout

struct LongValueLayout {
    size_t maxInline;   // longer values go to LVAL rows
    size_t maxRowData;  // the most one LVAL row holds: a page's room for a single row
    size_t maxChainData() const { return maxRowData - long_value_layout::kChainHeader; }
    // Smaller values stay in their row, so a page with less room takes no typical value.
    size_t smallestOutOfRow() const { return maxInline + 1; }
};

// Access 97 keeps values up to 32 bytes in the row; readers take either limit.
inline constexpr LongValueLayout kJet4LongValue{64, 4076};
inline constexpr LongValueLayout kJet3LongValue{32, 2036};

}  // namespace jet
