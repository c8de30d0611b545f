#include "jet/table/long_value_writer.h"

#include <algorithm>
#include <cstring>

#include "jet/format/page_layout.h"
#include "jet/page/usage_map.h"
#include "jet/page/usage_map_writer.h"
#include "jet/table/data_page_writer.h"

namespace jet {

using namespace long_value_layout;

namespace {

// A map may need a new bitmap page (or a promotion) for each page added to it.
constexpr size_t kMapPagesPerValue = 2;

bool isLongValuePage(ByteView page) {
    return page.u8(page_layout::kPageType) == data_page_layout::kPageType &&
           page.u32(data_page_layout::kOwner) == data_page_layout::kLongValueOwner;
}

}  // namespace

LongValueWriter::LongValueWriter(PageFile& file, PageAllocator& allocator, const ColumnDef& column)
    : file_(file), allocator_(allocator), column_(column) {
    // Maps on page 0 are no maps: Access leaves some out that way.
    if (column.longValueOwnedMap && column.longValueOwnedMap->page != 0) {
        owned_ = column.longValueOwnedMap;
        if (column.longValueFreeMap && column.longValueFreeMap->page != 0)
            free_ = column.longValueFreeMap;
    }
}

size_t LongValueWriter::pagesNeeded(const Format& format, size_t length, LongValueStorage storage) {
    const size_t chainData = format.longValue.maxChainData();
    const size_t rows =
        storage == LongValueStorage::Chain ? (length + chainData - 1) / chainData : 1;
    return rows + kMapPagesPerValue;
}

RowLocation LongValueWriter::write(std::span<const uint8_t> data, LongValueStorage storage) {
    if (storage != LongValueStorage::Chain) return addRow({}, data);
    // Written from the last link to the first, so that each link's successor is known when it
    // is written.
    RowLocation next{};
    const size_t chainData = file_.format().longValue.maxChainData();
    const size_t links = std::max<size_t>(1, (data.size() + chainData - 1) / chainData);
    for (size_t i = links; i-- > 0;) {
        const size_t begin = i * chainData;
        const size_t size = std::min(chainData, data.size() - begin);
        const uint8_t header[kChainHeader] = {next.row, static_cast<uint8_t>(next.page),
                                              static_cast<uint8_t>(next.page >> 8),
                                              static_cast<uint8_t>(next.page >> 16)};
        next = addRow(header, data.subspan(begin, size));
    }
    return next;
}

RowLocation LongValueWriter::addRow(std::span<const uint8_t> header,
                                    std::span<const uint8_t> data) {
    const size_t length = header.size() + data.size();
    const uint32_t page = pageFor(length);
    AddedRow added = jet::addRow(file_.format(), file_.writablePage(page), length);
    if (!header.empty()) std::memcpy(added.bytes, header.data(), header.size());
    if (!data.empty()) std::memcpy(added.bytes + header.size(), data.data(), data.size());
    if (free_ && isFull(page)) removePageFromMap(file_, *free_, page);
    return RowLocation{page, added.row};
}

uint32_t LongValueWriter::pageFor(size_t length) {
    if (!currentKnown_) findCurrentPage();
    if (current_ != 0 && rowFits(file_.format(), file_.page(current_), length)) return current_;
    const uint32_t fresh = newPage();
    // Whichever page has more room once the row is in is the one to go on filling.
    if (current_ == 0 || file_.format().emptyDataPageSpace() - rowSpace(length) >
                             file_.page(current_).u16(data_page_layout::kFreeSpace))
        current_ = fresh;
    return fresh;
}

uint32_t LongValueWriter::newPage() {
    const uint32_t page = allocator_.allocate();
    if (owned_) addPageToMap(file_, allocator_, *owned_, page);
    if (free_) addPageToMap(file_, allocator_, *free_, page);
    formatDataPage(file_.format(), file_.writablePage(page), data_page_layout::kLongValueOwner);
    return page;
}

bool LongValueWriter::isFull(uint32_t page) {
    ByteView bytes = file_.page(page);
    return !rowFits(file_.format(), bytes, file_.format().longValue.smallestOutOfRow());
}

// The last page of the free-space map that is one of the column's long-value pages.
void LongValueWriter::findCurrentPage() {
    currentKnown_ = true;
    current_ = 0;
    if (!owned_ || !free_) return;
    const std::vector<uint32_t> owned = readUsageMap(file_, *owned_).pages;
    const std::vector<uint32_t> withRoom = readUsageMap(file_, *free_).pages;
    for (auto it = withRoom.rbegin(); it != withRoom.rend(); ++it) {
        if (std::binary_search(owned.begin(), owned.end(), *it) &&
            isLongValuePage(file_.page(*it))) {
            current_ = *it;
            return;
        }
    }
}

void LongValueWriter::releaseMappedPages() {
    for (uint32_t page : readUsageMap(file_, *owned_).pages)
        if (isLongValuePage(file_.page(page))) releaseDataPage(file_, allocator_, page);
    clearMap(file_, *owned_);
    if (free_) clearMap(file_, *free_);
    current_ = 0;
    currentKnown_ = true;  // the maps are empty: nothing to look for
}

void LongValueWriter::forgetCurrentPage() {
    current_ = 0;
    currentKnown_ = !owned_;
}

}  // namespace jet
