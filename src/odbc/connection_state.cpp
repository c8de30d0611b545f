#include "odbc/connection_state.h"

#include <sqlext.h>

#include <algorithm>
#include <vector>

#include "odbc/diagnostics.h"

namespace odbc {
namespace {

std::string quoted(const std::string& name) {
    return "„" + name + "“";
}

SQLCHAR* text(const std::string& s) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}

SQLSMALLINT textLength(const std::string& s) {
    return static_cast<SQLSMALLINT>(s.size());
}

void connectTo(ConnectionState& state, const LogOn& logOn) {
    state.connection = Handle(SQL_HANDLE_DBC, state.environment->get());
    check(SQLSetConnectAttr(state.connection.get(), SQL_ATTR_ODBC_CURSORS,
                            reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_CUR_USE_DRIVER)),
                            SQL_IS_UINTEGER),
          state.connection, "Die Cursor des Treibers konnten nicht gewählt werden");
    SQLRETURN rc = SQLConnect(
        state.connection.get(), text(logOn.dataSourceName), textLength(logOn.dataSourceName),
        text(logOn.user), textLength(logOn.user), text(logOn.password), textLength(logOn.password));
    check(rc, state.connection,
          "Die Verbindung zur Datenquelle " + quoted(logOn.dataSourceName) + " ist fehlgeschlagen",
          state.secret);
    state.connected = true;
}

void disconnect(ConnectionState& state) noexcept {
    if (!state.connected) return;
    if (!SQL_SUCCEEDED(SQLDisconnect(state.connection.get()))) {
        // An open transaction blocks the disconnect (25000); nothing of ours needs keeping.
        SQLEndTran(SQL_HANDLE_DBC, state.connection.get(), SQL_ROLLBACK);
        SQLDisconnect(state.connection.get());
    }
    state.connected = false;
}

SQLUINTEGER infoNumber(const ConnectionState& state, SQLUSMALLINT item) {
    SQLUINTEGER value = 0;
    SQLRETURN rc = SQLGetInfo(state.connection.get(), item, &value, sizeof value, nullptr);
    return SQL_SUCCEEDED(rc) ? value : 0;
}

std::string infoText(const ConnectionState& state, SQLUSMALLINT item) {
    std::vector<char> buffer(256);
    SQLSMALLINT length = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        SQLRETURN rc = SQLGetInfo(state.connection.get(), item, buffer.data(),
                                  static_cast<SQLSMALLINT>(buffer.size()), &length);
        if (!SQL_SUCCEEDED(rc)) return {};
        if (static_cast<size_t>(length) < buffer.size()) break;
        buffer.resize(static_cast<size_t>(length) + 1);
    }
    return std::string(buffer.data(), std::min(static_cast<size_t>(length), buffer.size() - 1));
}

// The database in use: SQL_ATTR_CURRENT_CATALOG, or SQL_DATABASE_NAME for drivers that only
// answer that.
std::string currentCatalog(const ConnectionState& state) {
    std::vector<char> buffer(1024);
    SQLINTEGER length = 0;
    SQLRETURN rc =
        SQLGetConnectAttr(state.connection.get(), SQL_ATTR_CURRENT_CATALOG, buffer.data(),
                          static_cast<SQLINTEGER>(buffer.size()), &length);
    if (SQL_SUCCEEDED(rc) && length > 0 && static_cast<size_t>(length) < buffer.size()) {
        return std::string(buffer.data(), static_cast<size_t>(length));
    }
    return infoText(state, SQL_DATABASE_NAME);
}

void setReadOnly(ConnectionState& state) {
    SQLRETURN rc = SQLSetConnectAttr(
        state.connection.get(), SQL_ATTR_ACCESS_MODE,
        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_MODE_READ_ONLY)), SQL_IS_UINTEGER);
    if (SQL_SUCCEEDED(rc)) return;  // 01S02 included: read-only is a hint in ODBC
    std::vector<DiagnosticRecord> records = readDiagnostics(state.connection);
    if (hasState(records, "HYC00")) return;
    redact(records, state.secret);
    throw Error("Die Verbindung lässt sich nicht auf „nur lesen“ stellen", std::move(records));
}

void readDriverFacts(ConnectionState& state) {
    state.getDataExtensions = infoNumber(state, SQL_GETDATA_EXTENSIONS);
    state.dataSourceName = infoText(state, SQL_DATA_SOURCE_NAME);
    state.identifierQuote = infoText(state, SQL_IDENTIFIER_QUOTE_CHAR);
    if (state.identifierQuote == " ") state.identifierQuote.clear();  // ODBC's "no quoting"
    state.driver = identifyDriver(infoText(state, SQL_DRIVER_NAME));
    state.proven = provenShortcuts(state.driver);
    state.currentCatalog = currentCatalog(state);
}

}  // namespace

ConnectionState::~ConnectionState() {
    disconnect(*this);
}

std::shared_ptr<ConnectionState> logOnTo(std::shared_ptr<const Handle> environment,
                                         const LogOn& logOn) {
    auto state = std::make_shared<ConnectionState>();
    state->environment = std::move(environment);
    state->secret = logOn.password;
    state->forwardOnly =
        logOn.cursorDriver == CursorDriver::UseNone || logOn.cursorDriver == CursorDriver::UseOdbc;
    connectTo(*state, logOn);
    if (logOn.readOnly) setReadOnly(*state);
    readDriverFacts(*state);
    return state;
}

}  // namespace odbc
