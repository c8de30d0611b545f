#include "ui/argument_text.h"

namespace ui {

QString ArgumentText(const QStringList& argumentsAfterProgramName) {
    return argumentsAfterProgramName.join(QLatin1Char(' '));
}

std::optional<UnattendedStart> ParseArgumentText(const QString& argumentText) {
    const qsizetype blank = argumentText.indexOf(QLatin1Char(' '));
    if (blank < 0) return std::nullopt;
    return UnattendedStart{argumentText.left(blank), argumentText.mid(blank + 1)};
}

}  // namespace ui
