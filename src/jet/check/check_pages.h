// Page-level parts of the structural check: the free-space fields of data and TDEF pages.
#pragma once

#include <vector>

#include "jet/check/check_fault.h"
#include "jet/page/data_page.h"
#include "jet/page/page_file.h"
#include "jet/table/table_definition.h"

namespace jet {

// A data page's free space is what its header and rows leave: 4096 - 14 - 2 per row - the
// bytes of all rows, deleted rows included.
void checkDataPageSpace(const DataPage& page, std::vector<CheckFault>& faults);

// Each TDEF page's free space is what its part of the definition leaves, less 8 bytes Access
// always keeps back (0 on a full page). Continuation pages count their 8-byte header.
void checkDefinitionSpace(PageFile& file, const TableDefinition& table,
                          std::vector<CheckFault>& faults);

}  // namespace jet
