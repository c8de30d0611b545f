#include "jet/table/data_page_rewrite.h"

#include <cstring>

#include "jet/table/row_format.h"

namespace jet {

using namespace data_page_layout;

namespace {

constexpr uint16_t kFlags = kDeletedFlag | kLookupFlag;

size_t offsetAt(const Format& format, uint8_t row) {
    return format.dataPage.rowOffsets + size_t{row} * kRowOffsetSize;
}

// Bytes of all rows but `except`, as the free-space field counts them.
size_t otherRowBytes(const DataPage& page, uint8_t except) {
    size_t used = 0;
    for (uint16_t r = 0; r < page.rowCount(); ++r) {
        if (r == except) continue;
        RowSlot s = page.slot(static_cast<uint8_t>(r));
        used += s.end - s.start;
    }
    return used;
}

}  // namespace

void setRowFlags(const Format& format, uint8_t* page, uint8_t row, uint16_t flags) {
    uint8_t* word = page + offsetAt(format, row);
    ByteView view({page, format.pageSize}, 0);
    putU16(word, static_cast<uint16_t>(view.u16(offsetAt(format, row)) | flags));
}

bool replacementFits(const Format& format, ByteView bytes, uint8_t row, size_t length) {
    DataPage page(format, bytes);
    page.slot(row);  // throws when the row does not exist
    const size_t table = offsetAt(format, 0) + size_t{page.rowCount()} * kRowOffsetSize;
    return table + otherRowBytes(page, row) + length <= format.pageSize;
}

void replaceRow(const Format& format, uint8_t* bytes, uint8_t row,
                std::span<const uint8_t> replacement, uint16_t flags,
                std::vector<uint8_t>& scratch) {
    scratch.assign(bytes, bytes + format.pageSize);
    DataPage old(format, ByteView({scratch.data(), format.pageSize}, 0));
    size_t end = format.pageSize;
    for (uint16_t r = 0; r < old.rowCount(); ++r) {
        const auto id = static_cast<uint8_t>(r);
        RowSlot s = old.slot(id);
        const uint16_t word = old.bytes().u16(offsetAt(format, id));
        const uint8_t* from = id == row ? replacement.data() : scratch.data() + s.start;
        const size_t length = id == row ? replacement.size() : size_t{s.end} - s.start;
        end -= length;
        if (length > 0) std::memmove(bytes + end, from, length);
        const uint16_t keep = id == row ? flags : static_cast<uint16_t>(word & kFlags);
        putU16(bytes + offsetAt(format, id), static_cast<uint16_t>(end | keep));
    }
    const size_t table = offsetAt(format, 0) + size_t{old.rowCount()} * kRowOffsetSize;
    std::memset(bytes + table, 0, end - table);
    putU16(bytes + kFreeSpace, static_cast<uint16_t>(end - table));
}

void putLookup(uint8_t* out, RowLocation target) {
    out[row_layout::kLookupRow] = target.row;
    out[row_layout::kLookupPage] = static_cast<uint8_t>(target.page);
    out[row_layout::kLookupPage + 1] = static_cast<uint8_t>(target.page >> 8);
    out[row_layout::kLookupPage + 2] = static_cast<uint8_t>(target.page >> 16);
}

}  // namespace jet
