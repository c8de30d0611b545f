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
inline constexpr size_t kMaxInline = 64;
inline constexpr size_t kMaxRowData = 4076;
inline constexpr size_t kMaxChainData = kMaxRowData - kChainHeader;  // 4072
// Smaller values stay in their row, so a page with less room takes no typical value.
inline constexpr size_t kSmallestOutOfRow = kMaxInline + 1;
inline constexpr uint32_t kChain = 0;  // storage bits of a chained value
}  // namespace long_value_layout

}  // namespace jet
