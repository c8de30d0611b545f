// Creating a table from a NewTable, in three steps that can be used apart:
//   layoutTable             the definition as Access lays out a new table (no pages yet);
//   writeNewTableDefinition its pages: TDEF, usage maps, an empty root for each real index;
//   createTable             all that plus its catalog rows (MSysObjects, MSysACEs).
// A blank database's system tables use the first two alone, before a catalog exists.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/ddl/new_table.h"
#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"
#include "jet/table/table_definition.h"

namespace jet {

namespace dao {
class Database;
}

// The sort order Access gives every new column: the database's own (header, 0x6E).
struct SortOrder {
    uint16_t lcid = 0x0409;
    uint8_t version = 0;
};

// The bytes a column of a fixed-size type takes (Boolean 1, though it lives in the null
// mask); 0 for Text, Binary, Memo and OLE.
uint16_t fixedTypeLength(ColumnType type);

// The definition of `table` with every field laid out and no pages: column numbers and display
// positions in the given order, variable-table slots, fixed-area offsets (Booleans take none),
// the fixed and updatable flags, lengths by type, the sort order on every non-decimal column.
// Logical indexes are numbered in the given order and stored sorted by name, as Access stores
// them; indexes with equal columns and flags share one real index. `tableType` is 0x4E for a
// user table, 0x53 for a system table. Throws InvalidArgument for a table without columns, a
// name too long, an index over a column the table lacks or over more than 10 columns, a
// duplicate index name, more than 255 columns or 32 indexes. In an Access 97 `format` every
// column carries the code page and General, text lengths count characters, and a Decimal
// column is refused (InvalidArgument).
TableDefinition layoutTable(const NewTable& table, const Format& format, SortOrder sort = {},
                            uint8_t tableType = 0x4E);

// Gives a laid-out definition its pages and writes them: the first TDEF page (taken first, so
// that it is the table's catalog Id), one usage-map page holding the owned-pages and
// free-space maps, one map per real index and two per long-value column (more pages when they
// do not fit one), then an empty leaf root for each real index. Sets firstPage, pages, the map
// references and the roots in `t`.
void writeNewTableDefinition(PageFile& file, PageAllocator& allocator, TableDefinition& t);

// The LvProp blob of a new table: the table's own properties, then each column's, in column
// order; empty when there are none. Stored as Jet 3's "KKD" blob when `codePage` (the file's
// Format::textCodePage()) is set.
std::vector<uint8_t> newTablePropertyBlob(const NewTable& table, uint16_t codePage);

// Stores `table` as a new, empty table of `db`: its pages, its MSysObjects row (under the
// Tables container, dated now, owned by the database's owner, with the property blob) and its
// MSysACEs rows (one per inheritable permission on the Tables container that Access hands on
// to new tables). Returns the catalog Id (the first TDEF page). Throws TableExists when a
// table of that name (ignoring case) is there; before writing anything, it also refuses a
// catalog row whose index keys cannot be formed (UnsupportedFormat: a sort order without key
// data) and a file without room for the pages (DatabaseFull). The caller reloads the catalog.
int32_t createTable(dao::Database& db, const NewTable& table);

}  // namespace jet
