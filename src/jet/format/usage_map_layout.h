// Usage maps: a row on a data page, either inline (a start page and a bitmap) or by reference
// (pointers to bitmap pages of type 0x05).
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet {

// A reference to a usage-map row: the row number on the page that holds it.
struct MapRef {
    uint8_t row = 0;
    uint32_t page = 0;
    bool operator==(const MapRef&) const = default;
};

namespace usage_map_layout {
inline constexpr uint8_t kInline = 0x00;
inline constexpr uint8_t kReference = 0x01;
inline constexpr size_t kKind = 0;         // u8 kInline or kReference
inline constexpr size_t kInlineStart = 1;  // u32 first page covered
inline constexpr size_t kInlineBitmap = 5;
inline constexpr size_t kReferencePointers = 1;  // u32 per bitmap page
inline constexpr size_t kPointerSize = 4;
inline constexpr uint8_t kBitmapPageType = 0x05;
inline constexpr size_t kBitmapPageHeader = 4;
inline constexpr MapRef kGlobalMap{0, 1};
}  // namespace usage_map_layout

// A new map row's size; stored rows are read at whatever length they have. In the global map
// (kGlobalMap) of both versions a set bit marks a free page.
struct UsageMapLayout {
    size_t rowSize;  // kInlineBitmap + the bitmap
};

inline constexpr UsageMapLayout kJet4UsageMap{69};
inline constexpr UsageMapLayout kJet3UsageMap{133};

}  // namespace jet
