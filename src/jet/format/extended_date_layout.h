// An extended Date/Time field (ACE 17, column type 0x14): 42 bytes of ASCII.
//   offset  size
//        0    19  days since 0001-01-01, decimal, zero-padded
//       19     1  ':'
//       20    12  seconds of the day
//       32     7  100-ns units of the second
//       39     3  ':' '7' 0x00 (the 7 is the number of fraction digits)
// Its index key piece: the 42 bytes in five blocks of 8, each followed by a separator byte,
// then the last 2 bytes and a trailer. Descending inverts the data and the trailer but not
// the separators.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet::extended_date_layout {

inline constexpr size_t kSize = 42;
inline constexpr size_t kDaysAt = 0;
inline constexpr size_t kDaysDigits = 19;
inline constexpr size_t kDaysSeparatorAt = 19;
inline constexpr size_t kSecondsAt = 20;
inline constexpr size_t kSecondsDigits = 12;
inline constexpr size_t kTicksAt = 32;
inline constexpr size_t kTicksDigits = 7;
inline constexpr size_t kTrailerAt = 39;
inline constexpr uint8_t kSeparator = ':';
inline constexpr uint8_t kTrailer[] = {':', '7', 0x00};

inline constexpr size_t kKeyBlockSize = 8;
inline constexpr size_t kKeyBlocks = 5;  // the 2 bytes after them go without a separator
inline constexpr uint8_t kKeyBlockSeparator = 0x09;
inline constexpr uint8_t kKeyAscendingTrailer[] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02};

}  // namespace jet::extended_date_layout
