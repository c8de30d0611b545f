#include "odbc/row_reader.h"

#include <sqlext.h>

#include <algorithm>
#include <exception>

#include "odbc/diagnostics.h"
#include "odbc/statement.h"

namespace odbc {

namespace {

// A fetch of one row that failed for one of its values, not for the statement: ODBC reports
// such a row as an error of the whole fetch, and the cursor has moved onto it.
bool failedForAValue(const std::vector<DiagnosticRecord>& records) {
    for (const DiagnosticRecord& record : records) {
        if (record.sqlState.rfind("01", 0) == 0) continue;
        return record.sqlState.rfind("22", 0) == 0 || record.sqlState == "07006";
    }
    return false;
}

}  // namespace

// A fetch that succeeded with information: its records belong to the rows it marked as errors,
// or, when it marked none but still reports an error, to the fetching as such. FreeTDS
// delivers the rows before one the server could not send that way, and then says there are no
// more: the error must end the result after those rows, or the rest would be lost unseen.
void RowReader::noteProblems() {
    std::vector<DiagnosticRecord> records = readDiagnostics(statement_.handle());
    redact(records, statement_.connection().secret);
    for (size_t i = 0; i < buffer_.rowsFetched(); ++i) {
        if (buffer_.rowStatus(i) != SQL_ROW_ERROR) continue;
        rowProblems_ = std::move(records);
        return;
    }
    const bool error = std::any_of(records.begin(), records.end(), [](const auto& record) {
        return record.sqlState.rfind("01", 0) != 0;
    });
    if (error) {
        failedAfterRows_ = std::make_exception_ptr(
            Error("Das Lesen der nächsten Zeilen ist fehlgeschlagen", std::move(records)));
    }
}

// Fetches the next rows into the buffer. False, with the block finished, at the end of the
// result or when the fetch failed.
bool RowReader::fetchBlock(RowBlock& block) {
    row_ = 0;
    if (failedAfterRows_) {
        block.finish(failedAfterRows_);
        ended_ = true;
        return false;
    }
    try {
        SQLRETURN rc = buffer_.fetch(statement_);
        if (rc == SQL_NO_DATA) {
            block.finish();
            ended_ = true;
            return false;
        }
        rowProblems_.clear();
        if (rc == SQL_ERROR && buffer_.rowsPerFetch() == 1) {
            std::vector<DiagnosticRecord> records = readDiagnostics(statement_.handle());
            redact(records, statement_.connection().secret);
            if (!failedForAValue(records)) {
                throw Error("Das Lesen der nächsten Zeilen ist fehlgeschlagen", std::move(records));
            }
            rowProblems_ = std::move(records);
            buffer_.markSingleRowFailed();
            return true;
        }
        statement_.check(rc, "Das Lesen der nächsten Zeilen ist fehlgeschlagen");
        if (rc == SQL_SUCCESS_WITH_INFO) noteProblems();
        // A driver that says success for nothing has nothing more either.
        if (buffer_.rowsFetched() > 0) return true;
        block.finish();
    } catch (...) {
        // A failed fetch leaves the cursor where the driver pleases: nothing after it is read.
        block.finish(std::current_exception());
    }
    ended_ = true;
    return false;
}

void RowReader::addRow(RowBlock& block) {
    const size_t row = row_++;
    block.beginRow();
    if (buffer_.rowStatus(row) == SQL_ROW_ERROR) {
        block.failRow(
            std::make_exception_ptr(Error("Eine Zeile ließ sich nicht lesen", rowProblems_)));
        return;
    }
    buffer_.beginRow(row);
    for (size_t column = 0; column < block.columns(); ++column) {
        try {
            buffer_.loadColumn(statement_, column);
            block.setCell(column, buffer_.format(column).kind, buffer_.cell(column));
        } catch (...) {
            block.failCell(column, std::current_exception());
        }
    }
}

void RowReader::fill(RowBlock& block, size_t maxRows, size_t maxBytes, std::stop_token stop) {
    block.clear();
    if (ended_) {
        block.finish();
        return;
    }
    while (block.rows() < maxRows && (block.rows() == 0 || block.bytes() < maxBytes) &&
           !stop.stop_requested()) {
        if (row_ >= buffer_.rowsFetched() && !fetchBlock(block)) return;
        SQLUSMALLINT status = buffer_.rowStatus(row_);
        if (status == SQL_ROW_DELETED || status == SQL_ROW_NOROW) {
            ++row_;
            continue;
        }
        addRow(block);
    }
}

}  // namespace odbc
