#include "odbc/connection.h"

#include <sql.h>
#include <sqlext.h>

#include <utility>

#include "odbc/connection_state.h"
#include "odbc/error.h"
#include "odbc/statement.h"

namespace odbc {

Connection::Connection(std::shared_ptr<ConnectionState> state) : state_(std::move(state)) {
    if (state_->driver == KnownDriver::FreeTds) {
        // FreeTDS sets no text size, and Sybase servers then cut text and image values at
        // their default (32 KB) without a word: a value must never arrive shortened.
        Statement(state_).execute("SET TEXTSIZE 2147483647");
    }
}
Connection::~Connection() = default;
Connection::Connection(Connection&&) noexcept = default;
Connection& Connection::operator=(Connection&&) noexcept = default;

const std::shared_ptr<ConnectionState>& Connection::state() const {
    if (!state_) throw Error("Die Verbindung ist geschlossen", "08003");
    return state_;
}

const std::string& Connection::dataSourceName() const {
    return state()->dataSourceName;
}

const std::string& Connection::identifierQuote() const {
    return state()->identifierQuote;
}

void Connection::setQueryTimeout(int seconds) {
    if (seconds < 0) {
        throw Error(
            "Die Abfrage-Zeitbegrenzung kann nicht negativ sein: " + std::to_string(seconds),
            "HY024");
    }
    state()->queryTimeout = static_cast<SQLULEN>(seconds);
}

TableList& Connection::tables() {
    if (!tables_) {
        TableList list(state());
        list.refresh();
        tables_ = std::move(list);
    }
    return *tables_;
}

Resultset Connection::openResultset(const std::string& sql, std::optional<ResultsetType> type,
                                    std::optional<LockType> lockType) {
    return Resultset(state(), sql, type, lockType);
}

int64_t Connection::execute(const std::string& sql) {
    Statement statement(state());
    statement.execute(sql);
    SQLLEN rows = -1;
    if (!SQL_SUCCEEDED(SQLRowCount(statement.get(), &rows))) rows = -1;
    return rows;
}

bool Connection::worksBesideOtherConnections() const {
    return state()->proven.besideOtherConnections;
}

const std::string& Connection::currentCatalog() const {
    return state()->currentCatalog;
}

void Connection::close() {
    tables_.reset();
    state_.reset();
}

}  // namespace odbc
