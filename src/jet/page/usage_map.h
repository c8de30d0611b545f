// Usage maps: which pages belong to a table, an index or a long-value column, and (the global
// map on page 1) which pages of the file are free. A map is a row on a data page, either
// inline (a start page and a bitmap) or by reference (pointers to bitmap pages of type 0x05).
#pragma once

#include <cstdint>
#include <vector>

#include "jet/format/usage_map_layout.h"
#include "jet/page/page_file.h"

namespace jet {

enum class UsageMapKind { Inline, Reference };

struct UsageMap {
    UsageMapKind kind = UsageMapKind::Inline;
    uint32_t startPage = 0;             // inline maps: first page the bitmap covers
    std::vector<uint32_t> bitmapPages;  // reference maps: one per 32,736 pages, 0 = none
    std::vector<uint32_t> pages;        // the pages whose bit is set, ascending
    uint32_t pastEnd = 0;               // set bits for pages past the end of the file
};

// Reads the map row `ref`. Pages past the end of the file are left out of `pages` and only
// counted: the global map marks them free, any other map that has them is damaged. Throws on
// a malformed map.
UsageMap readUsageMap(PageFile& file, MapRef ref);

// The bytes of row `row` on data page `page` (through the page's row offset table).
ByteView readRowBytes(PageFile& file, uint32_t page, uint8_t row);

}  // namespace jet
