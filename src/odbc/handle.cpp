#include "odbc/handle.h"

#include <utility>

#include "odbc/diagnostic_records.h"

namespace odbc {

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
    if (SQL_SUCCEEDED(rc)) return;
    handle_ = SQL_NULL_HANDLE;
    if (type == SQL_HANDLE_ENV) {
        throw Error("Die ODBC-Umgebung konnte nicht angelegt werden", "HY001");
    }
    SQLSMALLINT parentType = type == SQL_HANDLE_DBC ? SQL_HANDLE_ENV : SQL_HANDLE_DBC;
    throw Error("Ein ODBC-Handle konnte nicht angelegt werden",
                readDiagnostics(parentType, parent));
}

Handle::Handle(Handle&& other) noexcept
    : type_(other.type_), handle_(std::exchange(other.handle_, nullptr)) {}

Handle& Handle::operator=(Handle&& other) noexcept {
    if (this != &other) {
        reset();
        type_ = other.type_;
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void Handle::reset() noexcept {
    if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(type_, handle_);
    handle_ = SQL_NULL_HANDLE;
}

}  // namespace odbc
