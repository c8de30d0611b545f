// Giving back the space of deleted rows and of the long values they pointed at.
//
// Deleting a row (TableWriter::deleteRow) leaves its bytes in place, as Access does, so a
// catalog that tables keep being added to and removed from would grow without end. For the
// system tables' rows these helpers shrink a deleted row to nothing (the slot stays, flagged
// deleted, as Access leaves removed usage-map rows) and delete the long-value rows it used;
// a long-value page left without live rows goes back to the allocator.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"
#include "jet/table/table.h"
#include "jet/table/table_definition.h"

namespace jet {

// Where the row whose id is `id` lies: its own slot and, for a moved row, its new place.
std::vector<RowLocation> placesOfRow(PageFile& file, RowLocation id);

// Shrinks every slot of `places` that is deleted to zero bytes and gives the page's free space
// the bytes back. Live slots are left alone.
void reclaimDeletedRows(PageFile& file, const std::vector<RowLocation>& places);

// The long-value rows (single rows and every link of chains) the live row `id` of `table` uses.
std::vector<RowLocation> longValueRowsOfRow(PageFile& file, const TableDefinition& table,
                                            RowLocation id);

// Deletes the long-value rows `rows` (that nothing points at any more) and shrinks them to
// nothing. A long-value page left without live rows leaves the maps of the table's long-value
// columns and goes back to `allocator`.
void releaseLongValueRows(PageFile& file, PageAllocator& allocator, const TableDefinition& table,
                          const std::vector<RowLocation>& rows);

}  // namespace jet
