// The bytes every index key piece starts with, whatever the column's type.
#pragma once

#include <cstdint>

namespace jet::index_key_format {

inline constexpr uint8_t kStartAscending = 0x7F;
inline constexpr uint8_t kStartDescending = 0x80;
// A NULL piece is this single byte.
inline constexpr uint8_t kNullAscending = 0x00;
inline constexpr uint8_t kNullDescending = 0xFF;

inline constexpr uint8_t startByte(bool ascending) {
    return ascending ? kStartAscending : kStartDescending;
}
inline constexpr uint8_t nullByte(bool ascending) {
    return ascending ? kNullAscending : kNullDescending;
}

}  // namespace jet::index_key_format
