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

    // SQLFetch into the buffer.
    SQLRETURN fetch(const Statement& statement);
    // After a fetch that failed for a value of its one row (a conversion the driver could not
    // make): that row counts as fetched, with status SQL_ROW_ERROR.
    void markSingleRowFailed();

    // After fetch(): the rows it brought and the status of each.
    size_t rowsFetched() const { return static_cast<size_t>(rowsFetched_); }
    SQLUSMALLINT rowStatus(size_t row) const { return rowStatus_[row]; }

    // Makes `row` of the block the current row; then each column is loaded in increasing order,
    // which is what drivers without SQL_GD_ANY_ORDER need.
    void beginRow(size_t row);
    // Reads the column if it is not bound, or its bound value did not fit the cell, with
    // SQLGetData (positioning with SQLSetPos first when a fetch brings more than one row).
    // Throws Error when the value cannot be read; the next column can still be loaded.
    void loadColumn(const Statement& statement, size_t column);

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
    bool fitsCell(const Column& column, SQLLEN indicator) const;
    void readWhole(const Statement& statement, size_t index);

    std::vector<Column> columns_;
    size_t capacity_ = 1;   // rows the buffers hold
    size_t arraySize_ = 1;  // SQL_ATTR_ROW_ARRAY_SIZE
    size_t currentRow_ = 0;
    bool positioned_ = false;  // SQLSetPos has made currentRow_ the row SQLGetData reads
    SQLULEN rowsFetched_ = 0;
    std::vector<SQLUSMALLINT> rowStatus_;
};

}  // namespace odbc
