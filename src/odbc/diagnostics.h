// Reading a handle's diagnostic records and turning failed calls into Error.
#pragma once

#include <sql.h>

#include <string>
#include <string_view>
#include <vector>

#include "odbc/diagnostic_records.h"
#include "odbc/error.h"
#include "odbc/handle.h"

namespace odbc {

// All diagnostic records of `handle`, in the driver's order.
inline std::vector<DiagnosticRecord> readDiagnostics(const Handle& handle) {
    return readDiagnostics(handle.type(), handle.get());
}

// Replaces every occurrence of `secret` in the messages by "***"; an empty secret changes nothing.
// Drivers may echo connection attributes in their messages; the password must never reach a log.
void redact(std::vector<DiagnosticRecord>& records, std::string_view secret);

// Throws Error(lead, diagnostics of `handle`, redacted) unless `rc` reports success (with or
// without information).
void check(SQLRETURN rc, const Handle& handle, std::string_view lead, std::string_view secret = {});

[[noreturn]] void fail(const Handle& handle, std::string_view lead, std::string_view secret = {});

// True when the first non-warning record of `records` carries `sqlState`.
bool hasState(const std::vector<DiagnosticRecord>& records, std::string_view sqlState);

}  // namespace odbc
