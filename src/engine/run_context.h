// What every step of a run reaches for: the window, the activity log, the Access engine, the
// clock and the regional formats. Built by the transfer run, alive for one run.
#pragma once

#include "engine/activity_log.h"
#include "engine/clock.h"
#include "engine/run_window.h"
#include "jet/base/value_locale.h"

namespace jet::dao {
class DBEngine;
}

namespace engine {

struct RunContext {
    RunWindow& window;
    ActivityLog& log;
    jet::dao::DBEngine& dbEngine;
    const Clock& clock;
    jet::ValueLocale locale;

    bool safeMode() const { return window.checkValue(CheckBox::Check_Safety) == 1; }
    bool optionSet(ServerOption option) const { return window.isOptionSet(option); }
};

}  // namespace engine
