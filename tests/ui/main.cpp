// The window tests need one QApplication for the whole run, always on the offscreen platform,
// and the SQLite data source before the first ODBC call.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "sqlite_source.h"
#include "ui/runtime_folder.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const ui::RuntimeFolder runtimeFolder;  // quiet also where the session has none (CI)
    // Qt's file dialog keeps its column widths and folders in the user's settings; the tests
    // start from none and leave none behind.
    const QTemporaryDir settings;
    setenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()).constData(), 1);
    QApplication application(argc, argv);
    ui_test::SqliteSource source;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
