#include "odbc/diagnostic_records.h"

#include <sqlext.h>

#include <algorithm>

namespace odbc {

std::vector<DiagnosticRecord> readDiagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    std::vector<DiagnosticRecord> records;
    if (handle == SQL_NULL_HANDLE) return records;
    std::string message(512, '\0');
    for (SQLSMALLINT number = 1;; ++number) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        auto* text = reinterpret_cast<SQLCHAR*>(message.data());
        auto capacity = static_cast<SQLSMALLINT>(message.size());
        SQLRETURN rc = SQLGetDiagRec(type, handle, number, state, &native, text, capacity, &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= capacity) {
            // The message was cut; ask again with room for all of it.
            message.resize(static_cast<size_t>(length) + 1);
            text = reinterpret_cast<SQLCHAR*>(message.data());
            capacity = static_cast<SQLSMALLINT>(message.size());
            rc = SQLGetDiagRec(type, handle, number, state, &native, text, capacity, &length);
        }
        if (!SQL_SUCCEEDED(rc)) break;
        size_t used = std::min<size_t>(static_cast<size_t>(length), message.size() - 1);
        records.push_back({reinterpret_cast<const char*>(state), native, message.substr(0, used)});
    }
    return records;
}

}  // namespace odbc
