// Relationships between tables (MSysRelationships): one stored row per column pair, grouped
// here into one Relationship per name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/catalog/database.h"

namespace jet {

namespace relationship_flag {
inline constexpr uint32_t kOneToOne = 0x1;
inline constexpr uint32_t kNotEnforced = 0x2;
inline constexpr uint32_t kCascadeUpdates = 0x100;
inline constexpr uint32_t kCascadeDeletes = 0x1000;
inline constexpr uint32_t kCascadeNull = 0x2000;
inline constexpr uint32_t kLeftJoin = 0x01000000;
inline constexpr uint32_t kRightJoin = 0x02000000;
}  // namespace relationship_flag

struct RelationshipColumn {
    std::u16string column;            // in the foreign-key table
    std::u16string referencedColumn;  // in the referenced (primary) table
};

struct Relationship {
    std::u16string name;
    std::u16string table;                     // holds the foreign key
    std::u16string referencedTable;           // the "one" side
    uint32_t flags = 0;                       // relationship_flag
    std::vector<RelationshipColumn> columns;  // by ordinal
    std::vector<RowLocation> rows;            // the stored rows, for a later delete
};

// Every relationship of the file, in the order of their first stored row. A file without
// MSysRelationships has none.
std::vector<Relationship> readRelationships(Database& db);

}  // namespace jet
