// How one result column is fetched: the C type we ask the driver for and the room a value
// takes in the row-array buffer.
#pragma once

#include <sql.h>

#include <cstddef>
#include <vector>

#include "odbc/column_info.h"

namespace odbc {

class Statement;

// Which Value alternative a column's values become.
enum class ValueKind {
    Bit,
    SignedTinyint,
    UnsignedTinyint,
    Smallint,
    Integer,
    Bigint,
    UnsignedBigint,
    Real,
    Double,
    DecimalText,
    Text,
    Binary,
    Date,
    Time,
    Timestamp,
    Guid,
};

struct CellFormat {
    ValueKind kind = ValueKind::Text;
    SQLSMALLINT cType = 0;  // SQL_C_...
    size_t cellBytes = 0;   // room for one value in a bound row array
    // The value's length varies, so a bound cell can be too small and the value must then be
    // read (again) with SQLGetData. For long text and binary the cell holds only a first part.
    bool variable = false;
};

// Bytes of terminator the driver writes after variable data of `cType`.
size_t terminatorBytes(SQLSMALLINT cType);

// Picks the C type and cell size for a column. Exact numbers are fetched as text (SQL_C_NUMERIC
// is unreliable across drivers), all text as UTF-16, unknown types as the driver's text.
// Under the cursor library a long column's cell must hold the whole value (see fetch_plan.h),
// so it is made larger (64 KiB).
CellFormat cellFormatFor(const ColumnInfo& column, bool cursorLibrary = false);

// Reads the result columns of an executed statement (none for a statement without result set).
std::vector<ColumnInfo> describeColumns(const Statement& statement);

}  // namespace odbc
