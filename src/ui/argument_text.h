// The command line as one argument text, and the unattended start it may ask for.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace ui {

// Joins the program's arguments (without its own name, after Qt has removed its options) with
// single blanks, so `sqlvantor DSN "/a b/x.mdb"` and `sqlvantor "DSN /a b/x.mdb"` give one text.
QString ArgumentText(const QStringList& argumentsAfterProgramName);

struct UnattendedStart {
    QString dataSource;  // before the first blank; may be empty
    QString accessPath;  // everything after it, unchanged
};

// An unattended run when the text contains a blank; otherwise the start is interactive.
// Nothing is validated: an empty name or path goes on to the run as it is.
std::optional<UnattendedStart> ParseArgumentText(const QString& argumentText);

}  // namespace ui
