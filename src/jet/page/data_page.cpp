#include "jet/page/data_page.h"

namespace jet {

using namespace data_page_layout;

DataPage::DataPage(ByteView page) : page_(page) {
    if (page_.u8(0) != kPageType) throwCorrupt(page_.page(), "Datenseite erwartet");
    rowCount_ = page_.u16(kRowCount);
    if (rowCount_ > kMaxRowsPerPage || kRowOffsets + size_t{rowCount_} * 2 > page_.size())
        throwCorrupt(page_.page(), "unmögliche Zeilenzahl " + std::to_string(rowCount_));
}

RowSlot DataPage::slot(uint8_t row) const {
    if (row >= rowCount_)
        throwCorrupt(page_.page(), "Verweis auf die fehlende Zeile " + std::to_string(row));
    uint16_t word = page_.u16(kRowOffsets + size_t{row} * 2);
    RowSlot s;
    s.row = row;
    s.start = word & kOffsetMask;
    s.deleted = word & kDeletedFlag;
    s.lookup = word & kLookupFlag;
    // Row i ends where row i-1 starts; row 0 ends at the end of the page.
    s.end = row == 0 ? static_cast<uint16_t>(kPageSize)
                     : page_.u16(kRowOffsets + (size_t{row} - 1) * 2) & kOffsetMask;
    size_t tableEnd = kRowOffsets + size_t{rowCount_} * 2;
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
