// Index pages: nodes (0x03) and leaves (0x04) of a B-tree; a header, the entry mask, then the
// prefix-compressed entries.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jet/format/page_size.h"

namespace jet {

namespace index_page_layout {
inline constexpr uint8_t kNodePageType = 0x03;
inline constexpr uint8_t kLeafPageType = 0x04;
inline constexpr size_t kFreeSpace = 2;        // u16: bytes after the last entry
inline constexpr size_t kTableDefinition = 4;  // u32: the owning table's TDEF page
inline constexpr size_t kPrevPage = 12;        // u32: sibling links, 0 = none
inline constexpr size_t kNextPage = 16;
inline constexpr size_t kChildTail = 20;     // u32: node pages' last child, 0 = none
inline constexpr size_t kPrefixLength = 24;  // u16
inline constexpr size_t kEntryMask = 27;     // bit k set: an entry ends k bytes into the entries
inline constexpr size_t kEntryMaskSize = 453;
inline constexpr size_t kEntries = 480;
inline constexpr size_t kRowPointerSize = 4;    // u24 page, u8 row, big-endian
inline constexpr size_t kChildPointerSize = 4;  // u32 big-endian
// Far more levels than a 2 GB file can fill; deeper trees are loops or garbage.
inline constexpr unsigned kMaxDepth = 32;
inline constexpr size_t kUnknown8 = 8;     // u32, always 0
inline constexpr size_t kNodeMarker = 26;  // u8: Access writes 1 on node pages, 0 on leaves
inline constexpr uint8_t kNodeMarkerValue = 1;
inline constexpr uint8_t kPageMarker = 0x01;  // byte 1 of every index page
// Bytes of entries a page can hold after prefix compression.
inline constexpr size_t kEntryCapacity = kPageSize - kEntries;
static_assert(kEntryCapacity <= kEntryMaskSize * 8, "the entry mask must reach every entry end");
// Longest key the writer accepts: a node entry of this key takes a quarter of a page, so a
// page that overflows by one entry always splits into two that fit.
inline constexpr size_t kMaxKeySize = kEntryCapacity / 4 - kRowPointerSize - kChildPointerSize;
}  // namespace index_page_layout

}  // namespace jet
