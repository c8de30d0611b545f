// Turning whatever ended a run into the number and German description that the operator sees
// and the activity log keeps.
#pragma once

#include <exception>
#include <string>

#include "engine/transfer_run.h"

namespace engine {

// jet::Error keeps its DAO number; odbc::Error the driver's native number, its text naming the
// SQLSTATE; a log file failure is 75, Visual Basic's path/file access error; anything else 5.
RunFailure DescribeFailure(const std::exception_ptr& failure);

// The activity line for it: "Fehler 3011: Die Tabelle ... wurde nicht gefunden."
std::u16string FailureLine(const RunFailure& failure);

}  // namespace engine
