// sqlvantor: the window, or with "DSN PATH" on the command line one unattended run.
#include <QApplication>

#include "engine/transfer_run.h"
#include "jet/dao_database.h"
#include "ui/argument_text.h"
#include "ui/command_line_start.h"
#include "ui/exit_status.h"
#include "ui/failure_report.h"
#include "ui/german_qt_texts.h"
#include "ui/headless.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
    ui::ChooseOffscreenWithoutDisplay(argc, argv);
    QApplication application(argc, argv);
    const ui::GermanQtTexts germanQtTexts;
    // Qt has taken its own options out of the arguments by now.
    const QString argumentText = ui::ArgumentText(QCoreApplication::arguments().mid(1));
    const bool headless = ui::IsHeadless();
    if (headless && !ui::ParseArgumentText(argumentText)) {
        ui::PrintNoDisplayNotice();
        return static_cast<int>(ui::ExitStatus::NoDisplay);
    }

    jet::dao::DBEngine dbEngine;
    ui::MainWindow window(
        [&dbEngine](engine::RunWindow& target, const engine::CrmTableList& crmTables) {
            return engine::RunTransfer(target, dbEngine, crmTables);
        });
    if (headless) {
        window.setLineEcho(ui::PrintActivityLine);
        window.setFailureReporter(ui::PrintFailure);
    }
    if (const std::optional<int> status = ui::LoadWindow(window, argumentText)) return *status;
    window.show();
    return application.exec();
}
