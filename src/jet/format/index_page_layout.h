// Index pages: nodes (0x03) and leaves (0x04) of a B-tree; a header, the entry mask, then the
// prefix-compressed entries.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet {

namespace index_page_layout {
inline constexpr uint8_t kNodePageType = 0x03;
inline constexpr uint8_t kLeafPageType = 0x04;
inline constexpr size_t kFreeSpace = 2;         // u16: bytes after the last entry
inline constexpr size_t kTableDefinition = 4;   // u32: the owning table's TDEF page
inline constexpr size_t kRowPointerSize = 4;    // u24 page, u8 row, big-endian
inline constexpr size_t kChildPointerSize = 4;  // u32 big-endian
// Far more levels than a 2 GB file can fill; deeper trees are loops or garbage.
inline constexpr unsigned kMaxDepth = 32;
inline constexpr uint8_t kNodeMarkerValue = 1;
inline constexpr uint8_t kPageMarker = 0x01;  // byte 1 of every index page
// The largest entry mask of any version: page images are sized for it.
inline constexpr size_t kMaxEntryMaskSize = 453;
}  // namespace index_page_layout

// Jet 3 has no unknown word at 8, so its later fields lie four bytes earlier, and a one-byte
// prefix length.
struct IndexPageLayout {
    size_t unknown8;  // u32, always 0; 0 when the version has none
    size_t prevPage;  // u32: sibling links, 0 = none
    size_t nextPage;
    size_t childTail;     // u32: node pages' last child, 0 = none
    size_t prefixLength;  // u16 on Jet 4, u8 on Jet 3
    size_t prefixLengthSize;
    size_t nodeMarker;  // u8: Access writes 1 on node pages, 0 on leaves
    size_t entryMask;   // bit k set: an entry ends k bytes into the entries
    size_t entryMaskSize;
    size_t entries;
    size_t entryCapacity;  // bytes of entries a page can hold after prefix compression

    // The stored prefix length of `page`.
    size_t prefixOf(const uint8_t* page) const {
        return prefixLengthSize == 1
                   ? page[prefixLength]
                   : size_t{page[prefixLength]} | size_t{page[prefixLength + 1]} << 8;
    }
    void putPrefix(uint8_t* page, size_t prefix) const {
        page[prefixLength] = static_cast<uint8_t>(prefix);
        if (prefixLengthSize == 2) page[prefixLength + 1] = static_cast<uint8_t>(prefix >> 8);
    }
    // The longest prefix the field holds.
    size_t maxPrefix() const { return prefixLengthSize == 1 ? 0xFF : 0xFFFF; }

    // Longest key the writer accepts: a node entry of this key takes a quarter of a page, so
    // a page that overflows by one entry always splits into two that fit.
    size_t maxKeySize() const {
        return entryCapacity / 4 - index_page_layout::kRowPointerSize -
               index_page_layout::kChildPointerSize;
    }
};

inline constexpr IndexPageLayout kJet4IndexPage{8, 12, 16, 20, 24, 2, 26, 27, 453, 480, 4096 - 480};
inline constexpr IndexPageLayout kJet3IndexPage{0, 8, 12, 16, 20, 1, 21, 22, 226, 248, 2048 - 248};
static_assert(kJet4IndexPage.entryCapacity <= kJet4IndexPage.entryMaskSize * 8);
static_assert(kJet3IndexPage.entryCapacity <= kJet3IndexPage.entryMaskSize * 8);

}  // namespace jet
