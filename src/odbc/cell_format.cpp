#include "odbc/cell_format.h"

#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <string>

#include "odbc/statement.h"

namespace odbc {
namespace {

// Larger declared sizes are treated like long data: binding them in full for a thousand rows
// would cost megabytes per column.
constexpr SQLULEN kLargestBoundText = 4000;    // characters
constexpr SQLULEN kLargestBoundBinary = 8000;  // bytes
// What a cell of a long column holds; longer values are read in full with SQLGetData.
constexpr size_t kLongCellBytes = 2048;
// Under the cursor library, which offers no SQLGetData we can use, the cell is all there is.
// It is kept small all the same: the cursor library writes every row's whole bound buffer to a
// temporary file, so a megabyte here would be a terabyte for a million rows.
constexpr size_t kCursorLibraryLongCellBytes = size_t{64} << 10;

CellFormat fixed(ValueKind kind, SQLSMALLINT cType, size_t bytes) {
    return {kind, cType, bytes, false};
}

CellFormat text(const ColumnInfo& column, bool declaredLong, size_t longCellBytes) {
    if (declaredLong || column.size == 0 || column.size > kLargestBoundText) {
        return {ValueKind::Text, SQL_C_WCHAR, longCellBytes, true};
    }
    // One more unit for the terminator; UTF-16 needs two units for characters outside the BMP,
    // which the truncation check catches.
    size_t bytes = (static_cast<size_t>(column.size) + 1) * sizeof(SQLWCHAR);
    return {ValueKind::Text, SQL_C_WCHAR, bytes, true};
}

CellFormat binary(const ColumnInfo& column, bool declaredLong, size_t longCellBytes) {
    if (declaredLong || column.size == 0 || column.size > kLargestBoundBinary) {
        return {ValueKind::Binary, SQL_C_BINARY, longCellBytes, true};
    }
    return {ValueKind::Binary, SQL_C_BINARY, std::max<size_t>(1, static_cast<size_t>(column.size)),
            true};
}

CellFormat decimal(const ColumnInfo& column) {
    // Sign, separator, a leading zero and the terminator around the digits.
    size_t digits = std::clamp<size_t>(static_cast<size_t>(column.size), 8, 1000);
    return {ValueKind::DecimalText, SQL_C_CHAR, digits + 4, true};
}

CellFormat integer(const ColumnInfo& column) {
    switch (column.sqlType) {
        case SQL_TINYINT:
            return column.isUnsigned ? fixed(ValueKind::UnsignedTinyint, SQL_C_UTINYINT, 1)
                                     : fixed(ValueKind::SignedTinyint, SQL_C_STINYINT, 1);
        case SQL_SMALLINT:
            return column.isUnsigned ? fixed(ValueKind::Integer, SQL_C_SLONG, 4)
                                     : fixed(ValueKind::Smallint, SQL_C_SSHORT, 2);
        case SQL_INTEGER:
            return column.isUnsigned ? fixed(ValueKind::Bigint, SQL_C_SBIGINT, 8)
                                     : fixed(ValueKind::Integer, SQL_C_SLONG, 4);
        default:
            return column.isUnsigned ? fixed(ValueKind::UnsignedBigint, SQL_C_UBIGINT, 8)
                                     : fixed(ValueKind::Bigint, SQL_C_SBIGINT, 8);
    }
}

std::string columnName(const Statement& statement, SQLUSMALLINT number, ColumnInfo& info) {
    std::string name(256, '\0');
    SQLSMALLINT length = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        SQLSMALLINT type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        SQLRETURN rc = SQLDescribeCol(
            statement.get(), number, reinterpret_cast<SQLCHAR*>(name.data()),
            static_cast<SQLSMALLINT>(name.size()), &length, &type, &size, &digits, &nullable);
        statement.check(rc, "Die Spalten der Ergebnismenge ließen sich nicht lesen");
        info.sqlType = type;
        info.size = size;
        info.decimalDigits = digits;
        info.nullable = nullable != SQL_NO_NULLS;
        if (static_cast<size_t>(length) < name.size()) break;
        name.assign(static_cast<size_t>(length) + 1, '\0');  // cut: ask again with room
    }
    name.resize(std::min(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)), name.size() - 1));
    return name;
}

bool isInteger(int sqlType) {
    return sqlType == SQL_TINYINT || sqlType == SQL_SMALLINT || sqlType == SQL_INTEGER ||
           sqlType == SQL_BIGINT;
}

bool isUnsigned(const Statement& statement, SQLUSMALLINT number) {
    SQLLEN value = SQL_FALSE;
    SQLRETURN rc =
        SQLColAttribute(statement.get(), number, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &value);
    return SQL_SUCCEEDED(rc) && value == SQL_TRUE;
}

CellFormat formatFor(const ColumnInfo& column, size_t longCell) {
    switch (column.sqlType) {
        case SQL_BIT:
            return fixed(ValueKind::Bit, SQL_C_BIT, 1);
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            return integer(column);
        case SQL_REAL:
            return fixed(ValueKind::Real, SQL_C_FLOAT, sizeof(SQLREAL));
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return fixed(ValueKind::Double, SQL_C_DOUBLE, sizeof(SQLDOUBLE));
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return decimal(column);
        case SQL_TYPE_DATE:
        case SQL_DATE:
            return fixed(ValueKind::Date, SQL_C_TYPE_DATE, sizeof(SQL_DATE_STRUCT));
        case SQL_TYPE_TIME:
        case SQL_TIME:
            return fixed(ValueKind::Time, SQL_C_TYPE_TIME, sizeof(SQL_TIME_STRUCT));
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            return fixed(ValueKind::Timestamp, SQL_C_TYPE_TIMESTAMP, sizeof(SQL_TIMESTAMP_STRUCT));
        case SQL_GUID:
            return fixed(ValueKind::Guid, SQL_C_GUID, sizeof(SQLGUID));
        case SQL_BINARY:
        case SQL_VARBINARY:
            return binary(column, false, longCell);
        case SQL_LONGVARBINARY:
            return binary(column, true, longCell);
        case SQL_LONGVARCHAR:
        case SQL_WLONGVARCHAR:
            return text(column, true, longCell);
        default:  // CHAR, VARCHAR, their wide forms, and everything without a place in Value
            return text(column, false, longCell);
    }
}

}  // namespace

size_t terminatorBytes(SQLSMALLINT cType) {
    switch (cType) {
        case SQL_C_WCHAR:
            return sizeof(SQLWCHAR);
        case SQL_C_CHAR:
            return 1;
        default:
            return 0;
    }
}

CellFormat cellFormatFor(const ColumnInfo& column, bool cursorLibrary) {
    return formatFor(column, cursorLibrary ? kCursorLibraryLongCellBytes : kLongCellBytes);
}

std::vector<ColumnInfo> describeColumns(const Statement& statement) {
    SQLSMALLINT count = 0;
    statement.check(SQLNumResultCols(statement.get(), &count),
                    "Die Spalten der Ergebnismenge ließen sich nicht lesen");
    std::vector<ColumnInfo> columns(static_cast<size_t>(std::max<SQLSMALLINT>(count, 0)));
    for (size_t i = 0; i < columns.size(); ++i) {
        auto number = static_cast<SQLUSMALLINT>(i + 1);
        columns[i].name = columnName(statement, number, columns[i]);
        columns[i].isUnsigned = isInteger(columns[i].sqlType) && isUnsigned(statement, number);
    }
    return columns;
}

}  // namespace odbc
