// The table definition (TDEF) as stored: a chain of pages of type 0x02 whose bytes, after each
// continuation page's header, form one definition. Offsets are into those joined bytes.
//
//   header (kBlocks bytes)                   counts, the table's usage maps
//   real index count blocks                  12 bytes per real index
//   column blocks                            25 bytes per column
//   column names                             u16 length + UCS-2, per column
//   real index blocks                        52 bytes per real index
//   logical index blocks                     28 bytes per logical index
//   logical index names                      u16 length + UCS-2, per logical index
//   long-value column maps                   u16 column number + two map refs, up to FF FF
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet::tdef_layout {

inline constexpr uint8_t kPageType = 0x02;
inline constexpr size_t kPageMarker = 1;  // u8 kPageMarkerValue, on every TDEF page
inline constexpr uint8_t kPageMarkerValue = 0x01;
inline constexpr size_t kFreeSpaceField = 2;  // u16, on every TDEF page
inline constexpr size_t kNextPage = 4;        // u32, 0 on the last page
inline constexpr size_t kLength = 8;          // u32, the joined definition's length
inline constexpr size_t kMagic = 12;
inline constexpr uint32_t kMagicValue = 1625;
inline constexpr size_t kRowCount = 16;
inline constexpr size_t kAutoNumber = 20;
// Bytes 24..39, which the reader does not model: byte 24 is 1 in every file, the rest varies
// between Access-made tables and means nothing known. A rewrite keeps the stored ones.
inline constexpr size_t kHeaderUnknownAt = 24;
inline constexpr size_t kHeaderUnknownSize = 16;
inline constexpr uint8_t kHeaderUnknownFirstValue = 0x01;
inline constexpr size_t kTableType = 40;
inline constexpr size_t kMaxColumns = 41;
inline constexpr size_t kVarColumns = 43;
inline constexpr size_t kColumnCount = 45;
inline constexpr size_t kLogicalIndexCount = 47;
inline constexpr size_t kRealIndexCount = 51;
inline constexpr size_t kOwnedPagesMap = 55;  // map ref: u8 row, u24 page
inline constexpr size_t kFreeSpaceMap = 59;
inline constexpr size_t kBlocks = 63;             // the end of the header
inline constexpr size_t kContinuationHeader = 8;  // skipped on every page after the first
// Access keeps this many bytes of every TDEF page unused beyond the definition.
inline constexpr size_t kPageReserve = 8;

inline constexpr size_t kMapRefSize = 4;
inline constexpr size_t kMapRefRow = 0;
inline constexpr size_t kMapRefPage = 1;  // u24

// Per real index, before the columns: statistics and the distinct-key count.
inline constexpr size_t kRealIndexCountBlock = 12;
inline constexpr size_t kStatisticEntries = 0;
inline constexpr size_t kDistinctKeysInBlock = 4;

namespace column_block {
inline constexpr size_t kBlockSize = 25;
inline constexpr size_t kType = 0;
inline constexpr size_t kMagic = 1;  // u32 kMagicValue
inline constexpr size_t kNumber = 5;
inline constexpr size_t kVarIndex = 7;
inline constexpr size_t kDisplayIndex = 9;
inline constexpr size_t kPrecision = 11;  // Decimal columns
inline constexpr size_t kScale = 12;
inline constexpr size_t kSortLcid = 11;  // the other columns
inline constexpr size_t kSortVersion = 14;
inline constexpr size_t kFlags = 15;
inline constexpr size_t kExtFlags = 16;
inline constexpr size_t kFixedOffset = 21;
inline constexpr size_t kLength = 23;
}  // namespace column_block

namespace real_index_block {
inline constexpr size_t kBlockSize = 52;
inline constexpr size_t kMagic = 0;
inline constexpr uint32_t kMagicValue = 1923;
inline constexpr size_t kColumnSlots = 4;  // kSlotCount slots of u16 column, u8 order
inline constexpr size_t kSlotCount = 10;
inline constexpr size_t kSlotSize = 3;
inline constexpr size_t kSlotColumn = 0;
inline constexpr size_t kSlotOrder = 2;  // bit 0: ascending
inline constexpr uint16_t kUnusedSlot = 0xFFFF;
inline constexpr size_t kUsageMap = kColumnSlots + kSlotCount * kSlotSize;  // map ref
inline constexpr size_t kRootPage = kUsageMap + kMapRefSize;
inline constexpr size_t kUnknownWord = kRootPage + 4;
inline constexpr size_t kFlags = kUnknownWord + 4;
}  // namespace real_index_block

namespace logical_index_block {
inline constexpr size_t kBlockSize = 28;
inline constexpr size_t kMagic = 0;  // u32 kMagicValue
inline constexpr size_t kNumber = 4;
inline constexpr size_t kRealIndex = 8;
inline constexpr size_t kForeignKeyRole = 12;
inline constexpr size_t kOtherIndex = 13;
inline constexpr size_t kOtherTablePage = 17;
inline constexpr size_t kUpdateAction = 21;
inline constexpr size_t kDeleteAction = 22;
inline constexpr size_t kKind = 23;
}  // namespace logical_index_block

// A long-value column's own maps, after the logical index names.
namespace column_maps {
inline constexpr uint16_t kEnd = 0xFFFF;
inline constexpr size_t kColumnNumber = 0;
inline constexpr size_t kOwnedPages = 2;
inline constexpr size_t kFreeSpace = 6;
inline constexpr size_t kSize = 10;
}  // namespace column_maps

}  // namespace jet::tdef_layout
