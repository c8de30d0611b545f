// Taking an enforced relationship's foreign-key indexes out of its tables' definitions.
//
// Referential integrity puts a logical index (kind 2) into both tables: on the foreign-key
// side (role 2) over the foreign-key columns, on the referenced side (role 1) usually sharing
// the primary key's real index; each names the other table's TDEF page and logical index
// number. Removing one renumbers the logical indexes above it, so every foreign-key block in
// the file that names it as partner follows. A real index no logical index uses any more is
// removed with its pages.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/catalog/relationships.h"
#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"
#include "jet/table/table_definition.h"

namespace jet {

// Removes the foreign-key indexes of `relationship` between `foreignKey` (its table) and
// `referenced` from the file; `all` are the definitions of every table (for partner numbers).
// Returns the first TDEF pages of the definitions that changed: empty for a relationship
// without enforcement, which leaves no trace in any definition. REQUIRES: the definitions are
// as on disk (counts written).
std::vector<uint32_t> removeForeignKeyIndexes(PageFile& file, PageAllocator& allocator,
                                              const std::vector<const TableDefinition*>& all,
                                              const Relationship& relationship,
                                              const TableDefinition& foreignKey,
                                              const TableDefinition& referenced);

}  // namespace jet
