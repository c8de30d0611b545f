// What every page of every format begins with: its type byte and a marker byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet::page_layout {
inline constexpr size_t kPageType = 0;  // u8: 0x01 data, 0x02 TDEF, 0x03/0x04 index, 0x05 bitmap
inline constexpr size_t kMarker = 1;    // u8: 0x01 on the pages that carry one
}  // namespace jet::page_layout
