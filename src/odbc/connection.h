// A logged-on connection to an ODBC data source, as RDO's rdoConnection: its name, its tables,
// and result sets of SQL statements.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "odbc/options.h"
#include "odbc/resultset.h"
#include "odbc/table_list.h"

namespace odbc {

struct ConnectionState;

class Connection {
  public:
    // Made by Environment::openConnection.
    explicit Connection(std::shared_ptr<ConnectionState> state);
    ~Connection();
    Connection(Connection&&) noexcept;
    Connection& operator=(Connection&&) noexcept;

    // The name of the data source as the driver reports it (SQL_DATA_SOURCE_NAME): never a
    // connect string, so it is safe to show and log.
    const std::string& dataSourceName() const;
    // The character that quotes identifiers (SQL_IDENTIFIER_QUOTE_CHAR), "\"" for most
    // sources; empty when the source has none.
    const std::string& identifierQuote() const;

    // Seconds a statement may run before the driver cancels it; 0 means no limit. Applies to
    // statements opened afterwards. Unset, the driver's default holds (0 for ODBC).
    void setQueryTimeout(int seconds);

    // The tables, read from the server on first use; TableList::refresh reads them again.
    TableList& tables();

    // Executes `sql` and returns its rows. `type` and `lockType` map to SQL_ATTR_CURSOR_TYPE and
    // SQL_ATTR_CONCURRENCY; unset, the driver's defaults hold. The driver may substitute other
    // settings (01S02); Resultset::type() and lockType() tell what it granted. Throws Error.
    Resultset openResultset(const std::string& sql,
                            std::optional<ResultsetType> type = std::nullopt,
                            std::optional<LockType> lockType = std::nullopt);

    // Executes a statement without result set; returns the rows it affected (-1 when the
    // driver does not say). Throws Error.
    int64_t execute(const std::string& sql);

    // Whether a statement of this connection may execute on a thread of its own while
    // another connection is used on the caller's: only where the driver matrix has shown it
    // right (proven_shortcuts.h).
    bool worksBesideOtherConnections() const;

    // The database the connection works in (SQL_ATTR_CURRENT_CATALOG); empty where the source
    // has none (SQLite).
    const std::string& currentCatalog() const;

    // Ends this object's hold on the connection. Result sets still open keep the connection
    // alive until they are closed; then it disconnects. Further calls but isOpen() throw.
    void close();
    bool isOpen() const { return state_ != nullptr; }

  private:
    const std::shared_ptr<ConnectionState>& state() const;

    std::shared_ptr<ConnectionState> state_;
    std::optional<TableList> tables_;
};

}  // namespace odbc
