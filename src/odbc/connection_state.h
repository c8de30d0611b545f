// What a connection's objects share: the logged-on ODBC connection, the environment it came
// from, and what the driver told us about itself at log-on.
#pragma once

#include <sql.h>

#include <memory>
#include <optional>
#include <string>

#include "odbc/handle.h"
#include "odbc/options.h"
#include "odbc/proven_shortcuts.h"

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

    // CursorDriver::UseNone or UseOdbc: every result set forward-only and read-only.
    bool forwardOnly = false;
    SQLUINTEGER getDataExtensions = 0;  // SQL_GETDATA_EXTENSIONS
    KnownDriver driver = KnownDriver::Other;
    ProvenShortcuts proven;       // for `driver`
    std::string dataSourceName;   // as the driver reports it
    std::string currentCatalog;   // the database in use; empty where the source has none
    std::string identifierQuote;  // empty when the source has none
    std::optional<SQLULEN> queryTimeout;
    std::string secret;  // the password, kept only to scrub it from diagnostics
};

// Allocates a connection under `environment` and logs on. The driver manager's cursor library
// is never loaded: a result set is read once from front to back, which needs no scrolling, and
// under the library long values cannot be read in full (it refuses SQLGetData and keeps only
// what fits a bound cell). UseOdbc gives what the library would give such a reading:
// forward-only, read-only result sets from the driver itself.
// Throws Error; its texts never contain the password.
std::shared_ptr<ConnectionState> logOnTo(std::shared_ptr<const Handle> environment,
                                         const LogOn& logOn);

}  // namespace odbc
