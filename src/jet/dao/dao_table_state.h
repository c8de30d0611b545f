// What the DAO database keeps per table it wrote to: the definition with its counts in memory,
// and the inserter that changes both.
#pragma once

#include <memory>

#include "jet/index/table_inserter.h"
#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"
#include "jet/table/table_definition.h"

namespace jet::dao {

struct TableState {
    TableDefinition definition;
    TableInserter inserter;
    // Shared with each open recordset of the table: held elsewhere, the table is in use.
    std::shared_ptr<const int> recordsetUse = std::make_shared<const int>(0);

    bool usedByRecordset() const { return recordsetUse.use_count() > 1; }

    TableState(PageFile& file, PageAllocator& allocator, const TableDefinition& stored)
        : definition(stored), inserter(file, allocator, definition) {}
};

}  // namespace jet::dao
