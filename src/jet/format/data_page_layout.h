// A data page (type 0x01): its header, and the row offset table growing from its start while
// the rows fill it from its end. Row i ends where row i-1 starts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet {

namespace data_page_layout {
inline constexpr uint8_t kPageType = 0x01;
inline constexpr size_t kFreeSpace = 2;
inline constexpr size_t kOwner = 4;  // TDEF page, "LVAL" on long-value pages
inline constexpr size_t kRowOffsetSize = 2;
inline constexpr uint8_t kHeaderMarker = 0x01;  // byte 1 of every data page
inline constexpr uint16_t kOffsetMask = 0x1FFF;
inline constexpr uint16_t kDeletedFlag = 0x8000;
inline constexpr uint16_t kLookupFlag = 0x4000;          // the row holds a pointer to the moved row
inline constexpr uint32_t kLongValueOwner = 0x4C41564C;  // "LVAL"
inline constexpr size_t kMaxRowsPerPage = 255;
}  // namespace data_page_layout

// Jet 4 has four more header bytes (always zero) before the row count.
struct DataPageLayout {
    size_t rowCount;    // u16
    size_t rowOffsets;  // u16 per row
};

inline constexpr DataPageLayout kJet4DataPage{12, 14};
inline constexpr DataPageLayout kJet3DataPage{8, 10};

}  // namespace jet
