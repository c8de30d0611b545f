// Direct access to the bitmap of a usage-map row, for changing it in place.
//
// Reading a row or a bit leaves its page clean; only a bit that really changes makes its page
// dirty. Every page allocated touches the global map and a table's map: pages dirtied for no
// change would be journaled and written again at every flush.
#pragma once

#include <cstdint>
#include <optional>

#include "jet/page/page_file.h"
#include "jet/page/usage_map.h"

namespace jet {

// The bytes of a usage-map row, read-only.
struct MapRowView {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
};

// The bytes of a usage-map row on its (now dirty) page.
struct MapRow {
    uint8_t* bytes = nullptr;
    size_t size = 0;
};

// The row named by `map`. Throws when the row is malformed.
MapRowView readMapRow(PageFile& file, MapRef map);
// The same row, made writable.
MapRow writableMapRow(PageFile& file, MapRef map);

// Where the bit of `page` lies in a map: the page holding it (the row's page for an inline
// map, a bitmap page for a reference map), the byte there and the bit's mask.
struct MapBit {
    uint32_t page = 0;
    size_t offset = 0;
    uint8_t mask = 0;
};
// `nullopt` when the map does not cover the page (outside an inline window, or a reference
// range without a bitmap page).
std::optional<MapBit> findMapBit(PageFile& file, MapRef map, uint32_t page);

bool mapBitSet(PageFile& file, MapBit bit);
// Sets or clears the bit; its page is made dirty only when the bit changes.
void setMapBit(PageFile& file, MapBit bit, bool set);

}  // namespace jet
