// The window's events with a scripted run in place of the transfer: the close request and the
// busy flag, Start's failure, and the "..." dialog (Qt's own dialog, driven like an operator).
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "ui/command_line_start.h"
#include "ui/failure_report.h"
#include "window_test_support.h"

namespace {

using engine::RunOutcome;
using ui_test::Control;

TEST(WindowClose, IdleWindowClosesAtOnce) {
    ui_test::ScriptedWindow scripted;
    scripted.window->show();
    EXPECT_TRUE(scripted.window->close());
    EXPECT_FALSE(scripted.window->isVisible());
    EXPECT_EQ(scripted.runs, 0);
}

TEST(WindowClose, RefusedWhileBusyAndTurnedIntoAnAbortRequest) {
    bool visibleAfterClose = false;
    bool abortSeen = false;
    ui_test::ScriptedWindow scripted([&](engine::RunWindow& w) {
        w.setBusy(true);
        w.setStartEnabled(false);
        // Posted, as a window manager's request arrives, and handled inside the yield.
        QMetaObject::invokeMethod(scripted.window.get(), &QWidget::close, Qt::QueuedConnection);
        w.processEvents();
        visibleAfterClose = scripted.window->isVisible();
        abortSeen = w.abortRequested();
        w.setStartEnabled(true);
        w.setBusy(false);
        return RunOutcome::Aborted;
    });
    scripted.window->show();
    Control<QPushButton>(*scripted.window, "Command2")->click();
    EXPECT_EQ(scripted.runs, 1);
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_TRUE(abortSeen);
    EXPECT_TRUE(scripted.window->isVisible());
    // The next close, with the run over, ends it.
    EXPECT_TRUE(scripted.window->close());
    EXPECT_FALSE(scripted.window->isVisible());
}

TEST(WindowClose, AnEarlierCloseAttemptLeavesTheAbortFlagForTheRunToClear) {
    ui_test::ScriptedWindow scripted([](engine::RunWindow& w) {
        EXPECT_TRUE(w.abortRequested());
        w.clearAbortRequest();
        EXPECT_FALSE(w.abortRequested());
        return RunOutcome::Completed;
    });
    scripted.window->setBusy(true);
    EXPECT_FALSE(scripted.window->close());
    scripted.window->setBusy(false);
    EXPECT_EQ(ui::ExitStatusOf(scripted.window->start()), 0);
}

TEST(WindowStart, FailureIsReportedAndEndsWithNonZeroStatus) {
    ui_test::ScriptedWindow scripted([](engine::RunWindow&) -> RunOutcome {
        throw engine::RunFailure{3024, u"Datei '/x/crm.mdb' nicht gefunden."};
    });
    const ui::StartResult result = scripted.window->start();
    ASSERT_TRUE(result.failure.has_value());
    ASSERT_EQ(scripted.failures.size(), 1u);
    EXPECT_EQ(scripted.failures[0].number, 3024);
    EXPECT_EQ(ui::ExitStatusOf(result), 1);
    EXPECT_FALSE(scripted.endedWith.has_value());  // the unattended start ends by itself
    Control<QPushButton>(*scripted.window, "Command2")->click();
    EXPECT_EQ(scripted.endedWith, 1);
    EXPECT_EQ(ui::FailureText(scripted.failures[1]),
              "Laufzeitfehler '3024':\n\nDatei '/x/crm.mdb' nicht gefunden.");
}

// The operator types the full path into the file name box and presses Open.
void TypeAndOpen(QFileDialog& dialog, const QString& path) {
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(path);
    static_cast<QDialog&>(dialog).accept();  // what the Open button calls
}

class BrowseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QDir(folder.path()).mkpath("Daten mit Blank"));
        chosen = folder.path() + "/Daten mit Blank/crm.mdb";
        QFile file(chosen);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    // Clicks "..." and lets `operate` act on the dialog once it is up.
    void browse(std::function<void(QFileDialog&)> operate) {
        ui_test::WhenModalOpens([operate = std::move(operate), this](QWidget& modal) {
            auto* dialog = qobject_cast<QFileDialog*>(&modal);
            ASSERT_NE(dialog, nullptr);
            seenTitle = dialog->windowTitle();
            seenFilters = dialog->nameFilters();
            seenSelection = dialog->selectedFiles();
            operate(*dialog);
        });
        Control<QPushButton>(*scripted.window, "Command1")->click();
    }
    QLineEdit* text2() { return Control<QLineEdit>(*scripted.window, "Text2"); }

    QTemporaryDir folder;
    QString chosen;
    ui_test::ScriptedWindow scripted;
    QString seenTitle;
    QStringList seenFilters, seenSelection;
};

TEST_F(BrowseTest, CancelKeepsThePathAlsoAnEmptyOne) {
    browse([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(seenTitle, "Access-Dantenbank auswählen");
    EXPECT_EQ(seenFilters, QStringList({"Access (*.mdb *.accdb)"}));
    EXPECT_TRUE(text2()->text().isEmpty());

    text2()->setText("  /noch/nicht/da.mdb ");
    browse([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(text2()->text(), "  /noch/nicht/da.mdb ");
}

TEST_F(BrowseTest, ChoiceReplacesTheWholeTextWithTheFullPath) {
    text2()->setText("alt.mdb");
    browse([this](QFileDialog& dialog) { TypeAndOpen(dialog, chosen); });
    EXPECT_EQ(text2()->text(), chosen);
}

TEST_F(BrowseTest, DialogStartsAtText2) {
    text2()->setText(chosen);
    browse([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(seenSelection, QStringList({chosen}));
}

TEST_F(BrowseTest, OpensDuringARunWhichWaitsForIt) {
    scripted.run = [this](engine::RunWindow& w) {
        w.setBusy(true);
        w.setStartEnabled(false);
        ui_test::WhenModalOpens([this](QWidget& modal) {
            auto* dialog = qobject_cast<QFileDialog*>(&modal);
            ASSERT_NE(dialog, nullptr);
            TypeAndOpen(*dialog, chosen);
        });
        // The operator clicks "..." while the run yields.
        auto* command1 = Control<QPushButton>(*scripted.window, "Command1");
        QMetaObject::invokeMethod(command1, &QPushButton::click, Qt::QueuedConnection);
        w.processEvents();
        w.setBusy(false);
        w.setStartEnabled(true);
        return RunOutcome::Completed;
    };
    scripted.window->show();
    scripted.window->start();
    EXPECT_EQ(text2()->text(), chosen);
}

}  // namespace
