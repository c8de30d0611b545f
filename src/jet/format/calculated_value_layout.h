// The stored value of a calculated column (ACE 14 and later, extended flags 0xC0): the
// result's own bytes wrapped in a header and a tail.
//   offset  size
//        0    16  unknown (zeros in the files seen)
//       16     4  u32 length of the result's bytes
//       20     n  the result's bytes, as a column of the result type stores them
//     20+n     3  unknown
// A column whose result has a fixed size is 39 bytes long; a Text result's length counts the
// 23 bytes of overhead. A Yes/No result is a wrapped byte (0 = No), not the null-mask bit.
// A Decimal result has a layout of its own, without the column's precision and scale:
//        0     2  u16 length of the rest (scale, sign and magnitude)
//        2     1  scale
//        3     1  sign (non-zero: negative)
//        4     m  magnitude (m a multiple of 4, at most 16): big-endian words of 8 bytes,
//                 each stored little-endian, after a little-endian word of 4 when m % 8 = 4
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet::calculated_value_layout {

inline constexpr size_t kDataLengthAt = 16;
inline constexpr size_t kDataAt = 20;
inline constexpr size_t kOverhead = 23;
inline constexpr uint16_t kFixedResultLength = 39;

inline constexpr size_t kDecimalLengthAt = 0;
inline constexpr size_t kDecimalScaleAt = 2;
inline constexpr size_t kDecimalSignAt = 3;
inline constexpr size_t kDecimalMagnitudeAt = 4;
inline constexpr size_t kDecimalMaxMagnitude = 16;

}  // namespace jet::calculated_value_layout
