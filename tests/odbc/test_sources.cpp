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

// The PostgreSQL script's files, taken over before ODBCSYSINI and ODBCINI point elsewhere.
std::string postgresIni(bool drivers) {
    std::string dir = environmentValue("ODBCSYSINI");
    if (!postgresLogin() || dir.empty()) return "";
    std::string dsnFile = environmentValue("ODBCINI");
    if (dsnFile.empty()) dsnFile = (fs::path(dir) / "odbc.ini").string();
    return "\n" + contentsOf(drivers ? fs::path(dir) / "odbcinst.ini" : fs::path(dsnFile));
}

fs::path sqliteDatabase() {
    return fs::path(environmentValue("ODBCSYSINI")) / "test.db";
}

}  // namespace

TestSources::TestSources() {
    std::string pattern = (fs::temp_directory_path() / "odbc-tests-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    fs::path dir = pattern;
    write(dir / "odbcinst.ini",
          std::string("[SQLite3 test]\nDriver=") + kSqliteDriver + "\n" + postgresIni(true));
    const std::string database = "Driver=SQLite3 test\nDatabase=" + (dir / "test.db").string();
    write(dir / "odbc.ini", std::string("[") + kSqliteDsn + "]\n" + database + "\n[" +
                                kSqliteStepDsn + "]\n" + database + "\nStepAPI=1\n" +
                                postgresIni(false));
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
    PostgresLogin login{environmentValue("SQLVANTOR_PG_DSN"), environmentValue("SQLVANTOR_PG_USER"),
                        environmentValue("SQLVANTOR_PG_PASSWORD")};
    if (login.dsn.empty() || login.user.empty()) return std::nullopt;
    return login;
}

}  // namespace odbc_test
