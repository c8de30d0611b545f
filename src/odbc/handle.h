// Ownership of one ODBC handle (environment, connection or statement): freed exactly once.
#pragma once

#include <sql.h>

namespace odbc {

class Handle {
  public:
    Handle() = default;
    // Allocates a handle of `type` under `parent` (SQL_NULL_HANDLE for an environment).
    // Throws Error with the parent's diagnostics when the driver manager refuses.
    Handle(SQLSMALLINT type, SQLHANDLE parent);
    ~Handle() { reset(); }

    Handle(Handle&& other) noexcept;
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }
    explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }

    // Frees the handle now. A connection handle must be disconnected first.
    void reset() noexcept;

  private:
    SQLSMALLINT type_ = 0;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

}  // namespace odbc
