#include "jet/page/map_row.h"

#include "jet/format/page_layout.h"
#include "jet/page/data_page.h"
#include "jet/page/usage_map.h"

namespace jet {

using namespace usage_map_layout;

namespace {

struct RowPlace {
    size_t start = 0;
    size_t size = 0;
};

RowPlace placeOf(PageFile& file, MapRef map) {
    DataPage page(file, map.page);
    RowSlot slot = page.slot(map.row);
    if (slot.deleted || size_t{slot.end} - slot.start < kInlineBitmap)
        throwCorrupt(map.page, "Belegungstabelle in Zeile " + std::to_string(map.row) +
                                   " fehlt oder ist zu kurz");
    return {slot.start, size_t{slot.end} - slot.start};
}

}  // namespace

MapRowView readMapRow(PageFile& file, MapRef map) {
    RowPlace place = placeOf(file, map);
    return MapRowView{file.page(map.page).data() + place.start, place.size};
}

MapRow writableMapRow(PageFile& file, MapRef map) {
    RowPlace place = placeOf(file, map);
    return MapRow{file.writablePage(map.page) + place.start, place.size};
}

std::optional<MapBit> findMapBit(PageFile& file, MapRef map, uint32_t page) {
    RowPlace place = placeOf(file, map);
    ByteView row = file.page(map.page).sub(place.start, place.size);
    if (row.u8(kKind) == kInline) {
        uint32_t start = row.u32(kInlineStart);
        uint64_t bits = uint64_t{place.size - kInlineBitmap} * 8;
        if (page < start || page - start >= bits) return std::nullopt;
        uint32_t offset = page - start;
        return MapBit{map.page, place.start + kInlineBitmap + offset / 8,
                      static_cast<uint8_t>(1u << (offset % 8))};
    }
    size_t pointer =
        kReferencePointers + size_t{page / file.format().pagesPerBitmapPage()} * kPointerSize;
    if (pointer + kPointerSize > place.size) return std::nullopt;
    uint32_t bitmapPage = row.u32(pointer);
    if (bitmapPage == 0) return std::nullopt;
    if (file.page(bitmapPage).u8(page_layout::kPageType) != kBitmapPageType)
        throwCorrupt(bitmapPage, "Seite einer Belegungstabelle erwartet");
    uint32_t offset = page % file.format().pagesPerBitmapPage();
    return MapBit{bitmapPage, kBitmapPageHeader + offset / 8,
                  static_cast<uint8_t>(1u << (offset % 8))};
}

bool mapBitSet(PageFile& file, MapBit bit) {
    return (file.page(bit.page).u8(bit.offset) & bit.mask) != 0;
}

void setMapBit(PageFile& file, MapBit bit, bool set) {
    if (mapBitSet(file, bit) == set) return;
    uint8_t& byte = file.writablePage(bit.page)[bit.offset];
    byte = static_cast<uint8_t>(set ? byte | bit.mask : byte & ~bit.mask);
}

}  // namespace jet
