// Reading the diagnostic records of a raw ODBC handle: what the handle wrappers themselves need
// when an allocation fails, before there is a Handle to ask.
#pragma once

#include <sql.h>

#include <vector>

#include "odbc/error.h"

namespace odbc {

// All diagnostic records of `handle` (of ODBC handle type `type`), in the driver's order;
// none for a null handle.
std::vector<DiagnosticRecord> readDiagnostics(SQLSMALLINT type, SQLHANDLE handle);

}  // namespace odbc
