// The open-file dialog behind "...": Qt's own dialog, so it looks and behaves the same on every
// desktop and without one, with columns wide enough for what they show.
#pragma once

#include <QString>

class QFileDialog;

namespace ui {

// Sets up `dialog` (object name CommonDialog) to pick one existing Access database: title,
// the single filter "Access (*.mdb *.accdb)" and `currentPath` as the file name, untrimmed.
void PrepareDatabaseDialog(QFileDialog& dialog, const QString& currentPath);

}  // namespace ui
