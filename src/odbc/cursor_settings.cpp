#include "odbc/cursor_settings.h"

#include <sql.h>
#include <sqlext.h>

#include <string>

#include "odbc/error.h"
#include "odbc/statement.h"

namespace odbc {
namespace {

SQLULEN odbcCursorType(ResultsetType type) {
    switch (type) {
        case ResultsetType::ForwardOnly:
            return SQL_CURSOR_FORWARD_ONLY;
        case ResultsetType::Keyset:
            return SQL_CURSOR_KEYSET_DRIVEN;
        case ResultsetType::Dynamic:
            return SQL_CURSOR_DYNAMIC;
        case ResultsetType::Static:
            return SQL_CURSOR_STATIC;
    }
    throw Error("Unbekannter Cursortyp " + std::to_string(static_cast<int>(type)), "HY024");
}

SQLULEN odbcConcurrency(LockType lockType) {
    switch (lockType) {
        case LockType::ReadOnly:
            return SQL_CONCUR_READ_ONLY;
        case LockType::Pessimistic:
            return SQL_CONCUR_LOCK;
        case LockType::RowVersion:
            return SQL_CONCUR_ROWVER;
        case LockType::Values:
        case LockType::Batch:
            return SQL_CONCUR_VALUES;
    }
    throw Error("Unbekannte Sperrart " + std::to_string(static_cast<int>(lockType)), "HY024");
}

}  // namespace

CursorSettings effectiveRequest(CursorSettings requested, bool forwardOnly) {
    if (forwardOnly) return {ResultsetType::ForwardOnly, LockType::ReadOnly};
    return requested;
}

void applyCursorSettings(const Statement& statement, const CursorSettings& settings) {
    if (settings.type) {
        statement.setAttribute(SQL_ATTR_CURSOR_TYPE, odbcCursorType(*settings.type),
                               "Der Treiber lehnt den Cursortyp ab");
        // A driver without keyset or dynamic cursors offers a static one, a snapshot it builds
        // in full before the first row (SQLite holds the whole table in memory) and which sees
        // no change of others either. Read once front to back, a forward-only cursor gives
        // the same rows and lets such a driver stream them.
        bool scrolling =
            settings.type == ResultsetType::Keyset || settings.type == ResultsetType::Dynamic;
        if (scrolling && statement.attribute(SQL_ATTR_CURSOR_TYPE) == SQL_CURSOR_STATIC) {
            statement.setAttribute(SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_FORWARD_ONLY,
                                   "Der Treiber lehnt den Cursortyp ab");
        }
    }
    if (settings.lockType) {
        statement.setAttribute(SQL_ATTR_CONCURRENCY, odbcConcurrency(*settings.lockType),
                               "Der Treiber lehnt die Sperrart ab");
    }
}

ResultsetType grantedType(const Statement& statement) {
    switch (statement.attribute(SQL_ATTR_CURSOR_TYPE)) {
        case SQL_CURSOR_KEYSET_DRIVEN:
            return ResultsetType::Keyset;
        case SQL_CURSOR_DYNAMIC:
            return ResultsetType::Dynamic;
        case SQL_CURSOR_STATIC:
            return ResultsetType::Static;
        default:
            return ResultsetType::ForwardOnly;
    }
}

LockType grantedLockType(const Statement& statement) {
    switch (statement.attribute(SQL_ATTR_CONCURRENCY)) {
        case SQL_CONCUR_LOCK:
            return LockType::Pessimistic;
        case SQL_CONCUR_ROWVER:
            return LockType::RowVersion;
        case SQL_CONCUR_VALUES:
            return LockType::Values;
        default:
            return LockType::ReadOnly;
    }
}

}  // namespace odbc
