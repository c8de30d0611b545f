// A result set read from first row to last, as the transfer reads a server table: eof(),
// moveNext(), and the current row's columns by index or by name.
//
// Behind the row-at-a-time interface rows come in row arrays of bound columns where the driver
// allows it and that is proven right for the driver (fetch_plan.h, proven_shortcuts.h); long
// values are read in full with SQLGetData. For a proven driver a thread of the result set's own
// fetches the next block of rows while the caller works through the current one
// (fetch_ahead.h); it alone uses the statement until the result set is closed or destroyed,
// which stops it. Storage is reused from block to block. Every member is called from one thread
// at a time: the one that opened the result set, or one it was handed to once the opening
// thread was done with it (joined); the fetching thread is its own and never calls back.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "odbc/cell_state.h"
#include "odbc/column_info.h"
#include "odbc/options.h"
#include "odbc/value.h"

namespace odbc {

struct ConnectionState;

class Resultset {
  public:
    // Executes `sql` (UTF-8) and moves to its first row. Made by Connection::openResultset.
    // Throws Error (the driver's diagnostics with the SQLSTATE) when the statement fails.
    Resultset(std::shared_ptr<ConnectionState> connection, const std::string& sql,
              std::optional<ResultsetType> type, std::optional<LockType> lockType);
    ~Resultset();
    Resultset(Resultset&&) noexcept;
    Resultset& operator=(Resultset&&) noexcept;

    // True when there is no current row: past the last row, no rows at all, or closed.
    bool eof() const;
    // Moves to the next row. Throws Error 24000 at eof. When the fetch of further rows failed as
    // a whole, its error comes after the last row read and eof() is true from then on.
    void moveNext();
    // Frees the statement. Further calls but eof() and isOpen() throw.
    void close();
    bool isOpen() const { return state_ != nullptr; }

    size_t columnCount() const;
    const std::string& name(size_t column) const;  // 0-based, UTF-8
    const ColumnInfo& column(size_t column) const;
    // The first column whose name equals `name` ignoring the case of ASCII letters (umlauts
    // must match exactly); nullopt when there is none.
    std::optional<size_t> findColumn(std::string_view name) const;
    // As findColumn, but throws Error 42S22 when there is no such column.
    size_t columnIndex(std::string_view name) const;

    // The current row's value of `column`. The reference stays valid until the next moveNext or
    // close. Throws Error 07009 for a column out of range, 24000 when there is no current row,
    // and the driver's (or our) error when this value could not be read: the row's other values
    // are still there.
    const Value& value(size_t column) {
        // A transfer asks for every cell of every row: a value read comes straight from the row.
        if (column < current_.columns && current_.states[column] == CellState::Read)
            return current_.values[column];
        return checkedValue(column);
    }
    const Value& value(std::string_view name) { return value(columnIndex(name)); }

    // The cursor type and concurrency the driver granted (it may substitute others, 01S02).
    ResultsetType type() const;
    LockType lockType() const;
    // Rows one SQLFetch brings: more than 1 when row arrays are in use.
    size_t rowsPerFetch() const;

  private:
    struct State;
    State& state() const;
    const Value& checkedValue(size_t column);
    void takeCurrentRow();

    // The current row's cells in the block the reader holds; no columns when there is no
    // current row.
    struct CurrentRow {
        const Value* values = nullptr;
        const CellState* states = nullptr;
        size_t columns = 0;
    };

    std::unique_ptr<State> state_;
    CurrentRow current_;
};

}  // namespace odbc
