// sqlvantor: the window, or with "DSN PATH" on the command line one unattended run.
#include <QApplication>

#include "engine/transfer_run.h"
#include "jet/dao/dao_database.h"
#include "ui/argument_text.h"
#include "ui/command_line_start.h"
#include "ui/exit_status.h"
#include "ui/failure_report.h"
#include "ui/german_qt_texts.h"
#include "ui/headless.h"
#include "ui/main_window.h"
#include "ui/program_info.h"
#include "ui/runtime_folder.h"

namespace {

QStringList ArgumentsAsGiven(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    // Help and version need neither a display nor Qt's platform.
    if (const std::optional<int> status = ui::AnswerInfoRequest(ArgumentsAsGiven(argc, argv)))
        return *status;
    const ui::RuntimeFolder runtimeFolder;
    ui::ChooseOffscreenWithoutDisplay(argc, argv);
    QApplication application(argc, argv);
    const ui::GermanQtTexts germanQtTexts;
    // Qt has taken its own options out of the arguments by now ("-platform xcb --help").
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (const std::optional<int> status = ui::AnswerInfoRequest(arguments)) return *status;
    const QString argumentText = ui::ArgumentText(arguments);
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
