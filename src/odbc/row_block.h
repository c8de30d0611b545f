// A block of finished rows, handed from the thread that fetches to the one that reads: each
// row's values, or for a value that could not be read the error that says why, and whether
// the result ends after the block.
//
// The fetching side fills a block and gives it away; the reading side only reads it and gives
// it back when it moves past its last row. The storage of the values is kept from one filling
// to the next, so steady fetching allocates only for values longer than any before them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <utility>
#include <vector>

#include "odbc/cache_line.h"
#include "odbc/cell_format.h"
#include "odbc/cell_state.h"
#include "odbc/row_buffer.h"
#include "odbc/value.h"

namespace odbc {

// On cache lines of its own: the fetching thread fills one block row by row while the reader
// works through the block next to it.
class alignas(kCacheLine) RowBlock {
  public:
    explicit RowBlock(size_t columns) : columns_(columns) {}
    RowBlock(const RowBlock&) = delete;
    RowBlock& operator=(const RowBlock&) = delete;

    // Empties the block for the next filling; the values' storage stays.
    void clear();

    // Filling. A row is begun, then each column either set or failed, in any order.
    void beginRow();
    // Throws Error when the bytes hold no valid value; the cell is then undefined until failed.
    void setCell(size_t column, ValueKind kind, const CellView& cell);
    // The value of `column` in the row just begun could not be read: `error` says why, and is
    // thrown when the reader asks for that value.
    void failCell(size_t column, std::exception_ptr error);
    // Every value of the row just begun failed with `error` (a row the driver could not read).
    void failRow(const std::exception_ptr& error);
    // No rows follow this block. `error`, when set, is thrown after its last row: the fetch
    // that would have brought the next rows failed.
    void finish(std::exception_ptr error = nullptr);

    // Reading.
    size_t rows() const { return rows_; }
    size_t columns() const { return columns_; }
    bool isNull(size_t row, size_t column) const { return state(row, column) == CellState::Null; }
    // Null when the value was read.
    const std::exception_ptr& cellError(size_t row, size_t column) const;
    const Value& value(size_t row, size_t column) const { return values_[row * columns_ + column]; }
    // A row's values and cell states in column order, valid until the block is given back: a
    // reader taking every cell of every row looks them up once per row. Only a cell in state
    // Read holds its value.
    const Value* rowValues(size_t row) const { return &values_[row * columns_]; }
    const CellState* rowStates(size_t row) const { return &states_[row * columns_]; }
    bool last() const { return last_; }
    const std::exception_ptr& endError() const { return endError_; }

    // Roughly the bytes the block's values take: what bounds a block of long values.
    size_t bytes() const { return bytes_; }

  private:
    CellState state(size_t row, size_t column) const { return states_[row * columns_ + column]; }

    size_t columns_;
    size_t rows_ = 0;
    std::vector<Value> values_;  // row by row; may hold more rows than rows() from before
    std::vector<CellState> states_;
    // The failed cells (few): their index in values_ and their error.
    std::vector<std::pair<size_t, std::exception_ptr>> errors_;
    size_t bytes_ = 0;
    bool last_ = false;
    std::exception_ptr endError_;
};

}  // namespace odbc
