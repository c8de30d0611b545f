#include "jet/page/usage_map_writer.h"

#include <algorithm>
#include <cstring>

#include "jet/format/page_layout.h"
#include "jet/page/map_row.h"
#include "jet/page/usage_map.h"

namespace jet {

using namespace usage_map_layout;

namespace {

// Access starts inline windows on multiples of 8.
constexpr uint32_t kWindowAlignment = 8;

uint32_t newBitmapPage(PageFile& file, PageAllocator& allocator) {
    uint32_t page = allocator.allocate();
    uint8_t* bytes = file.writablePage(page);
    bytes[page_layout::kPageType] = kBitmapPageType;
    bytes[page_layout::kMarker] = 0x01;
    return page;
}

void setReferenceBit(PageFile& file, PageAllocator& allocator, MapRef map, uint32_t page) {
    MapRowView row = readMapRow(file, map);
    size_t pointer =
        kReferencePointers + size_t{page / file.format().pagesPerBitmapPage()} * kPointerSize;
    if (pointer + kPointerSize > row.size)
        throwCorrupt(map.page, "die Belegungstabelle kann Seite " + std::to_string(page) +
                                   " nicht aufnehmen");
    if (ByteView({row.bytes, row.size}, map.page).u32(pointer) == 0) {
        uint32_t bitmap = newBitmapPage(file, allocator);
        putU32(writableMapRow(file, map).bytes + pointer, bitmap);
    }
    setMapBit(file, *findMapBit(file, map, page), true);
}

// Rewrites an inline map so that its window holds `pages`, or returns false when no window
// of its size can.
bool rewriteWindow(PageFile& file, MapRef map, const std::vector<uint32_t>& pages) {
    MapRow row = writableMapRow(file, map);
    uint64_t bits = uint64_t{row.size - kInlineBitmap} * 8;
    uint32_t start = pages.front() / kWindowAlignment * kWindowAlignment;
    if (pages.back() - start >= bits) return false;
    std::memset(row.bytes + kInlineBitmap, 0, row.size - kInlineBitmap);
    putU32(row.bytes + kInlineStart, start);
    for (uint32_t p : pages) {
        uint32_t offset = p - start;
        row.bytes[kInlineBitmap + offset / 8] |= static_cast<uint8_t>(1u << (offset % 8));
    }
    return true;
}

void promoteToReference(PageFile& file, PageAllocator& allocator, MapRef map,
                        const std::vector<uint32_t>& pages) {
    MapRow row = writableMapRow(file, map);
    std::memset(row.bytes, 0, row.size);
    row.bytes[kKind] = kReference;
    for (uint32_t p : pages) setReferenceBit(file, allocator, map, p);
}

}  // namespace

void addPageToMap(PageFile& file, PageAllocator& allocator, MapRef map, uint32_t page) {
    const uint8_t kind = readMapRow(file, map).bytes[kKind];
    if (kind == kReference) return setReferenceBit(file, allocator, map, page);
    if (kind != kInline)
        throwCorrupt(map.page,
                     "unbekannte Art der Belegungstabelle in Zeile " + std::to_string(map.row));
    if (auto bit = findMapBit(file, map, page)) {
        setMapBit(file, *bit, true);
        return;
    }
    std::vector<uint32_t> pages = readUsageMap(file, map).pages;
    pages.insert(std::upper_bound(pages.begin(), pages.end(), page), page);
    if (!rewriteWindow(file, map, pages)) promoteToReference(file, allocator, map, pages);
}

void removePageFromMap(PageFile& file, MapRef map, uint32_t page) {
    if (auto bit = findMapBit(file, map, page)) setMapBit(file, *bit, false);
}

void clearMap(PageFile& file, MapRef map) {
    MapRow row = writableMapRow(file, map);
    if (row.bytes[kKind] == kInline) {
        std::memset(row.bytes + kInlineBitmap, 0, row.size - kInlineBitmap);
        return;
    }
    ByteView view({row.bytes, row.size}, map.page);
    for (size_t at = kReferencePointers; at + kPointerSize <= row.size; at += kPointerSize) {
        uint32_t bitmap = view.u32(at);
        if (bitmap == 0 || bitmap >= file.pageCount()) continue;
        uint8_t* bytes = file.writablePage(bitmap);
        std::memset(bytes + kBitmapPageHeader, 0, file.pageSize() - kBitmapPageHeader);
    }
}

}  // namespace jet
