// The engine tests' data sources (a temporary odbc.ini with SQLite ODBC, and PostgreSQL when its
// variables are set) exist for the whole test run.
#include <gtest/gtest.h>

#include <clocale>

#include "test_sources.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    odbc_test::TestSources sources;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
