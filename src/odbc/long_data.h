// Reading one whole value of the current row with SQLGetData, however long it is.
#pragma once

#include <sql.h>

#include <cstddef>
#include <vector>

namespace odbc {

class Statement;

// Reads column `column` (1-based) of the current row as `cType` into `buffer`, which is reused
// and only ever grows, so steady fetching allocates nothing. Returns false for NULL; otherwise
// `length` is the number of bytes of the value, without terminator. The driver's reported
// total (after 01004) sizes the next piece; when it reports none the buffer doubles.
bool readWholeValue(const Statement& statement, SQLUSMALLINT column, SQLSMALLINT cType,
                    std::vector<unsigned char>& buffer, size_t& length);

}  // namespace odbc
