#include "jet/page/page_allocator.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "jet/format/page_layout.h"
#include "jet/page/map_row.h"
#include "jet/page/usage_map.h"

namespace jet {

using namespace usage_map_layout;

uint32_t PageAllocator::allocate() {
    // Free pages are rare (they come from emptied tables), so a scan from the lowest page
    // that may be free is cheap; the hint skips the scan entirely while nothing was freed.
    for (uint32_t page = lowestMaybeFree_; page < file_.pageCount(); ++page) {
        auto bit = findMapBit(file_, kGlobalMap, page);
        if (!bit) {
            // Outside the window: skip to its next covered range, if any.
            MapRowView global = readMapRow(file_, kGlobalMap);
            if (global.bytes[kKind] == kInline) {
                uint32_t start = ByteView({global.bytes, global.size}, 1).u32(kInlineStart);
                if (page < start) {
                    page = start - 1;
                    continue;
                }
                break;
            }
            const uint32_t range = file_.format().pagesPerBitmapPage();
            page = (page / range + 1) * range - 1;
            continue;
        }
        if (mapBitSet(file_, *bit)) {
            setMapBit(file_, *bit, false);
            std::memset(file_.writablePage(page), 0, file_.pageSize());
            lowestMaybeFree_ = page + 1;
            return page;
        }
    }
    lowestMaybeFree_ = UINT32_MAX;
    uint32_t page = file_.appendPage();
    // Access marks the pages past the end of the file free; the new page is in use now.
    if (auto bit = findMapBit(file_, kGlobalMap, page)) setMapBit(file_, *bit, false);
    return page;
}

namespace {

// A fresh bitmap page for range `range` of a reference map row; false when the row has no
// pointer for that range.
bool addBitmapPage(PageFile& file, uint32_t range) {
    size_t pointer = kReferencePointers + size_t{range} * kPointerSize;
    if (pointer + kPointerSize > readMapRow(file, kGlobalMap).size) return false;
    // Appended, not allocated: the allocator is what is being extended. A new bitmap is all
    // zero, so the page itself counts as in use.
    uint32_t bitmap = file.appendPage();
    uint8_t* bytes = file.writablePage(bitmap);
    bytes[page_layout::kPageType] = kBitmapPageType;
    bytes[page_layout::kMarker] = 0x01;
    putU32(writableMapRow(file, kGlobalMap).bytes + pointer, bitmap);
    return true;
}

void setFree(PageFile& file, uint32_t page) {
    if (auto bit = findMapBit(file, kGlobalMap, page)) setMapBit(file, *bit, true);
}

// Turns the inline global map into a reference map with the same free pages, so that it can
// cover the whole file. Access reads and writes the global map in either form.
void promoteGlobalMap(PageFile& file) {
    std::vector<uint32_t> free = readUsageMap(file, kGlobalMap).pages;
    MapRow row = writableMapRow(file, kGlobalMap);
    std::memset(row.bytes, 0, row.size);
    row.bytes[kKind] = kReference;
    for (uint32_t page : free) {
        if (!findMapBit(file, kGlobalMap, page))
            addBitmapPage(file, page / file.format().pagesPerBitmapPage());
        setFree(file, page);
    }
}

}  // namespace

void PageAllocator::release(uint32_t page) {
    if (!findMapBit(file_, kGlobalMap, page)) {
        // The map does not reach the page yet: widen it instead of losing the page.
        if (readMapRow(file_, kGlobalMap).bytes[kKind] == kInline) promoteGlobalMap(file_);
        if (!findMapBit(file_, kGlobalMap, page) &&
            !addBitmapPage(file_, page / file_.format().pagesPerBitmapPage()))
            return;  // past what any map row can describe; the page stays unused
    }
    setFree(file_, page);
    lowestMaybeFree_ = std::min(lowestMaybeFree_, page);
}

}  // namespace jet
