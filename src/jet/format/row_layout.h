// A row on a data page: column count, fixed area, variable area, the variable columns' offset
// table and the null mask at its end; or, for a moved row, a pointer to its new place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet {

namespace row_layout {
inline constexpr size_t kColumnCount = 0;
// A moved row leaves a pointer to its new place: u8 row, u24 page.
inline constexpr size_t kLookupRow = 0;
inline constexpr size_t kLookupPage = 1;
inline constexpr size_t kLookupSize = 4;  // a moved row's pointer: row (1), page (3)
}  // namespace row_layout

// Jet 4 stores the column count, the end of data, the variable offsets and the variable count
// as u16; Jet 3 as single bytes, with a jump table saying where the offsets pass each 256.
struct RowLayout {
    size_t wordSize;    // bytes of the column count, end of data, offsets and var count
    size_t fixedArea;   // where the fixed columns start
    size_t maxRowSize;  // Access refuses longer rows
    bool jumpTable;
};

inline constexpr RowLayout kJet4Row{2, 2, 4060, false};
inline constexpr RowLayout kJet3Row{1, 1, 2012, true};

}  // namespace jet
