// Direct access to the bitmap of a usage-map row, for changing it in place.
#pragma once

#include <cstdint>
#include <optional>

#include "jet/page_file.h"
#include "jet/table_definition.h"

namespace jet {

// The bytes of a usage-map row on its (now dirty) page.
struct MapRow {
    uint8_t* bytes = nullptr;
    size_t size = 0;
};

// The row named by `map`, made writable. Throws when the row is malformed.
MapRow writableMapRow(PageFile& file, MapRef map);

// Where the bit of `page` lies in a map: the byte to change and the bit's mask. `nullopt`
// when the map does not cover the page (outside an inline window, or a reference range
// without a bitmap page). Reference bitmap pages are made writable.
struct MapBit {
    uint8_t* byte = nullptr;
    uint8_t mask = 0;
};
std::optional<MapBit> findMapBit(PageFile& file, MapRow row, uint32_t page);

}  // namespace jet
