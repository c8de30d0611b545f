// The cursor choices callers make, with the numbers RDO gives them, so settings stored by the
// Windows program keep their meaning.
#pragma once

namespace odbc {

// Who provides cursors for an environment's connections. Set before opening a connection.
enum class CursorDriver : int {
    // The driver's own cursors (result sets are only read forward, which every driver can).
    UseIfNeeded = 0,
    // Client-side cursors: what the ODBC cursor library gives a result set read once from front
    // to back, forward-only and read-only, taken from the driver itself (connection_state.h
    // says why the library is not loaded).
    UseOdbc = 1,
    // The driver's own (server) cursors.
    UseServer = 2,
    // RDO's client batch cursors; not available here (rejected by setCursorDriver).
    UseClientBatch = 3,
    // No cursor: every result set is forward-only and read-only.
    UseNone = 4,
};

// The cursor type of a result set (SQL_ATTR_CURSOR_TYPE).
enum class ResultsetType : int {
    ForwardOnly = 0,
    Keyset = 1,
    Dynamic = 2,
    Static = 3,
};

// The concurrency of a result set (SQL_ATTR_CONCURRENCY).
enum class LockType : int {
    ReadOnly = 1,
    Pessimistic = 2,  // rdConcurLock
    RowVersion = 3,   // rdConcurRowVer
    Values = 4,       // rdConcurValues
    Batch = 5,        // rdConcurBatch; ODBC has no batch concurrency, so it asks for Values
};

}  // namespace odbc
