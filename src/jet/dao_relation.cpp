#include "jet/dao_relation.h"

namespace jet::dao {

Relations::Relations(std::vector<Relationship> stored) {
    for (auto& r : stored) relations_.emplace_back(std::move(r));
}

const Relation& Relations::Item(int32_t index) const {
    if (index < 0 || index >= Count()) throwItemNotFound(std::to_string(index));
    return relations_[static_cast<size_t>(index)];
}

}  // namespace jet::dao
