#include "jet/map_row.h"

#include "jet/data_page.h"
#include "jet/usage_map.h"

namespace jet {

using namespace usage_map_layout;

MapRow writableMapRow(PageFile& file, MapRef map) {
    DataPage page(file.page(map.page));
    RowSlot slot = page.slot(map.row);
    if (slot.deleted || size_t{slot.end} - slot.start < kInlineBitmap)
        throwCorrupt(map.page, "Belegungstabelle in Zeile " + std::to_string(map.row) +
                                   " fehlt oder ist zu kurz");
    uint8_t* bytes = file.writablePage(map.page);
    return MapRow{bytes + slot.start, size_t{slot.end} - slot.start};
}

std::optional<MapBit> findMapBit(PageFile& file, MapRow row, uint32_t page) {
    if (row.bytes[0] == kInline) {
        ByteView view({row.bytes, row.size}, 0);
        uint32_t start = view.u32(kInlineStart);
        uint64_t bits = uint64_t{row.size - kInlineBitmap} * 8;
        if (page < start || page - start >= bits) return std::nullopt;
        uint32_t offset = page - start;
        return MapBit{row.bytes + kInlineBitmap + offset / 8,
                      static_cast<uint8_t>(1u << (offset % 8))};
    }
    size_t pointer = kReferencePointers + size_t{page / kPagesPerBitmapPage} * 4;
    if (pointer + 4 > row.size) return std::nullopt;
    uint32_t bitmapPage = ByteView({row.bytes, row.size}, 0).u32(pointer);
    if (bitmapPage == 0) return std::nullopt;
    if (file.page(bitmapPage).u8(0) != kBitmapPageType)
        throwCorrupt(bitmapPage, "Seite einer Belegungstabelle erwartet");
    uint32_t offset = page % kPagesPerBitmapPage;
    uint8_t* bytes = file.writablePage(bitmapPage);
    return MapBit{bytes + kBitmapPageHeader + offset / 8, static_cast<uint8_t>(1u << (offset % 8))};
}

}  // namespace jet
