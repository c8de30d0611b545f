// A row on a data page: column count, fixed area, variable area, the variable columns' offset
// table and the null mask at its end; or, for a moved row, a pointer to its new place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet {

namespace row_layout {
inline constexpr size_t kColumnCount = 0;
inline constexpr size_t kFixedArea = 2;
// A moved row leaves a pointer to its new place: u8 row, u24 page.
inline constexpr size_t kLookupRow = 0;
inline constexpr size_t kLookupPage = 1;
inline constexpr size_t kMaxRowSize = 4060;  // Access refuses longer rows
inline constexpr size_t kWordSize = 2;       // column count, end of data, offsets, var count
inline constexpr size_t kLookupSize = 4;     // a moved row's pointer: row (1), page (3)
}  // namespace row_layout

}  // namespace jet
