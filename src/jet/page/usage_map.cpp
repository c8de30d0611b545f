#include "jet/page/usage_map.h"

#include "jet/format/page_layout.h"
#include "jet/page/data_page.h"

namespace jet {

namespace {

void collectBits(ByteView bitmap, uint32_t firstPage, uint32_t pageCount, UsageMap& map) {
    for (size_t byte = 0; byte < bitmap.size(); ++byte) {
        uint8_t bits = bitmap.u8(byte);
        for (uint32_t bit = 0; bits && bit < 8; ++bit, bits >>= 1) {
            uint64_t page = uint64_t{firstPage} + byte * 8 + bit;
            if (!(bits & 1)) continue;
            if (page < pageCount)
                map.pages.push_back(static_cast<uint32_t>(page));
            else
                ++map.pastEnd;
        }
    }
}

}  // namespace

ByteView readRowBytes(PageFile& file, uint32_t page, uint8_t row) {
    DataPage data(file, page);
    auto slot = data.slot(row);
    return data.rowBytes(slot);
}

UsageMap readUsageMap(PageFile& file, MapRef ref) {
    using namespace usage_map_layout;
    ByteView row = readRowBytes(file, ref.page, ref.row);
    UsageMap map;
    uint8_t kind = row.u8(kKind);
    if (kind == kInline) {
        map.kind = UsageMapKind::Inline;
        map.startPage = row.u32(kInlineStart);
        collectBits(row.from(kInlineBitmap), map.startPage, file.pageCount(), map);
    } else if (kind == kReference) {
        map.kind = UsageMapKind::Reference;
        for (size_t at = kReferencePointers; at + kPointerSize <= row.size(); at += kPointerSize) {
            uint32_t bitmapPage = row.u32(at);
            map.bitmapPages.push_back(bitmapPage);
            uint64_t first =
                uint64_t{map.bitmapPages.size() - 1} * file.format().pagesPerBitmapPage();
            // Pointers for ranges past the end of the file may hold anything (Access leaves
            // garbage there); they describe no page.
            if (bitmapPage == 0 || first >= file.pageCount()) continue;
            ByteView page = file.page(bitmapPage);
            if (page.u8(page_layout::kPageType) != kBitmapPageType)
                throwCorrupt(bitmapPage, "Seite einer Belegungstabelle erwartet");
            collectBits(page.from(kBitmapPageHeader), static_cast<uint32_t>(first),
                        file.pageCount(), map);
        }
    } else {
        throwCorrupt(ref.page,
                     "unbekannte Art der Belegungstabelle in Zeile " + std::to_string(ref.row));
    }
    return map;
}

}  // namespace jet
