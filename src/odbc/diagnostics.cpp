#include "odbc/diagnostics.h"

#include <sqlext.h>

#include <algorithm>

namespace odbc {

void redact(std::vector<DiagnosticRecord>& records, std::string_view secret) {
    if (secret.empty()) return;
    for (DiagnosticRecord& record : records) {
        for (size_t at = record.message.find(secret); at != std::string::npos;
             at = record.message.find(secret, at + 3)) {
            record.message.replace(at, secret.size(), "***");
        }
    }
}

void check(SQLRETURN rc, const Handle& handle, std::string_view lead, std::string_view secret) {
    if (!SQL_SUCCEEDED(rc)) fail(handle, lead, secret);
}

void fail(const Handle& handle, std::string_view lead, std::string_view secret) {
    std::vector<DiagnosticRecord> records = readDiagnostics(handle);
    redact(records, secret);
    throw Error(std::string(lead), std::move(records));
}

bool hasState(const std::vector<DiagnosticRecord>& records, std::string_view sqlState) {
    for (const DiagnosticRecord& record : records) {
        if (record.sqlState.rfind("01", 0) != 0) return record.sqlState == sqlState;
    }
    return false;
}

}  // namespace odbc
