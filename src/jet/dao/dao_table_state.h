// What the DAO database keeps per table it wrote to: the definition with its counts in memory,
// and the inserter that changes both.
#pragma once

#include "jet/index/table_inserter.h"
#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"
#include "jet/table/table_definition.h"

namespace jet::dao {

struct TableState {
    TableDefinition definition;
    TableInserter inserter;

    TableState(PageFile& file, PageAllocator& allocator, const TableDefinition& stored)
        : definition(stored), inserter(file, allocator, definition) {}
};

}  // namespace jet::dao
