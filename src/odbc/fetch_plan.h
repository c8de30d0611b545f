// Deciding how a result set is fetched: which columns are bound into the row-array buffer and
// how many rows one SQLFetch brings, from what the driver offers and what is proven right for
// it (proven_shortcuts.h).
#pragma once

#include <cstddef>
#include <vector>

#include "odbc/cell_format.h"

namespace odbc {

// What may be used with this driver: its SQL_GETDATA_EXTENSIONS, each only where the driver
// matrix has also proven it, and the proven shortcuts themselves.
struct FetchAbilities {
    bool bindColumns = false;       // SQLBindCol at all
    bool rowArrays = false;         // more than one row per fetch
    bool getDataAnyColumn = false;  // SQL_GD_ANY_COLUMN
    bool getDataBound = false;      // SQL_GD_BOUND: a bound column can be read again
    bool getDataBlock = false;      // SQL_GD_BLOCK: SQLGetData within a row array (after SQLSetPos)
};

struct FetchPlan {
    std::vector<bool> bound;  // per column: bound, or read with SQLGetData on every row
    size_t rowsPerFetch = 1;
};

// Most rows one fetch brings, and the buffer one row array may take.
constexpr size_t kMaxRowsPerFetch = 1000;
constexpr size_t kRowArrayBudgetBytes = size_t{8} << 20;

// The rules:
// - Without bound columns every value comes through SQLGetData, one row per fetch.
// - A variable-length column is bound only when a cut value can be read again in full
//   (SQL_GD_BOUND); otherwise it is read with SQLGetData.
// - Without SQL_GD_ANY_COLUMN, every column after the first SQLGetData one is read that way too.
// - Row arrays need SQL_GD_BLOCK as soon as any value may have to come through SQLGetData;
//   otherwise one row per fetch.
FetchPlan planFetch(const std::vector<CellFormat>& formats, const FetchAbilities& abilities);

}  // namespace odbc
