// The data sources the ODBC tests run against, set up once per test run: a temporary directory
// with odbcinst.ini and odbc.ini for SQLite ODBC, plus every driver and DSN of the configuration
// ODBCSYSINI/ODBCINI named at start (scripts/test-servers merges the throwaway servers' files
// there), named by ODBCSYSINI/ODBCINI before the first ODBC call; the driver manager keeps the
// first paths it sees. The servers' log-ons come from their SQLVANTOR_* variables.
#pragma once

#include <optional>
#include <string>

namespace odbc_test {

constexpr const char* kSqliteDsn = "sqlvantor_lite";
// The same database with StepAPI=1: the driver steps through a forward-only result instead of
// loading it whole at execution, so errors of a row arrive when it is fetched.
constexpr const char* kSqliteStepDsn = "sqlvantor_lite_step";

// Log-on for one of the throwaway servers.
struct Login {
    std::string dsn;
    std::string user;
    std::string password;
};
using PostgresLogin = Login;

struct MariadbLogin : Login {
    std::string socket;  // the server's Unix socket, for the mariadb client
};

struct TdsLogin : Login {
    std::string database;  // the database the DSN opens
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

// Each is set when its server's variables are (a DSN and a user); tests GTEST_SKIP otherwise.
// PostgreSQL through psqlODBC's Unicode driver (SQLVANTOR_PG_*).
std::optional<PostgresLogin> postgresLogin();
// The same PostgreSQL database through psqlODBC's ANSI driver (SQLVANTOR_PG_ANSI_DSN).
std::optional<PostgresLogin> postgresAnsiLogin();
// MariaDB through MariaDB Connector/ODBC (SQLVANTOR_MARIA_*).
std::optional<MariadbLogin> mariadbLogin();
// The TDS test server through FreeTDS, as Microsoft SQL Server (SQLVANTOR_MSSQL_DSN) and as
// Sybase (SQLVANTOR_SYBASE_DSN, TDS 5.0); both with SQLVANTOR_TDS_*.
std::optional<TdsLogin> mssqlLogin();
std::optional<TdsLogin> sybaseLogin();

}  // namespace odbc_test
