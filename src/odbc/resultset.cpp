#include "odbc/resultset.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <exception>
#include <stop_token>
#include <utility>
#include <vector>

#include "odbc/ascii_case.h"
#include "odbc/cache_line.h"
#include "odbc/cell_format.h"
#include "odbc/cursor_settings.h"
#include "odbc/error.h"
#include "odbc/fetch_ahead.h"
#include "odbc/fetch_plan.h"
#include "odbc/proven_shortcuts.h"
#include "odbc/row_block.h"
#include "odbc/row_buffer.h"
#include "odbc/row_reader.h"
#include "odbc/statement.h"

namespace odbc {
namespace {

// What the driver claims, each only where it is also proven.
FetchAbilities abilitiesOf(const ConnectionState& connection) {
    const SQLUINTEGER bits = connection.getDataExtensions;
    const ProvenShortcuts& proven = connection.proven;
    return {.bindColumns = proven.boundColumns,
            .rowArrays = proven.rowArrays,
            .getDataAnyColumn = (bits & SQL_GD_ANY_COLUMN) != 0,
            .getDataBound = proven.getDataOnBoundColumns && (bits & SQL_GD_BOUND) != 0,
            .getDataBlock = proven.getDataInRowArrays && (bits & SQL_GD_BLOCK) != 0};
}

// Executes `sql`. A keyset or dynamic cursor the driver cannot build for this statement is no
// reason to fail, since the rows are read once from front to back: psqlODBC builds keyset
// cursors on the row address, which a view has not. The statement is then run once more with
// a forward-only cursor; if that fails too, the first error stands.
void executeReadingForward(Statement& statement, const std::string& sql,
                           const CursorSettings& settings) {
    try {
        statement.execute(sql);
    } catch (const Error&) {
        const bool scrolling =
            settings.type == ResultsetType::Keyset || settings.type == ResultsetType::Dynamic;
        if (!scrolling) throw;
        std::exception_ptr first = std::current_exception();
        SQLFreeStmt(statement.get(), SQL_CLOSE);
        try {
            applyCursorSettings(statement, {ResultsetType::ForwardOnly, LockType::ReadOnly});
            statement.execute(sql);
        } catch (const Error&) {
            std::rethrow_exception(first);
        }
    }
}

}  // namespace

// Rows one block holds at least when a fetch brings fewer, the bytes of values after which a
// block takes no further row, and the blocks in all. Each hand-over wakes a thread, which costs
// tens of microseconds, so blocks are large; several of them let the reader go on while the
// driver waits for the server's next batch, and let fetching go on while the reader flushes.
// The blocks of long values together stay at a few megabytes.
constexpr size_t kMinBlockRows = 4096;
constexpr size_t kBlockBudgetBytes = size_t{2} << 20;
constexpr size_t kBlocksAhead = 4;

// On cache lines of its own: the reader's row position is next to the fetching side's objects,
// which that thread writes at every row.
struct alignas(kCacheLine) Resultset::State {
    State(std::shared_ptr<ConnectionState> connection, const std::string& sql,
          CursorSettings requested);

    void prepareReading();
    void settle();

    Statement statement;
    ResultsetType type = ResultsetType::ForwardOnly;
    LockType lockType = LockType::ReadOnly;
    std::vector<ColumnInfo> columns;
    size_t rowsPerFetch = 1;
    const Value null;
    // Declared in this order so that the fetching thread stops before what it uses goes.
    std::unique_ptr<RowBuffer> buffer;
    std::unique_ptr<RowReader> reader;
    std::unique_ptr<FetchAhead> ahead;
    const RowBlock* block = nullptr;  // the reader's block; rows of others are not touched
    size_t row = 0;                   // of `block`
    bool eof = true;
    bool onRow = false;  // settled on a row of `block`
};

Resultset::State::State(std::shared_ptr<ConnectionState> connection, const std::string& sql,
                        CursorSettings requested)
    : statement(std::move(connection)) {
    const ConnectionState& shared = statement.connection();
    const CursorSettings effective = effectiveRequest(requested, shared.forwardOnly);
    applyCursorSettings(statement, effective);
    executeReadingForward(statement, sql, effective);
    type = grantedType(statement);
    lockType = grantedLockType(statement);
    columns = describeColumns(statement);
    if (columns.empty()) return;  // no result set (DDL, UPDATE): nothing to read
    prepareReading();
    settle();
}

void Resultset::State::prepareReading() {
    const ConnectionState& shared = statement.connection();
    std::vector<CellFormat> formats;
    for (const ColumnInfo& column : columns) {
        formats.push_back(cellFormatFor(column, shared.proven));
    }
    FetchPlan plan = planFetch(formats, abilitiesOf(shared));
    buffer = std::make_unique<RowBuffer>(std::move(formats), std::move(plan));
    buffer->bind(statement);
    reader = std::make_unique<RowReader>(statement, *buffer);
    const size_t blockRows = std::max(kMinBlockRows, buffer->rowsPerFetch());
    ahead = std::make_unique<FetchAhead>(
        columns.size(),
        [this, blockRows](RowBlock& into, std::stop_token stop) {
            reader->fill(into, blockRows, kBlockBudgetBytes, std::move(stop));
        },
        kBlocksAhead, shared.proven.readAhead);
    block = &ahead->start();
    // The first fetch has settled the row array size; the fetching thread changes it no more.
    rowsPerFetch = buffer->rowsPerFetch();
}

// Moves from `row` to the next row of the blocks, taking the next block as needed.
void Resultset::State::settle() {
    onRow = false;
    for (;;) {
        if (row >= block->rows()) {
            if (!block->last()) {
                block = &ahead->next();
                row = 0;
                continue;
            }
            eof = true;  // also after a failed fetch: nothing is read after it
            if (block->endError()) std::rethrow_exception(block->endError());
            return;
        }
        eof = false;
        onRow = true;
        return;
    }
}

Resultset::Resultset(std::shared_ptr<ConnectionState> connection, const std::string& sql,
                     std::optional<ResultsetType> type, std::optional<LockType> lockType)
    : state_(std::make_unique<State>(std::move(connection), sql, CursorSettings{type, lockType})) {
    takeCurrentRow();
}

Resultset::~Resultset() = default;

// A moved-from result set is closed: no current row is left behind with it.
Resultset::Resultset(Resultset&& other) noexcept
    : state_(std::move(other.state_)), current_(std::exchange(other.current_, {})) {}

Resultset& Resultset::operator=(Resultset&& other) noexcept {
    state_ = std::move(other.state_);
    current_ = std::exchange(other.current_, {});
    return *this;
}

void Resultset::takeCurrentRow() {
    current_ = {};
    if (!state_ || !state_->onRow) return;
    current_.values = state_->block->rowValues(state_->row);
    current_.states = state_->block->rowStates(state_->row);
    current_.columns = state_->columns.size();
}

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
    current_ = {};  // also when settling throws
    s.settle();
    takeCurrentRow();
}

void Resultset::close() {
    current_ = {};
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

const Value& Resultset::checkedValue(size_t index) {
    State& s = state();
    column(index);  // range check
    if (s.eof || !s.onRow) throw Error("Es gibt keinen aktuellen Datensatz", "24000");
    if (const std::exception_ptr& failure = s.block->cellError(s.row, index)) {
        std::rethrow_exception(failure);
    }
    if (s.block->isNull(s.row, index)) return s.null;
    return s.block->value(s.row, index);
}

ResultsetType Resultset::type() const {
    return state().type;
}
LockType Resultset::lockType() const {
    return state().lockType;
}
size_t Resultset::rowsPerFetch() const {
    return state().rowsPerFetch;
}

}  // namespace odbc
