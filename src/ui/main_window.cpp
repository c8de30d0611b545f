#include "ui/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <exception>

#include "ui/database_dialog.h"
#include "ui/exit_status.h"
#include "ui/failure_report.h"
#include "ui/progress_scale.h"
#include "ui/window_icon.h"

namespace ui {
namespace {

QString FromU16(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

MainWindow::MainWindow(RunAction run, QWidget* parent)
    : QWidget(parent),
      run_(std::move(run)),
      programEnd_([](int status) { QCoreApplication::exit(status); }) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("SQL - Vantor"));
    setWindowIcon(QIcon(QPixmap::fromImage(WindowIconImage())));
    resize(520, 496);
    createControls();
    connectEvents();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectEvents() {
    connect(command2_, &QPushButton::clicked, this, [this] {
        // A failure ends the program once it has been shown.
        if (start().failure) programEnd_(static_cast<int>(ExitStatus::Failed));
    });
    connect(command1_, &QPushButton::clicked, this, [this] { browseForDatabase(); });
}

StartResult MainWindow::start() {
    StartResult result;
    try {
        result.outcome = run_(*this, crmTables_);
    } catch (const engine::RunFailure& failure) {
        result.failure = failure;
    } catch (const std::exception& unexpected) {
        // Not the run's contract, but the operator must still learn why the program ends.
        result.failure = engine::RunFailure{kInternalErrorNumber,
                                            QString::fromUtf8(unexpected.what()).toStdU16String()};
    }
    if (result.failure) reportFailure(*result.failure);
    return result;
}

void MainWindow::reportFailure(const engine::RunFailure& failure) {
    if (failureReporter_) {
        failureReporter_(failure);
    } else {
        ShowFailureBox(this, failure);
    }
}

void MainWindow::browseForDatabase() {
    QFileDialog dialog(this);
    PrepareDatabaseDialog(dialog, box(engine::TextBox::Text2)->text());
    if (dialog.exec() != QDialog::Accepted) return;  // cancel keeps Text2
    const QStringList chosen = dialog.selectedFiles();
    if (!chosen.isEmpty())
        box(engine::TextBox::Text2)->setText(QDir::toNativeSeparators(chosen.first()));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    abort_ = true;
    if (busy_) {
        event->ignore();
    } else {
        event->accept();
    }
}

QLineEdit* MainWindow::box(engine::TextBox which) const {
    return boxes_.at(which);
}
QLabel* MainWindow::label(engine::StatusLabel which) const {
    return labels_.at(which);
}

MainWindow::Bar& MainWindow::bar(engine::ProgressBar which) {
    return which == engine::ProgressBar::ProgressBar1 ? bar1_ : bar2_;
}
const MainWindow::Bar& MainWindow::bar(engine::ProgressBar which) const {
    return which == engine::ProgressBar::ProgressBar1 ? bar1_ : bar2_;
}

float MainWindow::progressMax(engine::ProgressBar which) const {
    return bar(which).max;
}
float MainWindow::progressValue(engine::ProgressBar which) const {
    return bar(which).value;
}

std::u16string MainWindow::text(engine::TextBox which) const {
    return box(which)->text().toStdU16String();
}

bool MainWindow::isOptionSet(engine::ServerOption option) const {
    switch (option) {
        case engine::ServerOption::Opt_MS:
            return optMs_->isChecked();
        case engine::ServerOption::Opt_Ora:
            return optOra_->isChecked();
        case engine::ServerOption::OPT_SYB:
            return optSyb_->isChecked();
    }
    return false;
}

int MainWindow::checkValue(engine::CheckBox which) const {
    const QCheckBox* check = which == engine::CheckBox::Check_Safety ? checkSafety_ : checkCrm_;
    switch (check->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        case Qt::Unchecked:
            break;
    }
    return 0;
}

void MainWindow::setText(engine::TextBox which, std::u16string_view value) {
    box(which)->setText(FromU16(value));
}

void MainWindow::setCaption(engine::StatusLabel which, std::u16string_view caption) {
    QLabel* target = label(which);
    target->setText(FromU16(caption));
    // Start and end time widen to their text; the speed keeps its size.
    if (which != engine::StatusLabel::Label_Speed) {
        const int needed = target->sizeHint().width();
        target->resize(std::max(designWidths_.at(which), needed), target->height());
    }
}

void MainWindow::setProgressMax(engine::ProgressBar which, float max) {
    bar(which).max = max;
    showBar(bar(which));
}

void MainWindow::setProgressValue(engine::ProgressBar which, float value) {
    bar(which).value = value;
    showBar(bar(which));
}

void MainWindow::showBar(const Bar& shown) {
    const ProgressSteps steps = ScaleProgress(shown.max, shown.value);
    shown.widget->setRange(0, steps.maximum);
    shown.widget->setValue(steps.value);
}

void MainWindow::addListItem(std::u16string_view line) {
    const QString text = FromU16(line);
    list1_->addItem(text);
    // The new line is selected and scrolled into view, also after the operator picked another.
    list1_->setCurrentRow(list1_->count() - 1);
    list1_->scrollToItem(list1_->currentItem());
    if (lineEcho_) lineEcho_(text);
}

void MainWindow::clearList() {
    list1_->clear();
}

void MainWindow::setStartEnabled(bool enabled) {
    command2_->setEnabled(enabled);
}

void MainWindow::processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace ui
