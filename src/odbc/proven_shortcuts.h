// Which fetching shortcuts are used with a driver: only those the driver matrix of the tests
// has shown right, by reading every type the server offers under every cursor setting the
// transfer uses and comparing each value with the server's own rows. What a driver claims proves
// nothing: FreeTDS and MariaDB's driver claim SQL_GD_BLOCK and accept SQLSetPos(SQL_POSITION),
// yet read other rows' values (FreeTDS) or fetch a row twice (MariaDB) after it.
//
// A driver not in the list gets none of the shortcuts: one row per SQLFetch, every value
// through SQLGetData in column order, no fetching on a thread of its own. That path is slower
// but relies on nothing beyond the ODBC core every driver offers.
#pragma once

#include <string_view>

namespace odbc {

// The drivers of the matrix (Debian 12's packages), recognised by their file name.
enum class KnownDriver {
    Other,
    Sqlite,           // libsqlite3odbc (SQLite ODBC)
    PostgresUnicode,  // psqlodbcw
    PostgresAnsi,     // psqlodbca
    MariaDb,          // libmaodbc (MariaDB Connector/ODBC)
    FreeTds,          // libtdsodbc (Microsoft SQL Server and Sybase)
};

struct ProvenShortcuts {
    bool boundColumns = false;  // SQLBindCol for values that fit a cell of known size
    bool rowArrays = false;     // more than one row per SQLFetch
    // SQLSetPos(SQL_POSITION) and SQLGetData on a row inside a row array.
    bool getDataInRowArrays = false;
    // A bound column's value that did not fit its cell is read in full with SQLGetData.
    bool getDataOnBoundColumns = false;
    bool readAhead = false;  // the next rows fetched on a thread of their own
    // Text fetched as UTF-8 (SQL_C_CHAR) rather than UTF-16: MariaDB's driver cuts UTF-16
    // pieces inside a character and counts 4-byte characters wrongly, but is exact in UTF-8;
    // psqlODBC's ANSI driver has no UTF-16 at all.
    bool textAsUtf8 = false;
    // Dates and time stamps fetched as text: MariaDB's driver turns a zero date into NULL,
    // SQLite's one a text that is no date, psqlODBC -infinity into a zero date.
    bool datesAsText = false;
    // BIT bound as an unsigned TINYINT: MariaDB's driver does not write the length of a bound
    // SQL_C_BIT value, so after a NULL every later value of the column read as NULL.
    bool bitAsTinyint = false;
    // A statement executes on one connection while another connection of the same program
    // works: the table's count runs beside the execution of its SELECT.
    bool besideOtherConnections = false;
    // Every integer column fetched as 64 bits: SQLite keeps any integer in any column, and its
    // driver cuts a value beyond the declared type's width silently (2^40 + 5 as INTEGER: 5).
    bool integersAs64Bit = false;
};

// From SQLGetInfo(SQL_DRIVER_NAME), the driver's file name ("psqlodbcw.so").
KnownDriver identifyDriver(std::string_view driverFileName);

ProvenShortcuts provenShortcuts(KnownDriver driver);

}  // namespace odbc
