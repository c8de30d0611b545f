#include "jet/page_allocator.h"

#include <cstring>

#include "jet/map_row.h"
#include "jet/usage_map.h"

namespace jet {

using namespace usage_map_layout;

uint32_t PageAllocator::allocate() {
    MapRow global = writableMapRow(file_, kGlobalMap);
    // Free pages are rare (they come from emptied tables), so a scan from the lowest page
    // that may be free is cheap; the hint skips the scan entirely while nothing was freed.
    for (uint32_t page = lowestMaybeFree_; page < file_.pageCount(); ++page) {
        auto bit = findMapBit(file_, global, page);
        if (!bit) {
            // Outside the window: skip to its next covered range, if any.
            if (global.bytes[0] == kInline) {
                uint32_t start = ByteView({global.bytes, global.size}, 1).u32(kInlineStart);
                if (page < start) {
                    page = start - 1;
                    continue;
                }
                break;
            }
            page = (page / kPagesPerBitmapPage + 1) * kPagesPerBitmapPage - 1;
            continue;
        }
        if (*bit->byte & bit->mask) {
            *bit->byte = static_cast<uint8_t>(*bit->byte & ~bit->mask);
            std::memset(file_.writablePage(page), 0, kPageSize);
            lowestMaybeFree_ = page + 1;
            return page;
        }
    }
    lowestMaybeFree_ = UINT32_MAX;
    uint32_t page = file_.appendPage();
    // Access marks the pages past the end of the file free; the new page is in use now.
    global = writableMapRow(file_, kGlobalMap);
    if (auto bit = findMapBit(file_, global, page))
        *bit->byte = static_cast<uint8_t>(*bit->byte & ~bit->mask);
    return page;
}

void PageAllocator::release(uint32_t page) {
    MapRow global = writableMapRow(file_, kGlobalMap);
    if (auto bit = findMapBit(file_, global, page)) {
        *bit->byte = static_cast<uint8_t>(*bit->byte | bit->mask);
        lowestMaybeFree_ = std::min(lowestMaybeFree_, page);
    }
}

}  // namespace jet
