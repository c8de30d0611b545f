// One ODBC statement on a connection: attributes, execution, and errors that carry the
// driver's diagnostics.
#pragma once

#include <sql.h>

#include <memory>
#include <string>
#include <string_view>

#include "odbc/connection_state.h"
#include "odbc/handle.h"

namespace odbc {

class Statement {
  public:
    // Allocates the statement and gives it the connection's query timeout, if one was set.
    explicit Statement(std::shared_ptr<ConnectionState> connection);

    SQLHSTMT get() const { return handle_.get(); }
    const Handle& handle() const { return handle_; }
    const ConnectionState& connection() const { return *connection_; }
    const std::shared_ptr<ConnectionState>& sharedConnection() const { return connection_; }

    // Sets a statement attribute. A driver that substitutes a value it supports (01S02) is
    // accepted; read the attribute back to learn what it chose.
    void setAttribute(SQLINTEGER attribute, SQLULEN value, std::string_view lead) const;
    void setPointer(SQLINTEGER attribute, SQLPOINTER pointer, std::string_view lead) const;
    SQLULEN attribute(SQLINTEGER attribute) const;

    // SQLExecDirect with UTF-8 text. SQL_NO_DATA (a statement that touched no row) succeeds.
    void execute(const std::string& sql);

    void check(SQLRETURN rc, std::string_view lead) const;
    [[noreturn]] void fail(std::string_view lead) const;

  private:
    std::shared_ptr<ConnectionState> connection_;  // declared first: outlives `handle_`
    Handle handle_;
};

}  // namespace odbc
