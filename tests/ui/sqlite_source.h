// The ODBC data source of the window tests: SQLite ODBC behind a DSN in test-owned ini files
// (ODBCSYSINI/ODBCINI point at them before the first ODBC call, and child processes inherit
// them), and a Jet 4 copy of an Access-made fixture as the target.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <filesystem>
#include <optional>

namespace ui_test {

inline constexpr const char* kSourceDsn = "sqlvantor_ui";

// Lives in main() around the test run.
class SqliteSource {
  public:
    SqliteSource();
    SqliteSource(const SqliteSource&) = delete;
    SqliteSource& operator=(const SqliteSource&) = delete;

  private:
    QTemporaryDir directory_;
};

// Replaces the source database with a fresh one built by `sql` (sqlite3's dialect).
void ResetSource(const QString& sql);

// A copy of the fixture `name` in `folder`, or nothing when the fixtures are absent.
std::optional<QString> CopyFixture(const QTemporaryDir& folder, const QString& name);

// `jettool export FILE TABLE`: the table as CSV.
QString ExportTable(const QString& file, const QString& table);

}  // namespace ui_test
