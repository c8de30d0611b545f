// Qt's own texts in German with the translation the program loads, whatever LANG says (the
// tests run with C.UTF-8): the "..." dialog with columns that show their whole contents, the
// text boxes' context menus, and the failure box centred over the window.
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <memory>

#include "ui/failure_report.h"
#include "ui/german_qt_texts.h"
#include "window_test_support.h"

namespace {

using ui_test::Control;

// A text as the operator reads it: without the mnemonic's '&' and the shortcut after a tab.
QString Shown(QString text) {
    text = text.section(QLatin1Char('\t'), 0, 0);
    return text.remove(QLatin1Char('&'));
}

class GermanTexts : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(german.loaded()) << "qtbase_de fehlt (qt6-translations-l10n)";
    }

    ui::GermanQtTexts german;
    ui_test::ScriptedWindow scripted;
};

struct DialogSeen {
    QString lookIn, fileName, fileType;
    QStringList buttons, headers;
    // Per detail column (size, type, date): its width and the width its rows need.
    std::vector<std::pair<int, int>> widthAndNeed;
};

DialogSeen Inspect(QFileDialog& dialog, const QString& file) {
    DialogSeen seen;
    seen.lookIn = Control<QLabel>(dialog, "lookInLabel")->text();
    seen.fileName = Control<QLabel>(dialog, "fileNameLabel")->text();
    seen.fileType = Control<QLabel>(dialog, "fileTypeLabel")->text();
    for (QAbstractButton* button : Control<QDialogButtonBox>(dialog, "buttonBox")->buttons())
        seen.buttons.append(Shown(button->text()));
    auto* details = Control<QTreeView>(dialog, "treeView");
    auto* model = qobject_cast<QFileSystemModel*>(details->model());
    for (int column = 0; column < details->header()->count(); ++column)
        seen.headers.append(model->headerData(column, Qt::Horizontal).toString());
    // The folder is read in the background; the row must be there before its width counts.
    const QModelIndex row = model->index(file);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !model->data(row.siblingAtColumn(2)).toString().isEmpty(); }));
    QCoreApplication::processEvents();
    const QAbstractItemView& view = *details;  // where the size hints are public
    for (int column = 1; column < 4; ++column) {
        EXPECT_FALSE(model->data(row.siblingAtColumn(column)).toString().isEmpty()) << column;
        // The delegate's own measure, margins included: anything narrower is cut with "…".
        seen.widthAndNeed.emplace_back(details->header()->sectionSize(column),
                                       view.sizeHintForColumn(column));
    }
    return seen;
}

TEST_F(GermanTexts, FileDialogSpeaksGermanAndShowsWholeSizesAndTypes) {
    QTemporaryDir folder;
    const QString file = folder.path() + "/crm.mdb";
    QFile database(file);
    ASSERT_TRUE(database.open(QIODevice::WriteOnly));
    database.write(QByteArray(136 * 1024 + 500, '\0'));  // "136,5 KiB"
    database.close();
    Control<QLineEdit>(*scripted.window, "Text2")->setText(file);
    DialogSeen seen;
    ui_test::WhenModalOpens([&](QWidget& modal) {
        auto* dialog = qobject_cast<QFileDialog*>(&modal);
        ASSERT_NE(dialog, nullptr);
        seen = Inspect(*dialog, file);
        dialog->reject();
    });
    scripted.window->show();
    Control<QPushButton>(*scripted.window, "Command1")->click();

    EXPECT_EQ(seen.lookIn, "Suchen in:");
    EXPECT_EQ(Shown(seen.fileName), "Dateiname:");
    EXPECT_EQ(seen.fileType, "Dateien des Typs:");
    EXPECT_EQ(seen.buttons.size(), 2);
    EXPECT_TRUE(seen.buttons.contains("Öffnen")) << seen.buttons.join('|').toStdString();
    EXPECT_TRUE(seen.buttons.contains("Abbrechen")) << seen.buttons.join('|').toStdString();
    EXPECT_EQ(seen.headers, QStringList({"Name", "Größe", "Typ", "Änderungsdatum"}));
    ASSERT_EQ(seen.widthAndNeed.size(), 3u);
    for (const auto& [width, need] : seen.widthAndNeed) {
        EXPECT_GT(need, 0);
        EXPECT_GE(width, need);
    }
}

TEST_F(GermanTexts, ContextMenuOfEveryTextBoxIsGerman) {
    for (const char* name : {"Text1", "Text2", "Text3", "Text4", "Text5"}) {
        auto* box = Control<QLineEdit>(*scripted.window, name);
        const std::unique_ptr<QMenu> menu(box->createStandardContextMenu());
        QStringList shown;
        for (QAction* action : menu->actions())
            if (!action->isSeparator()) shown.append(Shown(action->text()));
        for (const char* expected : {"Rückgängig", "Wiederherstellen", "Ausschneiden", "Kopieren",
                                     "Einfügen", "Löschen", "Alles auswählen"}) {
            EXPECT_TRUE(shown.contains(QString::fromUtf8(expected)))
                << name << ": " << shown.join('|').toStdString();
        }
    }
}

// The failure box as the operator sees it: its frame's centre and the window's centre.
std::pair<QPoint, QPoint> FailureBoxCentres(QWidget& window) {
    std::pair<QPoint, QPoint> centres;
    ui_test::WhenModalOpens([&](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        ASSERT_NE(box, nullptr);
        centres = {box->frameGeometry().center(), window.frameGeometry().center()};
        EXPECT_TRUE(modal.screen()->availableGeometry().contains(box->frameGeometry()));
        box->accept();
    });
    ui::ShowFailureBox(&window, engine::RunFailure{3024, u"Datei '/x/crm.mdb' nicht gefunden."});
    return centres;
}

TEST_F(GermanTexts, FailureBoxIsCentredOverTheWindowAndStaysOnTheScreen) {
    QWidget& window = *scripted.window;
    window.move(150, 60);
    window.show();
    const auto [box, over] = FailureBoxCentres(window);
    EXPECT_LE((box - over).manhattanLength(), 2) << box.x() << "," << box.y();

    // Half outside the screen: the box moves only as far as needed to be seen whole.
    window.move(-400, 60);
    const auto [shifted, overShifted] = FailureBoxCentres(window);
    EXPECT_EQ(shifted.y(), overShifted.y());
    EXPECT_GT(shifted.x(), overShifted.x());
}

}  // namespace
