// Turning whatever ended a run into the number and German description that the operator sees
// and the activity log keeps.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace engine {

// A failure the run does not catch. When it is thrown the failure's number and description
// are already a line in the list and the log file ("Fehler 3011: ..."), the Access database is
// closed (every page written, the lock released), the connections and the log file too, and
// the busy flag is cleared (Start stays disabled); the window shows it and ends the program.
// Nothing done before it is undone.
struct RunFailure {
    int32_t number = 0;
    std::u16string description;
};

// jet::Error keeps its DAO number; odbc::Error the driver's native number, its text naming the
// SQLSTATE; a log file failure is 75, Visual Basic's path/file access error; anything else 5.
RunFailure DescribeFailure(const std::exception_ptr& failure);

// The activity line for it: "Fehler 3011: Die Tabelle ... wurde nicht gefunden."
std::u16string FailureLine(const RunFailure& failure);

}  // namespace engine
