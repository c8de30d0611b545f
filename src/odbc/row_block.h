// A block of finished rows, handed from the thread that fetches to the one that reads: each
// row's values, or the error that kept the row from being read, and whether the result ends
// after the block.
//
// The fetching side fills a block and gives it away; the reading side only reads it and gives
// it back when it moves past its last row. The storage of the values is kept from one filling
// to the next, so steady fetching allocates only for values longer than any before them.
#pragma once

#include <cstddef>
#include <exception>
#include <vector>

#include "odbc/cell_format.h"
#include "odbc/row_buffer.h"
#include "odbc/value.h"

namespace odbc {

class RowBlock {
  public:
    explicit RowBlock(size_t columns) : columns_(columns) {}
    RowBlock(const RowBlock&) = delete;
    RowBlock& operator=(const RowBlock&) = delete;

    // Empties the block for the next filling; the values' storage stays.
    void clear();

    // Filling. A row is begun, then each column set in order (or the row failed).
    void beginRow();
    void setCell(size_t column, ValueKind kind, const CellView& cell);
    // The row just begun holds no values but `error`, thrown when the reader reaches it.
    void failRow(std::exception_ptr error);
    // No rows follow this block. `error`, when set, is thrown after its last row: the fetch
    // that would have brought the next rows failed.
    void finish(std::exception_ptr error = nullptr);

    // Reading.
    size_t rows() const { return rowErrors_.size(); }
    size_t columns() const { return columns_; }
    // Null when the row was read.
    const std::exception_ptr& rowError(size_t row) const { return rowErrors_[row]; }
    bool isNull(size_t row, size_t column) const { return nulls_[row * columns_ + column] != 0; }
    const Value& value(size_t row, size_t column) const { return values_[row * columns_ + column]; }
    bool last() const { return last_; }
    const std::exception_ptr& endError() const { return endError_; }

    // Roughly the bytes the block's values take: what bounds a block of long values.
    size_t bytes() const { return bytes_; }

  private:
    size_t columns_;
    std::vector<Value> values_;  // row by row; may hold more rows than rows() from before
    std::vector<char> nulls_;
    std::vector<std::exception_ptr> rowErrors_;
    size_t bytes_ = 0;
    bool last_ = false;
    std::exception_ptr endError_;
};

}  // namespace odbc
