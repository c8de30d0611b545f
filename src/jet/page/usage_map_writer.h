// Changing the usage map of a table, an index or a long-value column: the map row named by a
// MapRef, inline (a window of pages) or by reference (bitmap pages of 32,736 pages each).
#pragma once

#include <cstdint>

#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"
#include "jet/page/usage_map.h"

namespace jet {

// Sets `page`'s bit in the map. An inline map whose window cannot hold the page is moved to a
// window that holds all its pages, or, when none does, promoted to a reference map in the same
// row; a reference map gets a new bitmap page when the page's range has none. Pages the map
// needs for itself come from `allocator`.
void addPageToMap(PageFile& file, PageAllocator& allocator, MapRef map, uint32_t page);

// Clears `page`'s bit; a page the map does not cover is left alone.
void removePageFromMap(PageFile& file, MapRef map, uint32_t page);

// Clears every bit of the map (its bitmap pages stay allocated to it).
void clearMap(PageFile& file, MapRef map);

}  // namespace jet
