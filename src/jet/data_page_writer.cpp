#include "jet/data_page_writer.h"

#include <cstring>

namespace jet {

using namespace data_page_layout;

namespace {

// Where the next row ends: at the start of the last row, or at the end of an empty page.
size_t nextRowEnd(ByteView page, uint16_t rows) {
    if (rows == 0) return kPageSize;
    return page.u16(kRowOffsets + (size_t{rows} - 1) * kRowOffsetSize) & kOffsetMask;
}

}  // namespace

void formatDataPage(uint8_t* page, uint32_t owner) {
    page[0] = kPageType;
    page[1] = kHeaderMarker;
    putU16(page + kFreeSpace, kInitialFreeSpace);
    putU32(page + kOwner, owner);
}

bool rowFits(ByteView page, size_t length) {
    const uint16_t rows = page.u16(kRowCount);
    if (rows >= kMaxRowsPerPage || page.u16(kFreeSpace) < rowSpace(length)) return false;
    const size_t end = nextRowEnd(page, rows);
    const size_t tableEnd = kRowOffsets + (size_t{rows} + 1) * kRowOffsetSize;
    return end >= length && end - length >= tableEnd;
}

AddedRow addRow(uint8_t* page, size_t length) {
    ByteView view({page, kPageSize}, 0);
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
