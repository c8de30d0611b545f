// Usage maps: a row on a data page, either inline (a start page and a bitmap) or by reference
// (pointers to bitmap pages of type 0x05).
#pragma once

#include <cstddef>
#include <cstdint>

#include "jet/format/page_size.h"

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
inline constexpr size_t kInlineStart = 1;  // u32 first page covered
inline constexpr size_t kInlineBitmap = 5;
inline constexpr size_t kReferencePointers = 1;
inline constexpr uint8_t kBitmapPageType = 0x05;
inline constexpr size_t kBitmapPageHeader = 4;
inline constexpr uint32_t kPagesPerBitmapPage = (kPageSize - kBitmapPageHeader) * 8;
inline constexpr MapRef kGlobalMap{0, 1};
}  // namespace usage_map_layout

}  // namespace jet
