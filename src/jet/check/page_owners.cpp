#include "jet/check/page_owners.h"

namespace jet {

void PageOwners::claim(uint32_t page, const std::string& owner, PageUse use,
                       std::vector<CheckFault>& faults) {
    auto [at, inserted] = owners_.emplace(page, owner);
    if (inserted) {
        uses_[page] = use;
        return;
    }
    const bool bothShared = use == PageUse::SharedMapRows && uses_[page] == PageUse::SharedMapRows;
    if (at->second == owner || bothShared) return;
    faults.push_back({page, "Seite gehört zugleich zu " + at->second + " und zu " + owner});
}

}  // namespace jet
