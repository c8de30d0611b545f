// What the DAO database keeps per table it wrote to: the definition with its counts in memory,
// and the inserter that changes both.
#pragma once

#include "jet/dao_database.h"

namespace jet::dao {

struct Database::TableState {
    TableDefinition definition;
    TableInserter inserter;

    TableState(PageFile& file, PageAllocator& allocator, const TableDefinition& stored)
        : definition(stored), inserter(file, allocator, definition) {}
};

}  // namespace jet::dao
