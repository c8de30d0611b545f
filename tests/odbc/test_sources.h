// The data sources the ODBC tests run against, set up once per test run: a temporary directory
// with odbcinst.ini and odbc.ini for SQLite ODBC (and, when scripts/throwaway-postgres has
// exported SQLVANTOR_PG_*, its PostgreSQL entries copied in), named by ODBCSYSINI/ODBCINI
// before the first ODBC call; the driver manager keeps the first paths it sees.
#pragma once

#include <optional>
#include <string>

namespace odbc_test {

constexpr const char* kSqliteDsn = "sqlvantor_lite";
// The same database with StepAPI=1: the driver steps through a forward-only result instead of
// loading it whole at execution, so errors of a row arrive when it is fetched.
constexpr const char* kSqliteStepDsn = "sqlvantor_lite_step";

// Log-on for the throwaway PostgreSQL server.
struct PostgresLogin {
    std::string dsn;
    std::string user;
    std::string password;
};

// Lives in main() around the test run: writes the files, removes them at the end.
class TestSources {
  public:
    TestSources();
    ~TestSources();
    TestSources(const TestSources&) = delete;
    TestSources& operator=(const TestSources&) = delete;

  private:
    std::string directory_;
};

// A fresh, empty SQLite database file behind kSqliteDsn.
void resetSqliteDatabase();

// Set when the PostgreSQL variables are; tests GTEST_SKIP otherwise.
std::optional<PostgresLogin> postgresLogin();

}  // namespace odbc_test
