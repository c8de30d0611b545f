// What `sqlvantor --help`, `-h` and `--version` print: answered before any window exists, so
// they work without a display too. Every other argument text keeps its meaning (argument_text.h).
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace ui {

// The German usage text, ending with a line break.
QString UsageText();

// "sqlvantor 0.1", ending with a line break.
QString VersionText();

// The text to print when the argument text is exactly "--help", "-h" or "--version".
std::optional<QString> InfoAnswer(const QString& argumentText);

// Prints the answer for `arguments` (after the program's name) on standard output and returns
// the exit status 0; nothing when the arguments ask for something else.
std::optional<int> AnswerInfoRequest(const QStringList& arguments);

}  // namespace ui
