#include "odbc/statement.h"

#include <sqlext.h>

#include <utility>

#include "odbc/diagnostics.h"

namespace odbc {
namespace {

// SQL text in a message: enough to recognise the statement, not a whole script.
std::string excerpt(const std::string& sql) {
    constexpr size_t kLimit = 300;
    return sql.size() <= kLimit ? sql : sql.substr(0, kLimit) + " …";
}

}  // namespace

Statement::Statement(std::shared_ptr<ConnectionState> connection)
    : connection_(std::move(connection)), handle_(SQL_HANDLE_STMT, connection_->connection.get()) {
    if (!connection_->queryTimeout) return;
    SQLULEN seconds = *connection_->queryTimeout;
    SQLRETURN rc = SQLSetStmtAttr(get(), SQL_ATTR_QUERY_TIMEOUT,
                                  reinterpret_cast<SQLPOINTER>(seconds), SQL_IS_UINTEGER);
    // "No timeout" is every statement's default, so a driver without timeouts still obeys 0.
    if (!SQL_SUCCEEDED(rc) && seconds != 0) fail("Die Abfrage-Zeitbegrenzung wurde abgelehnt");
}

void Statement::setAttribute(SQLINTEGER attribute, SQLULEN value, std::string_view lead) const {
    check(SQLSetStmtAttr(get(), attribute, reinterpret_cast<SQLPOINTER>(value), SQL_IS_UINTEGER),
          lead);
}

void Statement::setPointer(SQLINTEGER attribute, SQLPOINTER pointer, std::string_view lead) const {
    check(SQLSetStmtAttr(get(), attribute, pointer, SQL_IS_POINTER), lead);
}

SQLULEN Statement::attribute(SQLINTEGER attribute) const {
    SQLULEN value = 0;
    SQLRETURN rc = SQLGetStmtAttr(get(), attribute, &value, SQL_IS_UINTEGER, nullptr);
    if (!SQL_SUCCEEDED(rc)) fail("Ein Anweisungsattribut ließ sich nicht lesen");
    return value;
}

void Statement::execute(const std::string& sql) {
    auto* text = reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str()));
    SQLRETURN rc = SQLExecDirect(get(), text, static_cast<SQLINTEGER>(sql.size()));
    if (rc == SQL_NO_DATA) return;
    check(rc, "Die SQL-Anweisung ist fehlgeschlagen: " + excerpt(sql));
}

void Statement::check(SQLRETURN rc, std::string_view lead) const {
    odbc::check(rc, handle_, lead, connection_->secret);
}

void Statement::fail(std::string_view lead) const {
    odbc::fail(handle_, lead, connection_->secret);
}

}  // namespace odbc
