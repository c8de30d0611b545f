// The ODBC layer against FreeTDS and the test TDS server, on what only a TDS server shows: a
// row the server cannot send ends the result with an error after the rows before it, never
// quietly as if the table ended there (FreeTDS reports it beside the rows of a row array that
// succeeded, then says there are no more). Skipped unless scripts/throwaway-tds (through
// scripts/test-servers) has exported SQLVANTOR_MSSQL_DSN, SQLVANTOR_SYBASE_DSN and
// SQLVANTOR_TDS_*.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "odbc/environment.h"
#include "odbc/error.h"
#include "test_sources.h"
#include "value_printing.h"

namespace odbc_test {
namespace {

// Tables go straight into the server's SQLite file, as its docstring describes.
void sqlite(const std::string& file, const std::string& sql) {
    const std::string command = "sqlite3 '" + file + "' \"" + sql + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

void expectErrorAfterRows(const TdsLogin& login, const char* table, int good) {
    odbc::Environment environment = odbc::createEnvironment("Test", login.user, login.password);
    odbc::Connection db = environment.openConnection(login.dsn);
    odbc::Resultset rs = db.openResultset(std::string("SELECT * FROM ") + table);
    int rows = 0;
    try {
        for (; !rs.eof(); rs.moveNext()) {
            ASSERT_EQ(rs.value(0), odbc::Value(int32_t{rows + 1})) << login.dsn;
            ++rows;
        }
        FAIL() << login.dsn << ": the result ended quietly after " << rows << " rows";
    } catch (const odbc::Error& e) {
        EXPECT_EQ(rows, good) << login.dsn << ": " << e.what();
        EXPECT_TRUE(rs.eof());
    }
}

TEST(TdsTest, ARowTheServerCannotSendEndsTheResultWithAnError) {
    for (const auto& login : {mssqlLogin(), sybaseLogin()}) {
        if (!login) GTEST_SKIP() << "no TDS server: run under scripts/test-servers";
        const std::string table = "tds_cut_" + login->dsn;
        sqlite(login->database, "DROP TABLE IF EXISTS " + table + "; CREATE TABLE " + table +
                                    " (id int, n int);"
                                    " WITH RECURSIVE z(n) AS (SELECT 1 UNION ALL SELECT n + 1"
                                    " FROM z WHERE n < 400) INSERT INTO " +
                                    table +
                                    " SELECT n, CASE WHEN n = 300 THEN 'keine Zahl' ELSE n END"
                                    " FROM z;");
        expectErrorAfterRows(*login, table.c_str(), 299);
        sqlite(login->database, "DROP TABLE " + table + ";");
    }
}

}  // namespace
}  // namespace odbc_test
