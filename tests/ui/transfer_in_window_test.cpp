// Whole transfer runs in the window against SQLite ODBC and a copy of an Access-made file: the
// close request at the two moments that differ, Start without a path, the unattended program,
// and pictures of the window for anyone to look at.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include "engine/transfer_run.h"
#include "jet/dao/dao_database.h"
#include "sqlite_source.h"
#include "window_test_support.h"

namespace {

using ui_test::Control;

constexpr const char* kSourceTables =
    "CREATE TABLE TABLE1 (A VARCHAR(50), I BOOLEAN);"
    "INSERT INTO TABLE1 VALUES ('Müller', 1), ('Ölwanne', 0), ('Straße 7', 1);"
    "CREATE TABLE Fehlt (x INTEGER);";

class TransferInWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        const std::optional<QString> copy = ui_test::CopyFixture(folder, "testV2000.mdb");
        if (!copy) GTEST_SKIP() << "fixture testV2000.mdb is missing";
        target = *copy;
        ui_test::ResetSource(QString::fromUtf8(kSourceTables));
        window = std::make_unique<ui::MainWindow>(
            [this](engine::RunWindow& w, const engine::CrmTableList& crmTables) {
                return engine::RunTransfer(w, dbEngine, crmTables);
            });
        window->setFailureReporter([](const engine::RunFailure& failure) {
            ADD_FAILURE() << "run failed: " << failure.number << " "
                          << QString::fromStdU16String(failure.description).toStdString();
        });
        window->setProgramEnd([](int) {});
        Control<QLineEdit>(*window, "Text1")->setText(ui_test::kSourceDsn);
        Control<QLineEdit>(*window, "Text2")->setText(target);
        Control<QLineEdit>(*window, "Text5")->setText("geheim");
        window->show();
    }

    QStringList lines() {
        auto* list = Control<QListWidget>(*window, "List1");
        QStringList texts;
        for (int row = 0; row < list->count(); ++row) texts << list->item(row)->text();
        return texts;
    }
    // Asks the window to close while the run yields after the first line starting with `prefix`.
    void closeAtLine(const QString& prefix) {
        auto* list = Control<QListWidget>(*window, "List1");
        QObject::connect(
            list->model(), &QAbstractItemModel::rowsInserted, window.get(),
            [this, list, prefix, done = false](const QModelIndex&, int first, int) mutable {
                if (done || !list->item(first)->text().startsWith(prefix)) return;
                done = true;
                QMetaObject::invokeMethod(window.get(), &QWidget::close, Qt::QueuedConnection);
            });
    }
    void pressStart() { Control<QPushButton>(*window, "Command2")->click(); }
    QString logFile() const { return QFileInfo(target).path() + "/testV2000.LOG"; }
    int count(const QString& prefix) {
        return static_cast<int>(
            lines().filter(QRegularExpression("^" + QRegularExpression::escape(prefix))).size());
    }

    QTemporaryDir folder;
    QString target;
    jet::dao::DBEngine dbEngine;
    std::unique_ptr<ui::MainWindow> window;
};

TEST_F(TransferInWindow, StartWithEmptyOrBlankPathLeavesTheWindowIdle) {
    for (const char* path : {"", "   "}) {
        Control<QLineEdit>(*window, "Text2")->setText(path);
        window->addListItem(u"vom letzten Lauf");
        pressStart();
        EXPECT_EQ(lines().last(), "vom letzten Lauf");
        EXPECT_TRUE(Control<QPushButton>(*window, "Command2")->isEnabled());
        EXPECT_FALSE(window->isBusy());
    }
    EXPECT_TRUE(QDir(folder.path()).entryList({"*.LOG", "LOG"}).isEmpty());
    EXPECT_TRUE(window->close());
}

TEST_F(TransferInWindow, CloseDuringTheTableWalkAbortsAndKeepsTheWindowOpen) {
    closeAtLine("SQL: ");
    pressStart();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(count("SQL: "), 1) << lines().join('\n').toStdString();
    EXPECT_TRUE(lines().contains("*!*!* Ausführung abgebrochen *!*!*"));
    EXPECT_TRUE(lines().last().startsWith("Ende: "));
    EXPECT_TRUE(Control<QPushButton>(*window, "Command2")->isEnabled());
    EXPECT_TRUE(window->close());  // the next close ends it
}

TEST_F(TransferInWindow, CloseWhileConnectingIsForgottenAndTheRunGoesOn) {
    closeAtLine("Start: ");
    pressStart();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(count("SQL: "), 2) << lines().join('\n').toStdString();
    EXPECT_FALSE(lines().contains("*!*!* Ausführung abgebrochen *!*!*"));
    // The data source's name, never a connect string that could carry the password.
    EXPECT_EQ(Control<QLineEdit>(*window, "Text1")->text(), ui_test::kSourceDsn);
    QFile log(logFile());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_FALSE(log.readAll().contains("geheim"));
    EXPECT_TRUE(ui_test::ExportTable(target, "Table1").contains("Müller"));
}

TEST_F(TransferInWindow, WindowPicturesIdleAndAfterARun) {
    const QString idle = QStringLiteral(SQLVANTOR_BUILD_DIR "/sqlvantor-window-idle.png");
    const QString done = QStringLiteral(SQLVANTOR_BUILD_DIR "/sqlvantor-window-after-run.png");
    QFile::remove(idle);
    QFile::remove(done);
    ASSERT_TRUE(window->grab().save(idle));
    pressStart();
    ASSERT_TRUE(window->grab().save(done));
    EXPECT_EQ(QImage(idle).size(), QSize(520, 496));
    EXPECT_EQ(QImage(done).size(), QSize(520, 496));
}

// The program as cron starts it: no display, no runtime folder, the path with blanks in a
// separate argument.
TEST_F(TransferInWindow, UnattendedProgramRunRefreshesAndPrintsItsLines) {
    ASSERT_TRUE(QDir(folder.path()).mkpath("Ordner mit Blank"));
    const QString spaced = folder.path() + "/Ordner mit Blank/testV2000.mdb";
    ASSERT_TRUE(QFile::copy(target, spaced));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(SQLVANTOR_EXE), {ui_test::kSourceDsn, spaced});
    ASSERT_TRUE(process.waitForFinished(120000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 0) << err.toStdString();
    // A run that went through has nothing to say on standard error: cron mails nothing.
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    const QStringList printed = out.split('\n');
    EXPECT_TRUE(printed.first().startsWith("Start: ")) << out.toStdString();
    EXPECT_TRUE(printed.contains("SQL: TABLE1"));
    EXPECT_TRUE(printed.contains("SQL: Fehlt"));
    EXPECT_TRUE(printed.contains("\tNICHT IN ACCESS-Datenbank !!!"));
    EXPECT_TRUE(out.contains("\nEnde: "));
    EXPECT_TRUE(QFile::exists(folder.path() + "/Ordner mit Blank/testV2000.LOG"));
    const QString rows = ui_test::ExportTable(spaced, "Table1");
    EXPECT_TRUE(rows.contains("Müller")) << rows.toStdString();
    EXPECT_TRUE(rows.contains("Straße 7"));
}

}  // namespace
