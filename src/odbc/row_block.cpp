#include "odbc/row_block.h"

#include <utility>

#include "odbc/column_value.h"

namespace odbc {

void RowBlock::clear() {
    rowErrors_.clear();
    bytes_ = 0;
    last_ = false;
    endError_ = nullptr;
}

void RowBlock::beginRow() {
    const size_t end = (rowErrors_.size() + 1) * columns_;
    if (values_.size() < end) {
        values_.resize(end);
        nulls_.resize(end);
    }
    rowErrors_.emplace_back();
    bytes_ += columns_ * sizeof(Value);
}

void RowBlock::setCell(size_t column, ValueKind kind, const CellView& cell) {
    const size_t slot = (rowErrors_.size() - 1) * columns_ + column;
    nulls_[slot] = cell.null;
    if (cell.null) return;  // the slot keeps its storage for a later row
    assignValue(values_[slot], kind, cell.data, cell.length);
    bytes_ += cell.length;
}

void RowBlock::failRow(std::exception_ptr error) {
    rowErrors_.back() = std::move(error);
}

void RowBlock::finish(std::exception_ptr error) {
    last_ = true;
    endError_ = std::move(error);
}

}  // namespace odbc
