// How one result column is fetched: the C type we ask the driver for and the room a value
// takes in the row-array buffer.
#pragma once

#include <sql.h>

#include <cstddef>
#include <vector>

#include "odbc/column_info.h"
#include "odbc/proven_shortcuts.h"

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
    Text,      // UTF-16
    Utf8Text,  // UTF-8, for drivers whose UTF-16 is wrong (proven_shortcuts.h)
    Binary,
    Date,
    DateText,  // "2024-02-29", for drivers whose date structures hide invalid dates
    TimeText,  // a time of day as text ("[-]h:mm:ss[.fffffff]"), fraction and range kept
    Timestamp,
    TimestampText,  // "2024-02-29 13:14:15.123456", likewise
    // A date and time with its offset as text ("2024-02-29 13:14:15.1234567 +02:00"); the
    // wall-clock part is kept, as the server shows it.
    OffsetTimestampText,
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
// is unreliable across drivers), text as UTF-16 (or UTF-8 where the driver needs it), times of
// day as text (SQL_TIME_STRUCT has no fraction and no room for MariaDB's -838:59:59 to
// 838:59:59), dates as text where the driver's structures hide invalid ones, unknown types as
// the driver's text.
CellFormat cellFormatFor(const ColumnInfo& column, const ProvenShortcuts& driver = {});

// Reads the result columns of an executed statement (none for a statement without result set).
std::vector<ColumnInfo> describeColumns(const Statement& statement);

}  // namespace odbc
