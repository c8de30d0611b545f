// The structural check of one real index: its B-tree against itself, its page map and the rows
// of its table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

#include "jet/check/check_fault.h"
#include "jet/check/check_table.h"
#include "jet/page/page_file.h"

namespace jet {

// Checks real index `number` of `table`:
//  - every tree page is an index page of this table, in the index's page map (`mapPages`), with
//    the free space its entries leave; every page of the map is in the tree;
//  - entries ascend strictly through the leaves; each node entry repeats the last entry of its
//    child's subtree; leaves are linked left to right, node pages at least within one parent;
//  - exactly one entry per row in `rows` that the index should hold, with the key computed from
//    the row; no duplicate keys in a unique index (rows with a NULL column aside);
//  - the TDEF's distinct-key count.
void checkIndex(PageFile& file, const TableUnderCheck& table, size_t number,
                const std::set<uint32_t>& mapPages, const TableRows& rows,
                std::vector<CheckFault>& faults);

// The index's name for messages: "Index 'A'" (the logical names sharing it joined by '/').
std::string indexName(const TableDefinition& table, size_t number);

}  // namespace jet
