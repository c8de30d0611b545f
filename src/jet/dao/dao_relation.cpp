#include "jet/dao/dao_relation.h"

#include "jet/base/errors.h"

namespace jet::dao {

Relations::Relations(std::vector<Relationship> stored, Database* owner) : owner_(owner) {
    for (auto& r : stored) relations_.emplace_back(std::move(r));
}

const Relation& Relations::Item(int32_t index) const {
    if (index < 0 || index >= Count()) throwItemNotFound(std::to_string(index));
    return relations_[static_cast<size_t>(index)];
}

}  // namespace jet::dao
