// A fresh Form1: controls, places, texts, states, tab order and focus; and how the controls
// show what a run hands them.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTest>

#include "ui/window_icon.h"
#include "window_test_support.h"

namespace {

using engine::ProgressBar;
using engine::StatusLabel;
using engine::TextBox;
using ui_test::Control;

struct Placement {
    const char* name;
    int left, top, width, height;
};

// Pixels of the client area.
constexpr Placement kPlacements[] = {
    {"Label1", 8, 8, 62, 13},
    {"Text1", 156, 4, 97, 21},
    {"Label_Start", 288, 8, 32, 13},
    {"Label4", 336, 8, 3, 13},
    {"Label_Ende", 344, 8, 32, 13},
    {"Label_Speed", 412, 8, 104, 13},
    {"Label5", 8, 32, 28, 13},
    {"Text4", 156, 30, 113, 19},
    {"Label6", 312, 32, 49, 13},
    {"Text5", 404, 30, 113, 19},
    {"Opt_MS", 156, 56, 107, 13},
    {"Opt_Ora", 288, 56, 107, 13},
    {"OPT_SYB", 406, 56, 107, 13},
    {"Label2", 8, 80, 97, 13},
    {"Text2", 156, 76, 337, 21},
    {"Command1", 496, 76, 21, 21},
    {"Check_nurCRMTabellen", 160, 104, 337, 19},
    {"Label3", 8, 144, 139, 13},
    {"Text3", 156, 140, 233, 21},
    {"Check_Safety", 156, 164, 337, 19},
    {"List1", 4, 184, 513, 264},
    {"ProgressBar1", 0, 456, 445, 17},
    {"ProgressBar2", 0, 472, 445, 17},
    {"Command2", 456, 456, 61, 37},
};

void ExpectPlacements(QWidget& window) {
    for (const Placement& p : kPlacements) {
        QWidget* widget = Control<QWidget>(window, p.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), QRect(p.left, p.top, p.width, p.height)) << p.name;
    }
}

TEST(WindowLayout, FreshWindowShowsTheDefaults) {
    ui_test::ScriptedWindow scripted;
    ui::MainWindow& w = *scripted.window;
    EXPECT_EQ(w.objectName(), "Form1");
    EXPECT_EQ(w.windowTitle(), "SQL - Vantor");
    EXPECT_EQ(w.size(), QSize(520, 496));

    EXPECT_TRUE(Control<QRadioButton>(w, "Opt_MS")->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(w, "Opt_Ora")->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(w, "OPT_SYB")->isChecked());
    EXPECT_EQ(Control<QRadioButton>(w, "Opt_MS")->text(), "MS SQL-Server");
    EXPECT_EQ(Control<QLineEdit>(w, "Text4")->text(), "sa");
    for (const char* name : {"Text1", "Text2", "Text3", "Text5"})
        EXPECT_TRUE(Control<QLineEdit>(w, name)->text().isEmpty()) << name;
    for (const char* name : {"Check_nurCRMTabellen", "Check_Safety"})
        EXPECT_EQ(Control<QCheckBox>(w, name)->checkState(), Qt::Unchecked) << name;
    EXPECT_EQ(Control<QCheckBox>(w, "Check_Safety")->text(),
              "sichere Tabellenzwischenspeicherung verwenden");
    for (const char* name : {"ProgressBar1", "ProgressBar2"}) {
        auto* bar = Control<QProgressBar>(w, name);
        EXPECT_EQ(bar->value(), 0) << name;
        EXPECT_EQ(bar->maximum(), 100) << name;
    }
    for (const char* name : {"Label_Start", "Label_Ende", "Label_Speed"})
        EXPECT_TRUE(Control<QLabel>(w, name)->text().isEmpty()) << name;
    EXPECT_EQ(Control<QLabel>(w, "Label3")->text(), "nur einzelne Tabelle saugen :");
    EXPECT_EQ(Control<QListWidget>(w, "List1")->count(), 0);
    EXPECT_TRUE(Control<QPushButton>(w, "Command2")->isEnabled());
    EXPECT_EQ(Control<QPushButton>(w, "Command2")->text(), "Start");
    EXPECT_EQ(Control<QPushButton>(w, "Command1")->text(), "...");
    EXPECT_FALSE(w.isBusy());
    EXPECT_FALSE(w.abortRequested());
    // The one mended fault of the layout: the password is masked.
    EXPECT_EQ(Control<QLineEdit>(w, "Text5")->echoMode(), QLineEdit::Password);
}

TEST(WindowLayout, ControlsStayAtTheirPlacesAlsoWhenResized) {
    ui_test::ScriptedWindow scripted;
    ExpectPlacements(*scripted.window);
    scripted.window->resize(900, 700);
    scripted.window->show();
    QApplication::processEvents();
    ExpectPlacements(*scripted.window);
}

TEST(WindowLayout, EveryCaptionFitsItsPlace) {
    ui_test::ScriptedWindow scripted;
    ui::MainWindow& w = *scripted.window;
    for (const char* name : {"Label1", "Label5", "Label6", "Label2", "Label3", "Label4"}) {
        auto* label = Control<QLabel>(w, name);
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << name;
        EXPECT_LE(label->fontMetrics().height(), label->height()) << name;
    }
    for (const char* name :
         {"Opt_MS", "Opt_Ora", "OPT_SYB", "Check_nurCRMTabellen", "Check_Safety"}) {
        auto* button = Control<QAbstractButton>(w, name);
        EXPECT_LE(button->sizeHint().width(), button->width()) << name;
    }
}

TEST(WindowLayout, FocusStartsInText1AndTabFollowsTheOrder) {
    ui_test::ScriptedWindow scripted;
    ui::MainWindow& w = *scripted.window;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "Text1");

    QStringList visited;
    for (int step = 0; step < 12; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited,
              QStringList({"Text4", "Text5", "Text2", "Command1", "Text3", "Check_Safety", "List1",
                           "Command2", "Opt_MS", "Check_nurCRMTabellen", "Text1", "Text4"}));
}

TEST(WindowLayout, EnterAndEscTriggerNoButton) {
    ui_test::ScriptedWindow scripted;
    ui::MainWindow& w = *scripted.window;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    for (const char* name : {"Text1", "Text2", "Text3"}) {
        QWidget* box = Control<QWidget>(w, name);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Escape);
    }
    EXPECT_EQ(scripted.runs, 0);
    EXPECT_TRUE(w.isVisible());
}

TEST(WindowLayout, IconIs32By32In16Colours) {
    const QImage icon = ui::WindowIconImage();
    EXPECT_EQ(icon.size(), QSize(32, 32));
    ASSERT_EQ(icon.colorCount(), 16);
    QSet<uint> used;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) used.insert(icon.pixelIndex(x, y));
    EXPECT_GE(used.size(), 5);  // a picture, not a blank square
    ui_test::ScriptedWindow scripted;
    EXPECT_FALSE(scripted.window->windowIcon().isNull());
}

TEST(WindowDriven, TimeLabelsWidenToTheirTextSpeedKeepsItsSize) {
    ui_test::ScriptedWindow scripted;
    ui::MainWindow& w = *scripted.window;
    w.setCaption(StatusLabel::Label_Start, u"10:00:00 Uhr und mehr");
    w.setCaption(StatusLabel::Label_Ende, u"?");
    w.setCaption(StatusLabel::Label_Speed, u"123.456.789 Datensätze pro Sekunde");
    auto* start = Control<QLabel>(w, "Label_Start");
    EXPECT_GE(start->width(), start->sizeHint().width());
    EXPECT_GT(start->width(), 32);
    EXPECT_EQ(Control<QLabel>(w, "Label_Ende")->width(), 32);
    EXPECT_EQ(Control<QLabel>(w, "Label_Speed")->size(), QSize(104, 13));
    EXPECT_EQ(Control<QLabel>(w, "Label_Speed")->text(), "123.456.789 Datensätze pro Sekunde");
}

TEST(WindowDriven, EveryNewLineIsSelectedEvenAfterTheOperatorPickedAnother) {
    ui_test::ScriptedWindow scripted;
    ui::MainWindow& w = *scripted.window;
    auto* list = Control<QListWidget>(w, "List1");
    w.addListItem(u"Start: 08.12.2026 // 10:00:00");
    w.addListItem(u"");
    list->setCurrentRow(0);
    w.addListItem(u"\t\tFeld zu klein für Ä");
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_TRUE(list->item(2)->isSelected());
    EXPECT_EQ(list->item(2)->text(), "\t\tFeld zu klein für Ä");
    EXPECT_EQ(list->item(1)->text(), "");
    w.clearList();
    EXPECT_EQ(list->count(), 0);
}

TEST(WindowDriven, RunReadsAndWritesTheControls) {
    ui_test::ScriptedWindow scripted;
    ui::MainWindow& w = *scripted.window;
    Control<QRadioButton>(w, "Opt_Ora")->click();
    EXPECT_FALSE(w.isOptionSet(engine::ServerOption::Opt_MS));
    EXPECT_TRUE(w.isOptionSet(engine::ServerOption::Opt_Ora));
    auto* safety = Control<QCheckBox>(w, "Check_Safety");
    safety->setCheckState(Qt::Checked);
    EXPECT_EQ(w.checkValue(engine::CheckBox::Check_Safety), 1);
    safety->setTristate(true);
    safety->setCheckState(Qt::PartiallyChecked);
    EXPECT_EQ(w.checkValue(engine::CheckBox::Check_Safety), 2);
    EXPECT_EQ(w.checkValue(engine::CheckBox::Check_nurCRMTabellen), 0);

    Control<QLineEdit>(w, "Text5")->setText(QStringLiteral("gehe!m"));
    EXPECT_EQ(w.text(TextBox::Text5), u"gehe!m");
    w.setText(TextBox::Text1, u"Kundendaten");
    EXPECT_EQ(Control<QLineEdit>(w, "Text1")->text(), "Kundendaten");
    w.setStartEnabled(false);
    EXPECT_FALSE(Control<QPushButton>(w, "Command2")->isEnabled());
}

TEST(WindowDriven, ProgressBarsKeepTheRunsNumbersAndShowTheirFraction) {
    ui_test::ScriptedWindow scripted;
    ui::MainWindow& w = *scripted.window;
    auto* bar = Control<QProgressBar>(w, "ProgressBar2");
    w.setProgressMax(ProgressBar::ProgressBar2, 16777217.0f);  // not a float: 2^24 kept
    w.setProgressValue(ProgressBar::ProgressBar2, 8388608.0f);
    EXPECT_EQ(w.progressMax(ProgressBar::ProgressBar2), 16777216.0f);
    EXPECT_EQ(bar->maximum(), 16777216);
    EXPECT_EQ(bar->value(), 8388608);

    w.setProgressMax(ProgressBar::ProgressBar2, 6.0e9f);
    w.setProgressValue(ProgressBar::ProgressBar2, 4.5e9f);
    EXPECT_EQ(w.progressValue(ProgressBar::ProgressBar2), 4.5e9f);
    EXPECT_LE(bar->maximum(), std::numeric_limits<int>::max());
    EXPECT_NEAR(static_cast<double>(bar->value()) / bar->maximum(), 0.75, 1e-6);

    // A server without tables: an empty bar, not Qt's busy animation (range 0..0).
    w.setProgressMax(ProgressBar::ProgressBar1, 0.0f);
    auto* tables = Control<QProgressBar>(w, "ProgressBar1");
    EXPECT_GT(tables->maximum(), tables->minimum());
    EXPECT_EQ(tables->value(), 0);
}

}  // namespace
