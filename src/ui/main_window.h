// Form1, the one window: every input of a transfer run, the list and the bars the run drives,
// and the Start button. It implements the run's view of the window (engine::RunWindow) and
// handles the four events: load (LoadWindow, command_line_start.h), Start, "..." and the close
// request. Everything happens on the thread that created it.
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <optional>

#include "engine/crm_tables.h"
#include "engine/run_window.h"
#include "engine/transfer_run.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace ui {

// One transfer run against the window and its CRM table list; production binds
// engine::RunTransfer to it.
using RunAction =
    std::function<engine::RunOutcome(engine::RunWindow&, const engine::CrmTableList&)>;
using FailureReporter = std::function<void(const engine::RunFailure&)>;
using LineEcho = std::function<void(const QString&)>;

// How one press of Start ended: exactly one of the two is set.
struct StartResult {
    std::optional<engine::RunOutcome> outcome;
    std::optional<engine::RunFailure> failure;
};

class MainWindow : public QWidget, public engine::RunWindow {
  public:
    explicit MainWindow(RunAction run, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The action of Command2, also called directly by the unattended start. A failure the run
    // hands over is reported (by default in a modal error box) and returned; pressing Start
    // then ends the program with a non-zero status.
    StartResult start();
    // The action of Command1: the open-file dialog for Text2, modal, also during a run.
    void browseForDatabase();

    // Where a failure goes instead of the error box (standard error in a headless run).
    void setFailureReporter(FailureReporter reporter) { failureReporter_ = std::move(reporter); }
    // Called with every new line of List1 as well (standard output in a headless run).
    void setLineEcho(LineEcho echo) { lineEcho_ = std::move(echo); }
    // How a failed press of Start ends the program; by default the event loop ends with it.
    void setProgramEnd(std::function<void(int status)> end) { programEnd_ = std::move(end); }

    engine::CrmTableList& crmTables() { return crmTables_; }
    bool isBusy() const { return busy_; }
    // The bars' numbers as the run handed them over, before they were fitted to int steps.
    float progressMax(engine::ProgressBar bar) const;
    float progressValue(engine::ProgressBar bar) const;

    // engine::RunWindow
    std::u16string text(engine::TextBox box) const override;
    bool isOptionSet(engine::ServerOption option) const override;
    int checkValue(engine::CheckBox box) const override;
    void setText(engine::TextBox box, std::u16string_view text) override;
    void setCaption(engine::StatusLabel label, std::u16string_view caption) override;
    void setProgressMax(engine::ProgressBar bar, float max) override;
    void setProgressValue(engine::ProgressBar bar, float value) override;
    void addListItem(std::u16string_view line) override;
    void clearList() override;
    void setStartEnabled(bool enabled) override;
    void setBusy(bool busy) override { busy_ = busy; }
    bool abortRequested() const override { return abort_; }
    void clearAbortRequest() override { abort_ = false; }
    void processEvents() override;

  protected:
    // Every close request raises the abort flag; it is refused while a run is busy.
    void closeEvent(QCloseEvent* event) override;

  private:
    struct Bar {
        QProgressBar* widget = nullptr;
        float max = 100.0f;
        float value = 0.0f;
    };

    // main_window_controls.cpp: the controls at their places, texts, tab order and focus.
    void createControls();
    void createInputs();
    void createStatusAndList();
    void setTabOrderAndFocus();
    void connectEvents();

    QLineEdit* box(engine::TextBox which) const;
    QLabel* label(engine::StatusLabel which) const;
    Bar& bar(engine::ProgressBar which);
    const Bar& bar(engine::ProgressBar which) const;
    void showBar(const Bar& bar);
    void reportFailure(const engine::RunFailure& failure);

    RunAction run_;
    FailureReporter failureReporter_;
    LineEcho lineEcho_;
    std::function<void(int)> programEnd_;
    bool abort_ = false;
    bool busy_ = false;
    engine::CrmTableList crmTables_;

    std::map<engine::TextBox, QLineEdit*> boxes_;
    std::map<engine::StatusLabel, QLabel*> labels_;
    std::map<engine::StatusLabel, int> designWidths_;
    Bar bar1_, bar2_;
    QRadioButton* optMs_ = nullptr;
    QRadioButton* optOra_ = nullptr;
    QRadioButton* optSyb_ = nullptr;
    QCheckBox* checkCrm_ = nullptr;
    QCheckBox* checkSafety_ = nullptr;
    QListWidget* list1_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
};

}  // namespace ui
