#include "odbc/long_data.h"

#include <sqlext.h>

#include <algorithm>

#include "odbc/cell_format.h"
#include "odbc/statement.h"

namespace odbc {
namespace {

constexpr size_t kFirstPieceBytes = 4096;

// Makes room for at least `wanted` bytes in all, at least doubling so that pieces of unknown
// total still finish in few calls; even sizes keep UTF-16 pieces whole.
void grow(std::vector<unsigned char>& buffer, size_t wanted) {
    size_t size = std::max({wanted, buffer.size() * 2, kFirstPieceBytes});
    buffer.resize(size + (size & 1));
}

}  // namespace

bool readWholeValue(const Statement& statement, SQLUSMALLINT column, SQLSMALLINT cType,
                    std::vector<unsigned char>& buffer, size_t& length) {
    const size_t terminator = terminatorBytes(cType);
    if (buffer.size() < kFirstPieceBytes) grow(buffer, kFirstPieceBytes);
    size_t have = 0;
    for (;;) {
        size_t room = buffer.size() - have;
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(statement.get(), column, cType, buffer.data() + have,
                                  static_cast<SQLLEN>(room), &indicator);
        if (rc == SQL_NO_DATA) break;  // everything was read by the previous piece
        statement.check(rc, "Ein Spaltenwert ließ sich nicht lesen");
        if (indicator == SQL_NULL_DATA) return false;
        bool cut = indicator == SQL_NO_TOTAL || static_cast<size_t>(indicator) + terminator > room;
        if (!cut) {
            have += static_cast<size_t>(indicator);
            break;
        }
        // The piece filled the room but for the terminator; the indicator counted what was
        // left before this call.
        size_t piece = room - terminator;
        if (cType == SQL_C_WCHAR) piece -= piece % sizeof(SQLWCHAR);
        size_t total = indicator == SQL_NO_TOTAL ? 0 : have + static_cast<size_t>(indicator);
        have += piece;
        grow(buffer, std::max(total, have) + terminator);
    }
    length = have;
    return true;
}

}  // namespace odbc
