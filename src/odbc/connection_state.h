// What a connection's objects share: the logged-on ODBC connection, the environment it came
// from, and what the driver told us about itself at log-on.
#pragma once

#include <sql.h>

#include <memory>
#include <optional>
#include <string>

#include "odbc/handle.h"
#include "odbc/options.h"

namespace odbc {

// How to log on; the password stays inside the layer.
struct LogOn {
    std::string dataSourceName;
    std::string user;
    std::string password;
    CursorDriver cursorDriver = CursorDriver::UseIfNeeded;
    bool readOnly = false;
};

// Owned jointly by a Connection and the result sets and table list made from it, so whichever
// goes last disconnects; a statement never outlives its connection handle.
struct ConnectionState {
    ConnectionState() = default;
    ConnectionState(const ConnectionState&) = delete;
    ConnectionState& operator=(const ConnectionState&) = delete;
    // Disconnects (rolling back first if the driver insists) and frees the handle.
    ~ConnectionState();

    std::shared_ptr<const Handle> environment;  // declared first: freed after `connection`
    Handle connection;
    bool connected = false;

    bool cursorLibrary = false;         // the driver manager's cursor library sits in between
    bool noCursor = false;              // CursorDriver::UseNone: forward-only, read-only only
    SQLUINTEGER getDataExtensions = 0;  // SQL_GETDATA_EXTENSIONS
    std::string dataSourceName;         // as the driver reports it
    std::string identifierQuote;        // empty when the source has none
    std::optional<SQLULEN> queryTimeout;
    std::string secret;  // the password, kept only to scrub it from diagnostics
};

// Allocates a connection under `environment` and logs on. For UseIfNeeded the driver's own
// cursors are tried first and the cursor library taken only when the driver cannot scroll a
// static cursor (the driver manager's own rule, made here so we know which one we got).
// Throws Error; its texts never contain the password.
std::shared_ptr<ConnectionState> logOnTo(std::shared_ptr<const Handle> environment,
                                         const LogOn& logOn);

}  // namespace odbc
