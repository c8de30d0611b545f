#include "test_sources.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace odbc_test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSqliteDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string contentsOf(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write(const fs::path& path, const std::string& text) {
    std::ofstream out(path);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

// The configuration in force at start (the servers' merged files), taken over whole before
// ODBCSYSINI and ODBCINI point elsewhere. Nothing when ODBCSYSINI is unset: then the system's
// files would be read, and the tests do not depend on those.
std::string inheritedIni(bool drivers) {
    const std::string dir = environmentValue("ODBCSYSINI");
    if (dir.empty()) return "";
    std::string dsnFile = environmentValue("ODBCINI");
    if (dsnFile.empty()) dsnFile = (fs::path(dir) / "odbc.ini").string();
    return "\n" + contentsOf(drivers ? fs::path(dir) / "odbcinst.ini" : fs::path(dsnFile));
}

fs::path sqliteDatabase() {
    return fs::path(environmentValue("ODBCSYSINI")) / "test.db";
}

std::optional<Login> loginFrom(const char* dsnVariable, const char* userVariable,
                               const char* passwordVariable) {
    Login login{environmentValue(dsnVariable), environmentValue(userVariable),
                environmentValue(passwordVariable)};
    if (login.dsn.empty() || login.user.empty()) return std::nullopt;
    return login;
}

std::optional<TdsLogin> tdsLogin(const char* dsnVariable) {
    std::optional<Login> login =
        loginFrom(dsnVariable, "SQLVANTOR_TDS_USER", "SQLVANTOR_TDS_PASSWORD");
    if (!login) return std::nullopt;
    return TdsLogin{*login, environmentValue("SQLVANTOR_TDS_DATABASE")};
}

}  // namespace

TestSources::TestSources() {
    std::string pattern = (fs::temp_directory_path() / "odbc-tests-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    fs::path dir = pattern;
    write(dir / "odbcinst.ini",
          std::string("[SQLite3 test]\nDriver=") + kSqliteDriver + "\n" + inheritedIni(true));
    const std::string database = "Driver=SQLite3 test\nDatabase=" + (dir / "test.db").string();
    write(dir / "odbc.ini", std::string("[") + kSqliteDsn + "]\n" + database + "\n[" +
                                kSqliteStepDsn + "]\n" + database + "\nStepAPI=1\n" +
                                inheritedIni(false));
    setenv("ODBCSYSINI", dir.c_str(), 1);
    setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);
    directory_ = dir.string();
}

TestSources::~TestSources() {
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
}

void resetSqliteDatabase() {
    std::error_code ignored;
    fs::remove(sqliteDatabase(), ignored);
}

std::optional<PostgresLogin> postgresLogin() {
    return loginFrom("SQLVANTOR_PG_DSN", "SQLVANTOR_PG_USER", "SQLVANTOR_PG_PASSWORD");
}

std::optional<PostgresLogin> postgresAnsiLogin() {
    return loginFrom("SQLVANTOR_PG_ANSI_DSN", "SQLVANTOR_PG_USER", "SQLVANTOR_PG_PASSWORD");
}

std::optional<MariadbLogin> mariadbLogin() {
    std::optional<Login> login =
        loginFrom("SQLVANTOR_MARIA_DSN", "SQLVANTOR_MARIA_USER", "SQLVANTOR_MARIA_PASSWORD");
    if (!login) return std::nullopt;
    return MariadbLogin{*login, environmentValue("SQLVANTOR_MARIA_SOCKET")};
}

std::optional<TdsLogin> mssqlLogin() {
    return tdsLogin("SQLVANTOR_MSSQL_DSN");
}

std::optional<TdsLogin> sybaseLogin() {
    return tdsLogin("SQLVANTOR_SYBASE_DSN");
}

}  // namespace odbc_test
