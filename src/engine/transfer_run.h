// One transfer run: the whole work of one press of Start (Command2), which the command-line
// start invokes the same way. It runs on the window's thread from its first step to its last
// and yields only through the window.
#pragma once

#include <cstdint>
#include <string>

#include "engine/run_window.h"

namespace jet::dao {
class DBEngine;
}

namespace engine {

enum class RunOutcome {
    Completed,  // every selected table was handled
    Aborted,    // a close request stopped it; the abort line was written
};

// A failure the run does not catch. When it is thrown the failure's number and description
// are already a line in the list and the log file, the Access database is closed (every page
// written, the lock released) and the log file too; the window shows it and ends the program.
struct RunFailure {
    int32_t number = 0;
    std::u16string description;
};

// Performs one run with the window's current settings. Throws RunFailure.
RunOutcome RunTransfer(RunWindow& window, jet::dao::DBEngine& dbEngine);

}  // namespace engine
