#include "jet/table/data_page_writer.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "jet/format/page_layout.h"
#include "jet/table/data_page_rewrite.h"

namespace jet {

using namespace data_page_layout;

namespace {

// Where the next row ends: at the start of the last row, or at the end of an empty page.
size_t nextRowEnd(const Format& format, ByteView page, uint16_t rows) {
    if (rows == 0) return format.pageSize;
    return page.u16(format.dataPage.rowOffsets + (size_t{rows} - 1) * kRowOffsetSize) & kOffsetMask;
}

bool newSlotFits(const Format& format, ByteView page, size_t length) {
    const uint16_t rows = page.u16(format.dataPage.rowCount);
    if (rows >= kMaxRowsPerPage || page.u16(kFreeSpace) < rowSpace(length)) return false;
    const size_t end = nextRowEnd(format, page, rows);
    const size_t tableEnd = format.dataPage.rowOffsets + (size_t{rows} + 1) * kRowOffsetSize;
    return end >= length && end - length >= tableEnd;
}

// A deleted row that holds no bytes any more: nothing refers to it, so its slot may carry a
// new row.
std::optional<uint8_t> emptySlot(const Format& format, ByteView page) {
    const uint16_t rows = std::min<uint16_t>(page.u16(format.dataPage.rowCount), kMaxRowsPerPage);
    size_t end = format.pageSize;
    for (uint16_t r = 0; r < rows; ++r) {
        const uint16_t word = page.u16(format.dataPage.rowOffsets + size_t{r} * kRowOffsetSize);
        const size_t start = word & kOffsetMask;
        if ((word & kDeletedFlag) && start == end) return static_cast<uint8_t>(r);
        end = start;
    }
    return std::nullopt;
}

}  // namespace

void formatDataPage(const Format& format, uint8_t* page, uint32_t owner) {
    page[page_layout::kPageType] = kPageType;
    page[page_layout::kMarker] = kHeaderMarker;
    putU16(page + kFreeSpace, format.emptyDataPageSpace());
    putU32(page + kOwner, owner);
}

bool rowFits(const Format& format, ByteView page, size_t length) {
    if (newSlotFits(format, page, length)) return true;
    if (page.u16(kFreeSpace) < length) return false;
    std::optional<uint8_t> slot = emptySlot(format, page);
    return slot && replacementFits(format, page, *slot, length);
}

AddedRow addRow(const Format& format, uint8_t* page, size_t length) {
    ByteView view({page, format.pageSize}, 0);
    if (!newSlotFits(format, view, length)) {
        const uint8_t slot = emptySlot(format, view).value();
        std::vector<uint8_t> zeros(length), scratch;
        replaceRow(format, page, slot, zeros, 0, scratch);
        return AddedRow{slot, page + DataPage(format, view).slot(slot).start};
    }
    const uint16_t rows = view.u16(format.dataPage.rowCount);
    const auto start = static_cast<uint16_t>(nextRowEnd(format, view, rows) - length);
    putU16(page + format.dataPage.rowOffsets + size_t{rows} * kRowOffsetSize, start);
    putU16(page + format.dataPage.rowCount, static_cast<uint16_t>(rows + 1));
    putU16(page + kFreeSpace, static_cast<uint16_t>(view.u16(kFreeSpace) - rowSpace(length)));
    return AddedRow{static_cast<uint8_t>(rows), page + start};
}

void releaseDataPage(PageFile& file, PageAllocator& allocator, uint32_t page) {
    std::memset(file.writablePage(page), 0, file.pageSize());
    allocator.release(page);
}

}  // namespace jet
