// One transfer run: the whole work of one press of Start (Command2), which the command-line
// start invokes the same way. It runs on the window's thread from its first step to its last
// and yields only through the window.
#pragma once

#include <cstdint>
#include <string>

#include "engine/clock.h"
#include "engine/crm_tables.h"
#include "engine/run_failure.h"
#include "engine/run_window.h"

namespace jet::dao {
class DBEngine;
}

namespace engine {

enum class RunOutcome {
    Completed,  // every selected table was handled
    Aborted,    // a close request stopped it; the abort line was written
};

// Performs one run with the window's current settings. `crmTables` is the window's CRM table
// list (empty in an unattended start, so the CRM-only filter then selects nothing); `clock`
// gives the times of the start and end lines and the speed figure. Dates, times and numbers
// are written in German Windows' formats. Throws RunFailure.
RunOutcome RunTransfer(RunWindow& window, jet::dao::DBEngine& dbEngine,
                       const CrmTableList& crmTables = {}, const Clock& clock = SystemClock{});

}  // namespace engine
