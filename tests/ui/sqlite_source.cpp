#include "sqlite_source.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <cstdlib>

namespace ui_test {
namespace {

constexpr const char* kSqliteDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

QString SourceFile() {
    return qEnvironmentVariable("ODBCSYSINI") + "/source.db";
}

void Write(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    file.write(text.toUtf8());
}

}  // namespace

SqliteSource::SqliteSource() {
    if (!directory_.isValid()) std::abort();
    const QString dir = directory_.path();
    Write(dir + "/odbcinst.ini", QStringLiteral("[SQLite3 ui]\nDriver=%1\n").arg(kSqliteDriver));
    Write(dir + "/odbc.ini",
          QStringLiteral("[%1]\nDriver=SQLite3 ui\nDatabase=%2/source.db\n").arg(kSourceDsn, dir));
    qputenv("ODBCSYSINI", dir.toLocal8Bit());
    qputenv("ODBCINI", (dir + "/odbc.ini").toLocal8Bit());
}

void ResetSource(const QString& sql) {
    QFile::remove(SourceFile());
    QProcess sqlite;
    sqlite.start(QStringLiteral("sqlite3"), {SourceFile()});
    ASSERT_TRUE(sqlite.waitForStarted());
    sqlite.write(sql.toUtf8());
    sqlite.closeWriteChannel();
    ASSERT_TRUE(sqlite.waitForFinished());
    ASSERT_EQ(sqlite.exitCode(), 0) << sqlite.readAllStandardError().toStdString();
}

std::optional<QString> CopyFixture(const QTemporaryDir& folder, const QString& name) {
    const QString fixture = QStringLiteral(SQLVANTOR_FIXTURES "/jet4/") + name;
    if (!QFile::exists(fixture)) return std::nullopt;
    const QString copy = folder.path() + "/" + name;
    QFile::remove(copy);
    if (!QFile::copy(fixture, copy)) return std::nullopt;
    QFile(copy).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return copy;
}

QString ExportTable(const QString& file, const QString& table) {
    QProcess jettool;
    jettool.start(QStringLiteral(SQLVANTOR_JETTOOL), {"export", file, table});
    jettool.waitForFinished();
    return QString::fromUtf8(jettool.readAllStandardOutput());
}

}  // namespace ui_test
