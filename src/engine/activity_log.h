// The activity log: every report of a run goes to the window's list and, for the lines that
// matter afterwards, to the run's log file. It is also where the run yields to the window.
#pragma once

#include <optional>
#include <string_view>

#include "engine/log_file.h"
#include "engine/run_window.h"

namespace engine {

// Lives for one run; the run opens the log file at its start and closes it at its end.
class ActivityLog {
  public:
    explicit ActivityLog(RunWindow& window) : window_(window) {}

    // Opens the log file named by LogFileName(accessPath) for appending.
    // REQUIRES: the trimmed path is not empty and no log file is open.
    // Throws std::system_error when the file cannot be opened.
    void openLogFile(std::u16string_view accessPath);
    // Writes the empty line that ends the run's block in the file (not in the list) and closes
    // the file. Does nothing when no file is open.
    void closeLogFile();
    bool isLogFileOpen() const { return logFile_.has_value(); }

    // Appends `text` unchanged (leading TABs included) to the list, writes it to the log file
    // when `toLogFile` is set and the file is open, then lets the window handle its events.
    // A failing file write propagates; the line stays in the list and no yield happens.
    void AddActivityLine(std::u16string_view text = {}, bool toLogFile = false);

  private:
    RunWindow& window_;
    std::optional<LogFile> logFile_;
};

}  // namespace engine
