// Opening a server table's rows while the table is counted on the other connection.
//
// Some drivers receive the whole result inside the statement's execution (MariaDB's driver
// stores every row before the first one is handed out), and the server then works through
// the table twice in a row: once for the count, once for the rows. Where the driver is proven
// to work on two connections at once, the statement runs on a thread of its own, started
// before the count, so that both overlap; for any other driver it runs in take(), on the
// calling thread, in the order the run has always had.
//
// Threads: construct, take and destroy on the run's thread. The opening thread touches only
// the main connection and its own members, never the window or the log.
#pragma once

#include <exception>
#include <optional>
#include <string>
#include <thread>

#include "odbc/connection.h"
#include "odbc/options.h"

namespace engine {

// The statement and the cursor settings of a table's SELECT, decided on the run's thread.
struct SourceRequest {
    std::string sql;
    std::optional<odbc::ResultsetType> type;
    std::optional<odbc::LockType> lockType;
};

class SourceOpening {
  public:
    // Starts executing `request` on `main` when its driver works beside other connections.
    // `main` must outlive this object.
    SourceOpening(odbc::Connection& main, SourceRequest request);
    // Waits for an execution still under way; its result set (or error) is dropped.
    ~SourceOpening() = default;
    SourceOpening(const SourceOpening&) = delete;
    SourceOpening& operator=(const SourceOpening&) = delete;

    // The result set, executing it now if that has not started. Throws what the execution
    // threw (odbc::Error). Once only.
    odbc::Resultset take();

  private:
    odbc::Connection& main_;
    SourceRequest request_;
    std::optional<odbc::Resultset> opened_;
    std::exception_ptr failure_;
    std::jthread opening_;  // last: joined before the members it fills go
};

}  // namespace engine
