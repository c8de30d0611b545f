#include "ui/command_line_start.h"

#include "ui/argument_text.h"
#include "ui/exit_status.h"

namespace ui {

std::optional<int> LoadWindow(MainWindow& window, const QString& argumentText) {
    using engine::StatusLabel;
    for (StatusLabel label :
         {StatusLabel::Label_Start, StatusLabel::Label_Ende, StatusLabel::Label_Speed}) {
        window.setCaption(label, u"");
    }
    const std::optional<UnattendedStart> unattended = ParseArgumentText(argumentText);
    if (!unattended) {
        engine::FillCrmTableList(window.crmTables());
        return std::nullopt;
    }
    window.setText(engine::TextBox::Text1, unattended->dataSource.toStdU16String());
    window.setText(engine::TextBox::Text2, unattended->accessPath.toStdU16String());
    window.show();
    return ExitStatusOf(window.start());
}

int ExitStatusOf(const StartResult& result) {
    if (result.failure) return static_cast<int>(ExitStatus::Failed);
    if (result.outcome == engine::RunOutcome::Aborted) return static_cast<int>(ExitStatus::Aborted);
    return static_cast<int>(ExitStatus::Completed);
}

}  // namespace ui
