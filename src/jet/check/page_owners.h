// Who holds which page, for the structural check. A page has one owner; only the pages that hold
// usage-map rows are shared, between any number of tables.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "jet/check/check_fault.h"

namespace jet {

enum class PageUse { Sole, SharedMapRows };

class PageOwners {
  public:
    // Records `owner` for `page`. Adds a fault when a different owner holds the page already,
    // unless both only keep usage-map rows there. Claiming a page again for the same owner is
    // harmless.
    void claim(uint32_t page, const std::string& owner, PageUse use,
               std::vector<CheckFault>& faults);

    // Owned pages in ascending order with their owners.
    const std::map<uint32_t, std::string>& all() const { return owners_; }

  private:
    std::map<uint32_t, std::string> owners_;
    std::map<uint32_t, PageUse> uses_;
};

}  // namespace jet
