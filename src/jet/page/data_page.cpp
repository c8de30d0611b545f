#include "jet/page/data_page.h"

#include "jet/format/page_layout.h"

namespace jet {

using namespace data_page_layout;

DataPage::DataPage(const Format& format, ByteView page)
    : page_(page), rowOffsets_(format.dataPage.rowOffsets) {
    if (page_.u8(page_layout::kPageType) != kPageType)
        throwCorrupt(page_.page(), "Datenseite erwartet");
    rowCount_ = page_.u16(format.dataPage.rowCount);
    if (rowCount_ > kMaxRowsPerPage ||
        rowOffsets_ + size_t{rowCount_} * kRowOffsetSize > page_.size())
        throwCorrupt(page_.page(), "unmögliche Zeilenzahl " + std::to_string(rowCount_));
}

RowSlot DataPage::slot(uint8_t row) const {
    if (row >= rowCount_)
        throwCorrupt(page_.page(), "Verweis auf die fehlende Zeile " + std::to_string(row));
    uint16_t word = page_.u16(rowOffsets_ + size_t{row} * kRowOffsetSize);
    RowSlot s;
    s.row = row;
    s.start = word & kOffsetMask;
    s.deleted = word & kDeletedFlag;
    s.lookup = word & kLookupFlag;
    // Row i ends where row i-1 starts; row 0 ends at the end of the page.
    s.end = row == 0 ? static_cast<uint16_t>(page_.size())
                     : page_.u16(rowOffsets_ + (size_t{row} - 1) * kRowOffsetSize) & kOffsetMask;
    size_t tableEnd = rowOffsets_ + size_t{rowCount_} * kRowOffsetSize;
    if (s.start < tableEnd || s.end < s.start) {
        // Deleted rows may be left with odd bounds by Access; they carry no data.
        if (s.deleted) {
            s.start = s.end = static_cast<uint16_t>(tableEnd);
            return s;
        }
        throwCorrupt(page_.page(), "ungültige Grenzen der Zeile " + std::to_string(row));
    }
    return s;
}

}  // namespace jet
