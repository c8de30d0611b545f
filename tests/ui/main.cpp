// The window tests need one QApplication for the whole run, always on the offscreen platform,
// and the SQLite data source before the first ODBC call.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "sqlite_source.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    ui_test::SqliteSource source;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
