// Showing the failure a run hands over: its number and German description, in a modal error box
// or, without a display, on standard error.
#pragma once

#include <QString>
#include <cstdint>

#include "engine/transfer_run.h"

class QWidget;

namespace ui {

// The number given to a failure the run did not describe itself ("Interner Fehler").
constexpr int32_t kInternalErrorNumber = 51;

// "Laufzeitfehler '3024':" and the description on a line of its own after an empty one.
QString FailureText(const engine::RunFailure& failure);

// Modal; returns when the operator has confirmed it.
void ShowFailureBox(QWidget* parent, const engine::RunFailure& failure);

// One line "sqlvantor: Laufzeitfehler '3024': …" on standard error.
void PrintFailure(const engine::RunFailure& failure);

}  // namespace ui
