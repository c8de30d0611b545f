// The DAO face of relationships: Relations with Count, Item and each Relation's Name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/catalog/relationships.h"

namespace jet::dao {

class Relation {
  public:
    explicit Relation(Relationship stored) : stored_(std::move(stored)) {}

    const std::u16string& Name() const { return stored_.name; }
    // The referenced ("one") table and the table holding the foreign key, as DAO names them.
    const std::u16string& Table() const { return stored_.referencedTable; }
    const std::u16string& ForeignTable() const { return stored_.table; }
    int32_t Attributes() const { return static_cast<int32_t>(stored_.flags); }
    const Relationship& stored() const { return stored_; }

  private:
    Relationship stored_;
};

class Database;

// The relationships of a database as they were when the collection was taken; Delete changes
// the file and this collection alike.
class Relations {
  public:
    explicit Relations(std::vector<Relationship> stored, Database* owner = nullptr);

    int32_t Count() const { return static_cast<int32_t>(relations_.size()); }
    // Throws ItemNotFound past the end.
    const Relation& Item(int32_t index) const;
    // Removes the relationship `name` (ignoring case) from the file: its MSysRelationships
    // rows, its catalog row and the foreign-key indexes it put into both tables. Throws
    // ItemNotFound.
    void Delete(std::u16string_view name);

  private:
    std::vector<Relation> relations_;
    Database* owner_ = nullptr;
};

}  // namespace jet::dao
