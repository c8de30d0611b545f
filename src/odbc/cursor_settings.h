// Applying a result set's cursor type and concurrency to a statement, and reading back what
// the driver granted.
#pragma once

#include <optional>

#include "odbc/options.h"

namespace odbc {

class Statement;

struct CursorSettings {
    std::optional<ResultsetType> type;  // none: the driver's default
    std::optional<LockType> lockType;
};

// What a statement on this connection asks for: with CursorDriver::UseNone or UseOdbc always
// forward-only and read-only, otherwise what the caller asked for.
CursorSettings effectiveRequest(CursorSettings requested, bool forwardOnly);

// Sets SQL_ATTR_CURSOR_TYPE, then SQL_ATTR_CONCURRENCY (the order ODBC asks for, since the type
// may change the concurrency). Substitutions (01S02) are accepted; a refusal throws Error.
// A keyset or dynamic cursor the driver would replace by a static one when it is set becomes
// forward-only instead: result sets are read once, in order, and a static cursor is one the
// driver may have to hold in full.
void applyCursorSettings(const Statement& statement, const CursorSettings& settings);

// The cursor type and concurrency the driver actually uses, after execution.
ResultsetType grantedType(const Statement& statement);
LockType grantedLockType(const Statement& statement);

}  // namespace odbc
