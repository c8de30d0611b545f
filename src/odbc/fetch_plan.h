// Deciding how a result set is fetched: which columns are bound into the row-array buffer and
// how many rows one SQLFetch brings, from what the driver allows.
#pragma once

#include <cstddef>
#include <vector>

#include "odbc/cell_format.h"

namespace odbc {

// The driver's SQL_GETDATA_EXTENSIONS, and whether the cursor library is in between.
struct FetchAbilities {
    bool getDataAnyColumn = false;  // SQL_GD_ANY_COLUMN
    bool getDataBound = false;      // SQL_GD_BOUND: a bound column can be read again
    bool getDataBlock = false;      // SQL_GD_BLOCK: SQLGetData within a row array (after SQLSetPos)
    bool cursorLibrary = false;
};

struct FetchPlan {
    std::vector<bool> bound;  // per column: bound, or read with SQLGetData on every row
    size_t rowsPerFetch = 1;
    // Rows of the arrays may need SQLGetData, which needs SQLSetPos. Some drivers announce
    // SQL_GD_BLOCK but refuse SQLSetPos on some cursors, so the first fetch brings one row and
    // positioning is tried on it before row arrays are used.
    bool tryPositioningFirst = false;
    // A bound value cut short can be read again with SQLGetData.
    bool canReadAgain = true;
    // The row status array means what ODBC says. The cursor library marks a row with a cut
    // value 1, which is SQL_ROW_DELETED, so its statuses are not used.
    bool rowStatusUsable = true;
};

// Most rows one fetch brings, and the buffer one row array may take.
constexpr size_t kMaxRowsPerFetch = 1000;
constexpr size_t kRowArrayBudgetBytes = size_t{8} << 20;

// The rules:
// - A variable-length column is bound only when a cut value can be read again in full
//   (SQL_GD_BOUND); otherwise it is read with SQLGetData.
// - Without SQL_GD_ANY_COLUMN, every column after the first SQLGetData one is read that way too.
// - Row arrays need SQL_GD_BLOCK as soon as any value may have to come through SQLGetData
//   (and a working SQLSetPos, tried first); otherwise one row per fetch.
// - Under the cursor library every column is bound and one row per fetch. It refuses SQLFetch
//   without any bound column (SL009) and SQLGetData on forward-only cursors (SL008); on static
//   ones it answers SQLGetData by querying again with a WHERE clause appended to the statement,
//   which breaks on ORDER BY and finds wrong rows. So a value cut short there is an error.
FetchPlan planFetch(const std::vector<CellFormat>& formats, const FetchAbilities& abilities);

}  // namespace odbc
