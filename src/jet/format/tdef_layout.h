// The table definition (TDEF) as stored: a chain of pages of type 0x02 whose bytes, after each
// continuation page's header, form one definition. Offsets are into those joined bytes.
//
//   header                                   counts, the table's usage maps
//   real index count blocks                  per real index: statistics
//   column blocks                            per column
//   column names                             length + name text, per column
//   real index blocks                        per real index
//   logical index blocks                     per logical index
//   logical index names                      length + name text, per logical index
//   long-value column maps                   u16 column number + two map refs, up to FF FF
//
// Jet 3 and Jet 4 share that order but not the blocks' sizes: Jet 3 has no magic numbers, a
// shorter header and column block, and one-byte name lengths before code-page names.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet {

namespace tdef_layout {
inline constexpr uint8_t kPageType = 0x02;
inline constexpr uint8_t kPageMarkerValue = 0x01;  // byte 1 of every TDEF page
inline constexpr size_t kNextPage = 4;             // u32, 0 on the last page
inline constexpr size_t kLength = 8;               // u32, the joined definition's length
inline constexpr uint32_t kMagicValue = 1625;
inline constexpr uint8_t kHeaderUnknownFirstValue = 0x01;
inline constexpr size_t kContinuationHeader = 8;  // skipped on every page after the first
// Access keeps this many bytes of every TDEF page unused beyond the definition.
inline constexpr size_t kPageReserve = 8;
// A field the version does not have.
inline constexpr size_t kAbsent = SIZE_MAX;
// What Jet 3 writes at TdefLayout::signature of every TDEF page: "VC".
inline constexpr uint16_t kSignatureValue = 0x4356;
// What Access 97 writes in TdefColumnBlock::unknownWord of a column in most files (some
// hold 0); its meaning is not known.
inline constexpr uint16_t kColumnUnknownWordValue = 1;

inline constexpr size_t kMapRefSize = 4;
inline constexpr size_t kMapRefRow = 0;
inline constexpr size_t kMapRefPage = 1;  // u24

// Per real index, before the columns: statistics and the distinct-key count.
inline constexpr size_t kStatisticEntries = 0;
inline constexpr size_t kDistinctKeysInBlock = 4;

namespace real_index_block {
inline constexpr uint32_t kMagicValue = 1923;
inline constexpr size_t kSlotCount = 10;  // u16 column, u8 order each
inline constexpr size_t kSlotSize = 3;
inline constexpr size_t kSlotColumn = 0;
inline constexpr size_t kSlotOrder = 2;  // bit 0: ascending
inline constexpr uint16_t kUnusedSlot = 0xFFFF;
}  // namespace real_index_block

// A long-value column's own maps, after the logical index names.
namespace column_maps {
inline constexpr uint16_t kEnd = 0xFFFF;
inline constexpr size_t kColumnNumber = 0;
inline constexpr size_t kOwnedPages = 2;
inline constexpr size_t kFreeSpace = 6;
inline constexpr size_t kSize = 10;
}  // namespace column_maps
}  // namespace tdef_layout

struct TdefColumnBlock {
    size_t blockSize;
    size_t type;
    size_t magic;  // u32 tdef_layout::kMagicValue
    size_t number;
    size_t varIndex;
    size_t displayIndex;
    size_t precision;  // Decimal columns
    size_t scale;
    size_t sortLcid;  // the other columns
    size_t sortVersion;
    size_t codePage;
    size_t flags;
    size_t extFlags;
    size_t fixedOffset;
    size_t length;
    size_t unknownWord;  // u16, kept as read
};

struct TdefRealIndexBlock {
    size_t blockSize;
    size_t magic;        // u32 real_index_block::kMagicValue
    size_t columnSlots;  // kSlotCount slots
    size_t usageMap;     // map ref
    size_t rootPage;
    size_t unknownWord;
    size_t flags;
};

struct TdefLogicalIndexBlock {
    size_t blockSize;
    size_t magic;  // u32 tdef_layout::kMagicValue
    size_t number;
    size_t realIndex;
    size_t foreignKeyRole;
    size_t otherIndex;
    size_t otherTablePage;
    size_t updateAction;
    size_t deleteAction;
    size_t kind;
};

struct TdefLayout {
    size_t freeSpaceField;  // u16 on every TDEF page
    size_t signature;       // u16 kSignatureValue on every TDEF page, where Jet 3 has no free space
    size_t magic;
    size_t rowCount;
    size_t autoNumber;
    // Bytes the reader does not model: byte 0 of them is 1 in every file, the rest varies
    // between Access-made tables and means nothing known. A rewrite keeps the stored ones.
    size_t headerUnknownAt;
    size_t headerUnknownSize;
    size_t tableType;
    size_t maxColumns;
    size_t varColumns;
    size_t columnCount;
    size_t logicalIndexCount;
    size_t realIndexCount;
    size_t ownedPagesMap;  // map ref: u8 row, u24 page
    size_t freeSpaceMap;
    size_t blocks;  // the end of the header
    size_t realIndexCountBlock;
    size_t nameLengthSize;  // u16 before UCS-2 names, u8 before code-page names
    TdefColumnBlock column;
    TdefRealIndexBlock realIndex;
    TdefLogicalIndexBlock logicalIndex;
};

namespace tdef_detail {
using tdef_layout::kAbsent;
inline constexpr size_t kJet4RealIndexSlots = 4;
inline constexpr size_t kJet4RealIndexMap =
    kJet4RealIndexSlots +
    tdef_layout::real_index_block::kSlotCount * tdef_layout::real_index_block::kSlotSize;
inline constexpr size_t kJet3RealIndexMap =
    tdef_layout::real_index_block::kSlotCount * tdef_layout::real_index_block::kSlotSize;
}  // namespace tdef_detail

inline constexpr TdefLayout kJet4Tdef{
    .freeSpaceField = 2,
    .signature = tdef_detail::kAbsent,
    .magic = 12,
    .rowCount = 16,
    .autoNumber = 20,
    .headerUnknownAt = 24,
    .headerUnknownSize = 16,
    .tableType = 40,
    .maxColumns = 41,
    .varColumns = 43,
    .columnCount = 45,
    .logicalIndexCount = 47,
    .realIndexCount = 51,
    .ownedPagesMap = 55,
    .freeSpaceMap = 59,
    .blocks = 63,
    .realIndexCountBlock = 12,
    .nameLengthSize = 2,
    .column = {.blockSize = 25,
               .type = 0,
               .magic = 1,
               .number = 5,
               .varIndex = 7,
               .displayIndex = 9,
               .precision = 11,
               .scale = 12,
               .sortLcid = 11,
               .sortVersion = 14,
               .codePage = tdef_detail::kAbsent,
               .flags = 15,
               .extFlags = 16,
               .fixedOffset = 21,
               .length = 23,
               .unknownWord = tdef_detail::kAbsent},
    .realIndex = {.blockSize = 52,
                  .magic = 0,
                  .columnSlots = tdef_detail::kJet4RealIndexSlots,
                  .usageMap = tdef_detail::kJet4RealIndexMap,
                  .rootPage = tdef_detail::kJet4RealIndexMap + 4,
                  .unknownWord = tdef_detail::kJet4RealIndexMap + 8,
                  .flags = tdef_detail::kJet4RealIndexMap + 12},
    .logicalIndex = {.blockSize = 28,
                     .magic = 0,
                     .number = 4,
                     .realIndex = 8,
                     .foreignKeyRole = 12,
                     .otherIndex = 13,
                     .otherTablePage = 17,
                     .updateAction = 21,
                     .deleteAction = 22,
                     .kind = 23},
};

inline constexpr TdefLayout kJet3Tdef{
    .freeSpaceField = tdef_detail::kAbsent,
    .signature = 2,
    .magic = tdef_detail::kAbsent,
    .rowCount = 12,
    .autoNumber = 16,
    .headerUnknownAt = tdef_detail::kAbsent,
    .headerUnknownSize = 0,
    .tableType = 20,
    .maxColumns = 21,
    .varColumns = 23,
    .columnCount = 25,
    .logicalIndexCount = 27,
    .realIndexCount = 31,
    .ownedPagesMap = 35,
    .freeSpaceMap = 39,
    .blocks = 43,
    .realIndexCountBlock = 8,
    .nameLengthSize = 1,
    .column = {.blockSize = 18,
               .type = 0,
               .magic = tdef_detail::kAbsent,
               .number = 1,
               .varIndex = 3,
               .displayIndex = 5,
               .precision = tdef_detail::kAbsent,
               .scale = tdef_detail::kAbsent,
               .sortLcid = 9,
               .sortVersion = tdef_detail::kAbsent,
               .codePage = 11,
               .flags = 13,
               .extFlags = tdef_detail::kAbsent,
               .fixedOffset = 14,
               .length = 16,
               .unknownWord = 7},
    .realIndex = {.blockSize = 39,
                  .magic = tdef_detail::kAbsent,
                  .columnSlots = 0,
                  .usageMap = tdef_detail::kJet3RealIndexMap,
                  .rootPage = tdef_detail::kJet3RealIndexMap + 4,
                  .unknownWord = tdef_detail::kAbsent,
                  .flags = tdef_detail::kJet3RealIndexMap + 8},
    .logicalIndex = {.blockSize = 20,
                     .magic = tdef_detail::kAbsent,
                     .number = 0,
                     .realIndex = 4,
                     .foreignKeyRole = 8,
                     .otherIndex = 9,
                     .otherTablePage = 13,
                     .updateAction = 17,
                     .deleteAction = 18,
                     .kind = 19},
};

}  // namespace jet
