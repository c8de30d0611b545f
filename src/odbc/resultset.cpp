#include "odbc/resultset.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "odbc/cell_format.h"
#include "odbc/column_value.h"
#include "odbc/cursor_settings.h"
#include "odbc/diagnostics.h"
#include "odbc/fetch_plan.h"
#include "odbc/row_buffer.h"
#include "odbc/statement.h"

namespace odbc {
namespace {

FetchAbilities abilitiesOf(const ConnectionState& connection) {
    SQLUINTEGER bits = connection.getDataExtensions;
    return {(bits & SQL_GD_ANY_COLUMN) != 0, (bits & SQL_GD_BOUND) != 0, (bits & SQL_GD_BLOCK) != 0,
            connection.cursorLibrary};
}

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

struct Resultset::State {
    State(std::shared_ptr<ConnectionState> connection, const std::string& sql,
          CursorSettings requested);

    void prepareBuffer();
    bool fetchBlock();
    void settle();

    Statement statement;
    ResultsetType type = ResultsetType::ForwardOnly;
    LockType lockType = LockType::ReadOnly;
    std::vector<ColumnInfo> columns;
    std::unique_ptr<RowBuffer> buffer;
    std::vector<Value> values;  // per column, kept from row to row for their storage
    std::vector<char> ready;    // values[i] holds the current row's value
    const Value null;
    size_t row = 0;          // of the current block
    bool exhausted = false;  // SQLFetch has said SQL_NO_DATA
    bool eof = true;
    bool onRow = false;  // false after a row failed to load
    // The block's diagnostics when a row of it failed: later SQLSetPos and SQLGetData calls
    // would clear them before the cursor reaches that row.
    std::vector<DiagnosticRecord> rowProblems;
};

Resultset::State::State(std::shared_ptr<ConnectionState> connection, const std::string& sql,
                        CursorSettings requested)
    : statement(std::move(connection)) {
    const ConnectionState& shared = statement.connection();
    applyCursorSettings(statement, effectiveRequest(requested, shared.noCursor));
    statement.execute(sql);
    type = grantedType(statement);
    lockType = grantedLockType(statement);
    columns = describeColumns(statement);
    if (columns.empty()) return;  // no result set (DDL, UPDATE): nothing to read
    prepareBuffer();
    settle();
}

void Resultset::State::prepareBuffer() {
    const ConnectionState& shared = statement.connection();
    std::vector<CellFormat> formats;
    for (const ColumnInfo& column : columns) {
        formats.push_back(cellFormatFor(column, shared.cursorLibrary));
    }
    FetchPlan plan = planFetch(formats, abilitiesOf(shared));
    buffer = std::make_unique<RowBuffer>(std::move(formats), std::move(plan));
    buffer->bind(statement);
    values.resize(columns.size());
    ready.assign(columns.size(), 0);
}

bool Resultset::State::fetchBlock() {
    row = 0;
    if (exhausted) return false;
    SQLRETURN rc = buffer->fetch(statement);
    if (rc == SQL_NO_DATA) {
        exhausted = true;
        return false;
    }
    statement.check(rc, "Das Lesen der nächsten Zeilen ist fehlgeschlagen");
    rowProblems.clear();
    for (size_t i = 0; rc == SQL_SUCCESS_WITH_INFO && i < buffer->rowsFetched(); ++i) {
        if (buffer->rowStatus(i) != SQL_ROW_ERROR) continue;
        rowProblems = readDiagnostics(statement.handle());
        redact(rowProblems, statement.connection().secret);
        break;
    }
    if (buffer->rowsFetched() == 0) exhausted = true;  // a driver that says success for nothing
    return buffer->rowsFetched() > 0;
}

// Moves from `row` to the first readable row at or after it, fetching as needed.
void Resultset::State::settle() {
    onRow = false;
    for (;;) {
        if (row >= buffer->rowsFetched() && !fetchBlock()) {
            eof = true;
            return;
        }
        SQLUSMALLINT status = buffer->rowStatus(row);
        if (status == SQL_ROW_DELETED || status == SQL_ROW_NOROW) {
            ++row;
            continue;
        }
        eof = false;
        if (status == SQL_ROW_ERROR) {
            ++row;  // the next moveNext goes on after it
            throw Error("Eine Zeile ließ sich nicht lesen", rowProblems);
        }
        buffer->loadRow(statement, row);
        std::fill(ready.begin(), ready.end(), 0);
        onRow = true;
        return;
    }
}

Resultset::Resultset(std::shared_ptr<ConnectionState> connection, const std::string& sql,
                     std::optional<ResultsetType> type, std::optional<LockType> lockType)
    : state_(std::make_unique<State>(std::move(connection), sql, CursorSettings{type, lockType})) {}

Resultset::~Resultset() = default;
Resultset::Resultset(Resultset&&) noexcept = default;
Resultset& Resultset::operator=(Resultset&&) noexcept = default;

Resultset::State& Resultset::state() const {
    if (!state_) throw Error("Die Ergebnismenge ist geschlossen", "HY010");
    return *state_;
}

bool Resultset::eof() const {
    return !state_ || state_->eof;
}

void Resultset::moveNext() {
    State& s = state();
    if (s.eof) throw Error("Es gibt keinen aktuellen Datensatz", "24000");
    if (s.onRow) ++s.row;
    s.settle();
}

void Resultset::close() {
    state_.reset();
}

size_t Resultset::columnCount() const {
    return state().columns.size();
}

const ColumnInfo& Resultset::column(size_t index) const {
    const State& s = state();
    if (index >= s.columns.size()) {
        throw Error("Die Ergebnismenge hat keine Spalte " + std::to_string(index), "07009");
    }
    return s.columns[index];
}

const std::string& Resultset::name(size_t index) const {
    return column(index).name;
}

std::optional<size_t> Resultset::findColumn(std::string_view wanted) const {
    const std::vector<ColumnInfo>& columns = state().columns;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (sameIgnoringAsciiCase(columns[i].name, wanted)) return i;
    }
    return std::nullopt;
}

size_t Resultset::columnIndex(std::string_view wanted) const {
    if (std::optional<size_t> index = findColumn(wanted)) return *index;
    throw Error("Die Ergebnismenge hat keine Spalte „" + std::string(wanted) + "“", "42S22");
}

const Value& Resultset::value(size_t index) {
    State& s = state();
    column(index);  // range check
    if (s.eof || !s.onRow) throw Error("Es gibt keinen aktuellen Datensatz", "24000");
    CellView cell = s.buffer->cell(index);
    if (cell.null) return s.null;
    if (!s.ready[index]) {
        assignValue(s.values[index], s.buffer->format(index).kind, cell.data, cell.length);
        s.ready[index] = 1;
    }
    return s.values[index];
}

ResultsetType Resultset::type() const {
    return state().type;
}
LockType Resultset::lockType() const {
    return state().lockType;
}
size_t Resultset::rowsPerFetch() const {
    const State& s = state();
    return s.buffer ? s.buffer->rowsPerFetch() : 1;
}

}  // namespace odbc
