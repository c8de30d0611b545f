// The program's exit statuses, for cron jobs and scripts that start an unattended run.
#pragma once

namespace ui {

enum class ExitStatus : int {
    Completed = 0,  // the run went through every selected table (or had no path and did nothing)
    Failed = 1,     // the run failed; its number and description were shown or printed
    Aborted = 2,    // the operator closed the window during the table walk
    NoDisplay = 3,  // an interactive start where no display is available
};

}  // namespace ui
