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
// Room for a time of day or a date and time with offset written out in full.
constexpr size_t kTimeTextBytes = 40;
constexpr size_t kDateTextBytes = 48;
constexpr size_t kOffsetTimestampTextBytes = 64;
// SQL Server's own types as FreeTDS reports them (Microsoft's sqlncli.h).
constexpr int kSqlServerTime = -154;             // SQL_SS_TIME2
constexpr int kSqlServerTimestampOffset = -155;  // SQL_SS_TIMESTAMPOFFSET

CellFormat fixed(ValueKind kind, SQLSMALLINT cType, size_t bytes) {
    return {kind, cType, bytes, false};
}

CellFormat text(const ColumnInfo& column, bool declaredLong, bool utf8) {
    const ValueKind kind = utf8 ? ValueKind::Utf8Text : ValueKind::Text;
    const SQLSMALLINT cType = utf8 ? SQL_C_CHAR : SQL_C_WCHAR;
    if (declaredLong || column.size == 0 || column.size > kLargestBoundText) {
        return {kind, cType, kLongCellBytes, true};
    }
    // One more unit for the terminator. UTF-16 needs two units for characters outside the BMP,
    // UTF-8 up to four bytes a character; the truncation check catches what does not fit.
    const size_t units = static_cast<size_t>(column.size) * (utf8 ? 4 : 1) + 1;
    return {kind, cType, units * (utf8 ? 1 : sizeof(SQLWCHAR)), true};
}

CellFormat binary(const ColumnInfo& column, bool declaredLong) {
    if (declaredLong || column.size == 0 || column.size > kLargestBoundBinary) {
        return {ValueKind::Binary, SQL_C_BINARY, kLongCellBytes, true};
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

CellFormat formatFor(const ColumnInfo& column, const ProvenShortcuts& driver) {
    const bool utf8 = driver.textAsUtf8;
    switch (column.sqlType) {
        case SQL_BIT:
            return driver.bitAsTinyint ? fixed(ValueKind::Bit, SQL_C_UTINYINT, 1)
                                       : fixed(ValueKind::Bit, SQL_C_BIT, 1);
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            if (driver.integersAs64Bit) return fixed(ValueKind::Bigint, SQL_C_SBIGINT, 8);
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
            if (driver.datesAsText) return {ValueKind::DateText, SQL_C_CHAR, kDateTextBytes, true};
            return fixed(ValueKind::Date, SQL_C_TYPE_DATE, sizeof(SQL_DATE_STRUCT));
        case SQL_TYPE_TIME:
        case SQL_TIME:
        case kSqlServerTime:
            return {ValueKind::TimeText, SQL_C_CHAR, kTimeTextBytes, true};
        case kSqlServerTimestampOffset:
            return {ValueKind::OffsetTimestampText, SQL_C_CHAR, kOffsetTimestampTextBytes, true};
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            if (driver.datesAsText) {
                return {ValueKind::TimestampText, SQL_C_CHAR, kDateTextBytes, true};
            }
            return fixed(ValueKind::Timestamp, SQL_C_TYPE_TIMESTAMP, sizeof(SQL_TIMESTAMP_STRUCT));
        case SQL_GUID:
            return fixed(ValueKind::Guid, SQL_C_GUID, sizeof(SQLGUID));
        case SQL_BINARY:
        case SQL_VARBINARY:
            return binary(column, false);
        case SQL_LONGVARBINARY:
            return binary(column, true);
        case SQL_LONGVARCHAR:
        case SQL_WLONGVARCHAR:
            return text(column, true, utf8);
        default:  // CHAR, VARCHAR, their wide forms, and everything without a place in Value
            return text(column, false, utf8);
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

CellFormat cellFormatFor(const ColumnInfo& column, const ProvenShortcuts& driver) {
    return formatFor(column, driver);
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
