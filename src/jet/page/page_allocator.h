// Taking pages for new use and giving them back, through the global usage map (page 1, row 0),
// where a set bit means the page is free.
//
// Pages outside the map's reach count as in use: Access marks the pages past the end of the
// file as free inside an inline map's window, so a page appended there must have its bit
// cleared, while a page appended past the window needs no change. Releasing a page past the
// window widens the map: an inline map becomes a reference map, a reference map gets the
// bitmap page for that range.
#pragma once

#include <cstdint>
#include <limits>

#include "jet/page/page_file.h"

namespace jet {

class PageAllocator {
  public:
    explicit PageAllocator(PageFile& file) : file_(file) {}

    // A page for new use: the lowest free page of the global map, else a new page at the end
    // of the file. The page is zero-filled and dirty; the global map no longer has it free.
    // Throws DatabaseFull at Jet's 2 GiB limit.
    uint32_t allocate();

    // Marks `page` free in the global map for reuse. Its bytes stay as they are, as Access
    // leaves them.
    void release(uint32_t page);

  private:
    PageFile& file_;
    uint32_t lowestMaybeFree_ = 0;  // no page below this one is free in the global map
};

}  // namespace jet
