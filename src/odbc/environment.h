// An ODBC environment with the log-on data and cursor choice for its connections, as RDO's
// rdoEnvironment.
//
// Text goes through the driver manager's narrow API as UTF-8 (SQLite's driver has no wide entry
// points, and converting to them loses characters); values come as UTF-16. Some drivers
// (psqlODBC's Unicode one) get this right only when the program runs under a UTF-8 locale:
// call setlocale(LC_ALL, "") with LANG=C.UTF-8 or similar before opening connections.
#pragma once

#include <memory>
#include <string>

#include "odbc/connection.h"
#include "odbc/options.h"

namespace odbc {

class Handle;

class Environment {
  public:
    // Sets up an ODBC 3 environment. `user` and `password` are used for every connection
    // opened from it. Throws Error.
    Environment(std::string name, std::string user, std::string password);
    ~Environment();
    Environment(Environment&&) noexcept;
    Environment& operator=(Environment&&) noexcept;

    const std::string& name() const { return name_; }
    const std::string& user() const { return user_; }

    // Who provides cursors to connections opened from now on; UseIfNeeded unless set.
    // Throws Error for UseClientBatch, which has no ODBC counterpart.
    CursorDriver cursorDriver() const { return cursorDriver_; }
    void setCursorDriver(CursorDriver driver);

    // Logs on to the data source named `dataSourceName` (a DSN from odbc.ini) with the
    // environment's user and password. `readOnly` asks for SQL_MODE_READ_ONLY, which drivers
    // treat as a hint. Throws Error: IM002 for an unknown name, 08001 (usually) for a refused
    // log-on; the password never appears in its texts.
    Connection openConnection(const std::string& dataSourceName, bool readOnly = false);

    // Ends this object's hold on the ODBC environment; connections still open keep it alive.
    // Further calls to openConnection throw.
    void close();
    bool isOpen() const { return handle_ != nullptr; }

  private:
    std::shared_ptr<const Handle> handle_;
    std::string name_;
    std::string user_;
    std::string password_;
    CursorDriver cursorDriver_ = CursorDriver::UseIfNeeded;
};

// As RDO's rdoCreateEnvironment.
Environment createEnvironment(std::string name, std::string user, std::string password);

}  // namespace odbc
