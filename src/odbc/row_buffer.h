// The row-array buffer behind a result set: bound cells for a block of rows, column by column,
// and for the current row the values that had to come through SQLGetData.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstddef>
#include <vector>

#include "odbc/cell_format.h"
#include "odbc/fetch_plan.h"

namespace odbc {

class Statement;

// A value of the current row as bytes in the C type of its column.
struct CellView {
    const unsigned char* data = nullptr;
    size_t length = 0;  // bytes, without terminator
    bool null = false;
};

class RowBuffer {
  public:
    RowBuffer(std::vector<CellFormat> formats, FetchPlan plan);
    RowBuffer(const RowBuffer&) = delete;
    RowBuffer& operator=(const RowBuffer&) = delete;

    // Binds the planned columns and sets the row array size and status pointers. The driver may
    // grant fewer rows per fetch than planned.
    void bind(const Statement& statement);
    // Rows the next fetch asks for.
    size_t rowsPerFetch() const { return arraySize_; }

    // SQLFetch into the buffer. The first successful one also decides, when the plan says so,
    // whether row arrays can be used (see FetchPlan::tryPositioningFirst).
    SQLRETURN fetch(const Statement& statement);

    // After fetch(): the rows it brought and the status of each (SQL_ROW_SUCCESS for all when
    // the driver's statuses cannot be trusted).
    size_t rowsFetched() const { return static_cast<size_t>(rowsFetched_); }
    SQLUSMALLINT rowStatus(size_t row) const {
        return rowStatusUsable_ ? rowStatus_[row] : SQLUSMALLINT{SQL_ROW_SUCCESS};
    }

    // Makes `row` of the block the current row: reads the columns that are not bound, and bound
    // values that did not fit their cell, with SQLGetData (positioning with SQLSetPos first
    // when a fetch brings more than one row). Columns are read in increasing order, which is
    // what drivers without SQL_GD_ANY_ORDER need.
    void loadRow(const Statement& statement, size_t row);

    // Column `column` (0-based) of the current row.
    CellView cell(size_t column) const;

    const CellFormat& format(size_t column) const { return columns_[column].format; }
    bool isBound(size_t column) const { return columns_[column].bound; }
    size_t columnCount() const { return columns_.size(); }

  private:
    struct Column {
        CellFormat format;
        bool bound = false;
        std::vector<unsigned char> cells;  // capacity_ cells of format.cellBytes
        std::vector<SQLLEN> indicators;
        // The current row's value when it came through SQLGetData; reused row after row.
        std::vector<unsigned char> whole;
        size_t wholeLength = 0;
        bool useWhole = false;
        bool wholeNull = false;
    };

    void setArraySize(const Statement& statement, size_t rows);
    void tryPositioning(const Statement& statement);
    bool fitsCell(const Column& column, SQLLEN indicator) const;
    [[noreturn]] void throwCut(size_t index, SQLLEN indicator) const;
    void readWhole(const Statement& statement, size_t index, size_t row, bool& positioned);

    std::vector<Column> columns_;
    bool canReadAgain_ = true;
    bool rowStatusUsable_ = true;
    bool positioningUntried_ = false;
    size_t capacity_ = 1;        // rows the buffers hold
    size_t arraySize_ = 1;       // SQL_ATTR_ROW_ARRAY_SIZE as set now
    size_t blockArraySize_ = 1;  // ... as it was for the block in the buffer
    size_t currentRow_ = 0;
    SQLULEN rowsFetched_ = 0;
    std::vector<SQLUSMALLINT> rowStatus_;
};

}  // namespace odbc
