#include "odbc/row_block.h"

#include <utility>

#include "odbc/column_value.h"

namespace odbc {

void RowBlock::clear() {
    rows_ = 0;
    errors_.clear();
    bytes_ = 0;
    last_ = false;
    endError_ = nullptr;
}

void RowBlock::beginRow() {
    const size_t end = (rows_ + 1) * columns_;
    if (values_.size() < end) {
        values_.resize(end);
        states_.resize(end);
    }
    ++rows_;
    bytes_ += columns_ * sizeof(Value);
}

void RowBlock::setCell(size_t column, ValueKind kind, const CellView& cell) {
    const size_t slot = (rows_ - 1) * columns_ + column;
    states_[slot] = cell.null ? CellState::Null : CellState::Read;
    if (cell.null) return;  // the slot keeps its storage for a later row
    assignValue(values_[slot], kind, cell.data, cell.length);
    bytes_ += cell.length;
}

void RowBlock::failCell(size_t column, std::exception_ptr error) {
    const size_t slot = (rows_ - 1) * columns_ + column;
    states_[slot] = CellState::Failed;
    errors_.emplace_back(slot, std::move(error));
}

void RowBlock::failRow(const std::exception_ptr& error) {
    for (size_t column = 0; column < columns_; ++column) failCell(column, error);
}

const std::exception_ptr& RowBlock::cellError(size_t row, size_t column) const {
    static const std::exception_ptr kNone;
    if (state(row, column) != CellState::Failed) return kNone;
    const size_t slot = row * columns_ + column;
    for (const auto& [at, error] : errors_) {
        if (at == slot) return error;
    }
    return kNone;
}

void RowBlock::finish(std::exception_ptr error) {
    last_ = true;
    endError_ = std::move(error);
}

}  // namespace odbc
