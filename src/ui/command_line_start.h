// The load step of Form1: empties the status labels and decides between an interactive start
// and one unattended run named by the argument text ("DSN PATH").
#pragma once

#include <QString>
#include <optional>

#include "ui/main_window.h"

namespace ui {

// With a blank in `argumentText`: puts the data source name into Text1 and the rest into Text2,
// shows the window, performs one run and returns the exit status the program must end with now.
// Otherwise fills the CRM table list and returns nothing: the caller shows the window and waits.
std::optional<int> LoadWindow(MainWindow& window, const QString& argumentText);

// 0 after a completed run, non-zero after an abort or a failure (see exit_status.h).
int ExitStatusOf(const StartResult& result);

}  // namespace ui
