// What the driver says about one result column (SQLDescribeCol, SQLColAttribute).
#pragma once

#include <cstdint>
#include <string>

namespace odbc {

struct ColumnInfo {
    std::string name;         // UTF-8, as the driver spells it
    int sqlType = 0;          // SQL_INTEGER, SQL_WVARCHAR, ... (sql.h / sqlext.h)
    uint64_t size = 0;        // column size: characters, digits or bytes; 0 when unknown
    int decimalDigits = 0;    // scale of exact numbers, fraction digits of times
    bool nullable = true;     // also when the driver does not know
    bool isUnsigned = false;  // an unsigned integer column (SQL_DESC_UNSIGNED)
};

}  // namespace odbc
