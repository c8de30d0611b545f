// The structural check of one table's rows: moved rows, long values, the TDEF's row count, and
// what each of its real indexes should hold.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "jet/check/check_fault.h"
#include "jet/page/page_file.h"
#include "jet/table/table.h"
#include "jet/table/table_definition.h"

namespace jet {

// A table as the check sees it: its definition and the pages its maps name.
struct TableUnderCheck {
    std::string name;  // "Tabelle 'X'", for messages
    bool system = false;
    TableDefinition definition;
    std::map<uint16_t, std::set<uint32_t>> longValuePages;  // column number -> its page map
};

// The entry a row asks of an index.
struct ExpectedEntry {
    RowLocation row;
    std::vector<uint8_t> key;  // empty when the index's keys cannot be computed
    bool hasNull = false;      // some indexed column is NULL (exempt from uniqueness)
};

struct IndexExpectation {
    std::vector<ExpectedEntry> entries;  // one per row the index should hold, by row id
    // False when this engine cannot compute the keys (an unsupported sort order): then only
    // which rows are indexed is checked, not the key bytes.
    bool keysKnown = true;
};

struct TableRows {
    std::set<RowLocation> live;             // every live row, by row id
    std::set<RowLocation> unreadable;       // live rows whose values could not be decoded
    std::vector<IndexExpectation> indexes;  // per real index, in definition order
};

// Reads every live row of `table` by row id, checking moved rows and long values and comparing
// the count with the TDEF: exactly for user tables; system tables' counts may lag behind their
// rows, as Access does not always write them back (MSysQueries, MSysACEs in queryTest and
// testV2000), but never exceed them. Faults go to `faults`; rows that cannot be read are reported
// there and listed as unreadable.
TableRows scanTableRows(PageFile& file, const TableUnderCheck& table,
                        std::vector<CheckFault>& faults);

}  // namespace jet
