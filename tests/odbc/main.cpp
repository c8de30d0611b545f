// Test entry: a UTF-8 locale first, as the program itself runs (psqlODBC's wide data needs it),
// then the data sources.
#include <gtest/gtest.h>

#include <clocale>

#include "test_sources.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C.UTF-8");
    testing::InitGoogleTest(&argc, argv);
    odbc_test::TestSources sources;
    return RUN_ALL_TESTS();
}
