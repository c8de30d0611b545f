#include "jet/table/data_page_writer.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "jet/table/data_page_rewrite.h"

namespace jet {

using namespace data_page_layout;

namespace {

// Where the next row ends: at the start of the last row, or at the end of an empty page.
size_t nextRowEnd(ByteView page, uint16_t rows) {
    if (rows == 0) return kPageSize;
    return page.u16(kRowOffsets + (size_t{rows} - 1) * kRowOffsetSize) & kOffsetMask;
}

bool newSlotFits(ByteView page, size_t length) {
    const uint16_t rows = page.u16(kRowCount);
    if (rows >= kMaxRowsPerPage || page.u16(kFreeSpace) < rowSpace(length)) return false;
    const size_t end = nextRowEnd(page, rows);
    const size_t tableEnd = kRowOffsets + (size_t{rows} + 1) * kRowOffsetSize;
    return end >= length && end - length >= tableEnd;
}

// A deleted row that holds no bytes any more: nothing refers to it, so its slot may carry a
// new row.
std::optional<uint8_t> emptySlot(ByteView page) {
    const uint16_t rows = std::min<uint16_t>(page.u16(kRowCount), kMaxRowsPerPage);
    size_t end = kPageSize;
    for (uint16_t r = 0; r < rows; ++r) {
        const uint16_t word = page.u16(kRowOffsets + size_t{r} * kRowOffsetSize);
        const size_t start = word & kOffsetMask;
        if ((word & kDeletedFlag) && start == end) return static_cast<uint8_t>(r);
        end = start;
    }
    return std::nullopt;
}

}  // namespace

void formatDataPage(uint8_t* page, uint32_t owner) {
    page[0] = kPageType;
    page[1] = kHeaderMarker;
    putU16(page + kFreeSpace, kInitialFreeSpace);
    putU32(page + kOwner, owner);
}

bool rowFits(ByteView page, size_t length) {
    if (newSlotFits(page, length)) return true;
    if (page.u16(kFreeSpace) < length) return false;
    std::optional<uint8_t> slot = emptySlot(page);
    return slot && replacementFits(page, *slot, length);
}

AddedRow addRow(uint8_t* page, size_t length) {
    ByteView view({page, kPageSize}, 0);
    if (!newSlotFits(view, length)) {
        const uint8_t slot = emptySlot(view).value();
        std::vector<uint8_t> zeros(length), scratch;
        replaceRow(page, slot, zeros, 0, scratch);
        return AddedRow{slot, page + DataPage(view).slot(slot).start};
    }
    const uint16_t rows = view.u16(kRowCount);
    const auto start = static_cast<uint16_t>(nextRowEnd(view, rows) - length);
    putU16(page + kRowOffsets + size_t{rows} * kRowOffsetSize, start);
    putU16(page + kRowCount, static_cast<uint16_t>(rows + 1));
    putU16(page + kFreeSpace, static_cast<uint16_t>(view.u16(kFreeSpace) - rowSpace(length)));
    return AddedRow{static_cast<uint8_t>(rows), page + start};
}

void releaseDataPage(PageFile& file, PageAllocator& allocator, uint32_t page) {
    std::memset(file.writablePage(page), 0, kPageSize);
    allocator.release(page);
}

}  // namespace jet
