// Reading an executed statement's rows into row blocks: fetching row arrays (or single rows),
// skipping rows the driver marks deleted or absent, reading the values that need SQLGetData,
// and recording each failure at the row where it happened.
//
// A reader is used by one thread at a time, which then owns the statement; between two fills
// the statement may pass to another thread.
#pragma once

#include <sql.h>

#include <cstddef>
#include <exception>
#include <stop_token>
#include <vector>

#include "odbc/error.h"
#include "odbc/row_block.h"
#include "odbc/row_buffer.h"

namespace odbc {

class Statement;

class RowReader {
  public:
    // `statement` and `buffer` (bound to it) must outlive the reader.
    RowReader(const Statement& statement, RowBuffer& buffer)
        : statement_(statement), buffer_(buffer) {}

    // Clears `block` and adds rows until it holds `maxRows`, its values take `maxBytes` (at
    // least one row always), the result ends or `stop` is requested. Never throws: errors are
    // kept in the block (see RowBlock). After a block marked last it adds nothing.
    void fill(RowBlock& block, size_t maxRows, size_t maxBytes, std::stop_token stop = {});

  private:
    bool fetchBlock(RowBlock& block);
    void noteProblems();
    void addRow(RowBlock& block);

    const Statement& statement_;
    RowBuffer& buffer_;
    size_t row_ = 0;  // next row of the buffer's fetch
    bool ended_ = false;
    // The fetch's diagnostics when a row of it failed: later SQLSetPos and SQLGetData calls
    // would clear them before the reader reaches that row.
    std::vector<DiagnosticRecord> rowProblems_;
    // An error the last fetch reported beside its rows: the result ends with it after them.
    std::exception_ptr failedAfterRows_;
};

}  // namespace odbc
