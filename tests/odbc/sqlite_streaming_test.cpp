// Result sets read ahead on their own thread, against SQLite ODBC with StepAPI=1 (rows are
// stepped through as they are fetched, so an error of a row arrives when that row is fetched):
// values survive the block boundaries, errors come at their row, and closing early frees the
// statement at once.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "odbc/environment.h"
#include "odbc/error.h"
#include "test_data.h"
#include "test_sources.h"
#include "value_printing.h"

namespace odbc_test {
namespace {

using odbc::LockType;
using odbc::ResultsetType;
using odbc::Value;

constexpr int kRows = 30000;        // many blocks of either kind
constexpr int kFailingRow = 17000;  // well inside a block the thread fetched

std::u16string note(int n) {
    std::string text = "Zeile " + std::to_string(n);
    return std::u16string(text.begin(), text.end()) + u" – Größe";
}

class SqliteStreamingTest : public testing::Test {
  protected:
    void SetUp() override {
        resetSqliteDatabase();
        environment.setCursorDriver(odbc::CursorDriver::UseServer);
        // Written without StepAPI, which would step through "WITH … INSERT" only when fetched.
        odbc::Connection writer = environment.openConnection(kSqliteDsn);
        writer.execute("CREATE TABLE t (n INTEGER, notiz VARCHAR(40), lang TEXT)");
        // Every 500th row carries a value far beyond its cell and the block budget's share.
        writer.execute(
            "WITH RECURSIVE z(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM z WHERE n < " +
            std::to_string(kRows) +
            ") INSERT INTO t SELECT n, CASE WHEN n % 5 = 0 THEN NULL ELSE 'Zeile ' || n ||"
            " ' – Größe' END, CASE WHEN n % 500 = 0 THEN '" +
            longText(70000).utf8 + "' ELSE 'k' || n END FROM z");
        // Computed when read, not for the rows already there: abs() of the smallest integer
        // overflows, so reading `fehler` fails at kFailingRow.
        writer.execute(
            "ALTER TABLE t ADD COLUMN fehler INTEGER GENERATED ALWAYS AS (CASE WHEN n = " +
            std::to_string(kFailingRow) +
            " THEN abs(-9223372036854775807 - 1) ELSE n END) VIRTUAL");
        writer.close();
        db.emplace(environment.openConnection(kSqliteStepDsn));
    }

    odbc::Environment environment = odbc::createEnvironment("Test", "", "");
    std::optional<odbc::Connection> db;
};

TEST_F(SqliteStreamingTest, ValuesStayIntactAcrossBlocksWhileTheCallerHoldsThem) {
    const std::u16string longValue = longText(70000).utf16;
    // Keyset as the engine asks for SQL Server: SQLite would give a static cursor, held whole.
    odbc::Resultset rs = db->openResultset("SELECT n, notiz, lang FROM t ORDER BY n",
                                           ResultsetType::Keyset, LockType::Pessimistic);
    EXPECT_EQ(rs.type(), ResultsetType::ForwardOnly);
    int n = 1;
    for (; !rs.eof(); rs.moveNext(), ++n) {
        const Value& held = rs.value(1);
        const Value copy = held;
        if (n % 97 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(rs.value(0), Value(int64_t{n}));
        ASSERT_EQ(held, copy) << "value changed under the caller at row " << n;
        if (n % 5 == 0) {
            ASSERT_TRUE(odbc::isNull(held)) << n;
        } else {
            ASSERT_EQ(held, Value(note(n)));
        }
        if (n % 500 == 0) {
            ASSERT_TRUE(rs.value(2) == Value(longValue)) << "long value differs at row " << n;
        } else {
            std::string k = "k" + std::to_string(n);
            ASSERT_EQ(rs.value(2), Value(std::u16string(k.begin(), k.end())));
        }
    }
    EXPECT_EQ(n, kRows + 1);
}

TEST_F(SqliteStreamingTest, ClosingEarlyOrAbandoningFreesTheStatementAtOnce) {
    auto dropWorks = [&] {
        try {
            db->execute("DROP TABLE IF EXISTS weg");
            db->execute("CREATE TABLE weg (a INTEGER)");
            return true;
        } catch (const odbc::Error&) {
            return false;
        }
    };
    for (const char* sql : {"SELECT n FROM t", "SELECT n, notiz, lang FROM t"}) {
        odbc::Resultset rs = db->openResultset(sql);
        for (int i = 0; i < 6000; ++i) rs.moveNext();  // into the blocks the thread brought
        rs.close();
        EXPECT_TRUE(rs.eof());
        // A statement still stepping would keep the table locked.
        EXPECT_TRUE(dropWorks()) << sql;
        EXPECT_EQ(db->execute("DELETE FROM weg"), 0);
    }
    try {
        odbc::Resultset rs = db->openResultset("SELECT n, notiz FROM t");
        rs.moveNext();
        throw std::runtime_error("abgebrochen");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(dropWorks());
    // A result set moved away and destroyed stops its thread as well.
    odbc::Resultset moved = db->openResultset("SELECT n FROM t");
    { odbc::Resultset taken = std::move(moved); }
    odbc::Resultset again = db->openResultset("SELECT COUNT(*) FROM t");
    EXPECT_EQ(again.value(0), Value(std::u16string(u"30000")));  // SQLite: COUNT(*) as text
}

TEST_F(SqliteStreamingTest, ARowThatFailsIsReportedWhereItHappens) {
    // One row per fetch (text), and row arrays (integers only).
    for (const char* sql : {"SELECT n, notiz, fehler FROM t", "SELECT n, fehler FROM t"}) {
        odbc::Resultset rs = db->openResultset(sql);
        // SQLite fails the whole fetch of the row array that holds the bad row.
        const int delivered =
            static_cast<int>((kFailingRow - 1) / rs.rowsPerFetch() * rs.rowsPerFetch());
        int n = 1;
        try {
            for (; !rs.eof(); rs.moveNext(), ++n) ASSERT_EQ(rs.value(0), Value(int64_t{n}));
            FAIL() << "no error for row " << kFailingRow << ": " << sql;
        } catch (const odbc::Error& e) {
            EXPECT_NE(e.description().find("overflow"), std::string::npos) << e.what();
        }
        EXPECT_EQ(n, delivered) << "the error belongs after the last row delivered: " << sql;
        EXPECT_TRUE(rs.eof()) << "nothing is read after a failed fetch";
        EXPECT_THROW(rs.value(0), odbc::Error);
        EXPECT_THROW(rs.moveNext(), odbc::Error);
    }
}

}  // namespace
}  // namespace odbc_test
