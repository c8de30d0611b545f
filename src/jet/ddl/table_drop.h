// Giving every page of a dropped table, or of a dropped index, back to the global usage map.
#pragma once

#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"
#include "jet/table/table_definition.h"

namespace jet {

// Releases what is left of `table` once its rows are gone (TableInserter::deleteAll gave the
// data and long-value pages back): the pages of every index, the bitmap pages of reference
// maps, the TDEF chain, and the usage-map rows it names. Those rows are deleted and shrunk
// to nothing; a holder page then left without live rows is released as well, while one that
// still holds other tables' maps stays.
void releaseTableStorage(PageFile& file, PageAllocator& allocator, const TableDefinition& table);

// Releases the pages and the usage-map row of `index`, a real index of `table` that its
// definition no longer holds.
void releaseIndexStorage(PageFile& file, PageAllocator& allocator, const TableDefinition& table,
                         const RealIndexDef& index);

}  // namespace jet
