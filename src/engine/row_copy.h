// Copying one server table's rows into its Access table (or staging table), column by column
// with the columns matched by name, reporting every field that fails and keeping the window
// responsive.
#pragma once

#include <string>

#include "engine/run_context.h"
#include "jet/dao/dao_database.h"
#include "odbc/connection.h"

namespace engine {

struct RowCopyTarget {
    std::string serverName;     // the server table's name, UTF-8, as the table list spells it
    std::u16string tableName;   // the same name for the activity lines
    std::u16string accessName;  // the table to fill: the table name, or the staging table's
};

// Counts the rows on `count`, reads "SELECT * FROM" the quoted name on `main` with the cursor
// settings of the server kind selected now (executed beside the count where the driver allows,
// see source_opening.h), and stores each row in `target.accessName`. Stops before the next row
// when the abort flag is set or after the row in which a field failed.
// Returns the table-failed flag. Failures other than a field's are not caught (odbc::Error,
// jet::Error); rows stored before them stay stored.
bool CopyRows(RunContext& run, odbc::Connection& main, odbc::Connection& count,
              jet::dao::Database& db, const RowCopyTarget& target);

}  // namespace engine
