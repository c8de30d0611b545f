// Runs without a display (cron, CI, a server shell): the unattended run switches Qt to its
// offscreen platform by itself and prints what the window shows; an interactive start says that
// it needs a display.
#pragma once

#include <QString>

namespace ui {

// Before QApplication exists: when no platform was asked for (QT_QPA_PLATFORM, -platform) and
// neither DISPLAY nor WAYLAND_DISPLAY is set, selects the offscreen platform, so the
// application can be created at all. Returns whether it did.
bool ChooseOffscreenWithoutDisplay(int argc, char** argv);

// After QApplication exists: true when nobody can see the window (offscreen or minimal platform).
bool IsHeadless();

// One activity line on standard output, flushed, so a log collector sees it at once.
void PrintActivityLine(const QString& line);

// The German notice for an interactive start without a display, on standard error.
void PrintNoDisplayNotice();

}  // namespace ui
