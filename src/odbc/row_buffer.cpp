#include "odbc/row_buffer.h"

#include <sqlext.h>

#include <algorithm>
#include <string>

#include "odbc/error.h"
#include "odbc/long_data.h"
#include "odbc/statement.h"

namespace odbc {

RowBuffer::RowBuffer(std::vector<CellFormat> formats, FetchPlan plan)
    : capacity_(plan.rowsPerFetch) {
    columns_.resize(formats.size());
    for (size_t i = 0; i < formats.size(); ++i) {
        columns_[i].format = formats[i];
        columns_[i].bound = plan.bound[i];
    }
}

void RowBuffer::bind(const Statement& statement) {
    statement.setAttribute(SQL_ATTR_ROW_BIND_TYPE, SQL_BIND_BY_COLUMN,
                           "Die spaltenweise Bindung wurde abgelehnt");
    setArraySize(statement, capacity_);
    capacity_ = std::max<size_t>(
        1, std::min<size_t>(capacity_, statement.attribute(SQL_ATTR_ROW_ARRAY_SIZE)));
    setArraySize(statement, capacity_);
    rowStatus_.assign(capacity_, SQL_ROW_NOROW);
    statement.setPointer(SQL_ATTR_ROWS_FETCHED_PTR, &rowsFetched_,
                         "Der Zähler der abgerufenen Zeilen wurde abgelehnt");
    statement.setPointer(SQL_ATTR_ROW_STATUS_PTR, rowStatus_.data(),
                         "Das Statusfeld der Zeilen wurde abgelehnt");
    for (size_t i = 0; i < columns_.size(); ++i) {
        Column& column = columns_[i];
        if (!column.bound) continue;
        column.cells.assign(column.format.cellBytes * capacity_, 0);
        column.indicators.assign(capacity_, 0);
        // For fixed-size C types the driver steps by the type's size and ignores the length.
        SQLRETURN rc =
            SQLBindCol(statement.get(), static_cast<SQLUSMALLINT>(i + 1), column.format.cType,
                       column.cells.data(), static_cast<SQLLEN>(column.format.cellBytes),
                       column.indicators.data());
        statement.check(rc, "Eine Spalte ließ sich nicht binden");
    }
}

void RowBuffer::setArraySize(const Statement& statement, size_t rows) {
    statement.setAttribute(SQL_ATTR_ROW_ARRAY_SIZE, rows,
                           "Die Zeilenzahl je Abruf wurde abgelehnt");
    arraySize_ = rows;
}

SQLRETURN RowBuffer::fetch(const Statement& statement) {
    rowsFetched_ = 0;
    return SQLFetch(statement.get());
}

void RowBuffer::markSingleRowFailed() {
    rowsFetched_ = 1;
    rowStatus_[0] = SQL_ROW_ERROR;
}

bool RowBuffer::fitsCell(const Column& column, SQLLEN indicator) const {
    if (indicator == SQL_NULL_DATA || !column.format.variable) return true;
    if (indicator == SQL_NO_TOTAL || indicator < 0) return false;
    size_t room = column.format.cellBytes - terminatorBytes(column.format.cType);
    return static_cast<size_t>(indicator) <= room;
}

void RowBuffer::readWhole(const Statement& statement, size_t index) {
    if (arraySize_ > 1 && !positioned_) {
        SQLRETURN rc = SQLSetPos(statement.get(), static_cast<SQLSETPOSIROW>(currentRow_ + 1),
                                 SQL_POSITION, SQL_LOCK_NO_CHANGE);
        statement.check(rc, "Die Zeile ließ sich für das Lesen langer Werte nicht ansteuern");
        positioned_ = true;
    }
    Column& column = columns_[index];
    column.useWhole = true;
    column.wholeNull = !readWholeValue(statement, static_cast<SQLUSMALLINT>(index + 1),
                                       column.format.cType, column.whole, column.wholeLength);
}

void RowBuffer::beginRow(size_t row) {
    currentRow_ = row;
    positioned_ = false;
}

void RowBuffer::loadColumn(const Statement& statement, size_t index) {
    Column& column = columns_[index];
    column.useWhole = false;
    if (column.bound && fitsCell(column, column.indicators[currentRow_])) return;
    readWhole(statement, index);
}

CellView RowBuffer::cell(size_t index) const {
    const Column& column = columns_[index];
    if (column.useWhole) {
        return {column.whole.data(), column.wholeLength, column.wholeNull};
    }
    SQLLEN indicator = column.indicators[currentRow_];
    if (indicator == SQL_NULL_DATA) return {nullptr, 0, true};
    const unsigned char* data = column.cells.data() + currentRow_ * column.format.cellBytes;
    size_t length =
        column.format.variable ? static_cast<size_t>(indicator) : column.format.cellBytes;
    return {data, length, false};
}

}  // namespace odbc
