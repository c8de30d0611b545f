// The ODBC layer against MariaDB Connector/ODBC and a throwaway MariaDB server: log-on, the
// common types, row order and the table list. The type-by-type detail lives with the driver
// matrix; this is the basic path. Skipped unless scripts/throwaway-mariadb (through
// scripts/test-servers) has exported SQLVANTOR_MARIA_*. Tests may run in parallel processes
// against the one server, so each uses tables of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "odbc/environment.h"
#include "odbc/error.h"
#include "test_data.h"
#include "test_sources.h"
#include "value_printing.h"

namespace odbc_test {
namespace {

using odbc::Value;

Value text(const std::u16string& s) {
    return Value(s);
}

std::u16string utf16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

class MariadbTest : public testing::Test {
  protected:
    void SetUp() override {
        std::optional<MariadbLogin> found = mariadbLogin();
        if (!found) {
            GTEST_SKIP() << "no MariaDB: run under scripts/test-servers (SQLVANTOR_MARIA_DSN)";
        }
        login = *found;
    }

    odbc::Connection open() {
        odbc::Environment environment = odbc::createEnvironment("Test", login.user, login.password);
        return environment.openConnection(login.dsn);
    }

    // A table of this test's own, created afresh.
    static void recreate(odbc::Connection& db, const std::string& name,
                         const std::string& columns) {
        db.execute("DROP TABLE IF EXISTS " + name);
        db.execute("CREATE TABLE " + name + " (" + columns + ")");
    }

    MariadbLogin login;
};

TEST_F(MariadbTest, LogOnNamesTheSourceAndQuotesWithBackticks) {
    odbc::Connection db = open();
    EXPECT_EQ(db.dataSourceName(), login.dsn);
    EXPECT_EQ(db.identifierQuote(), "`");
    odbc::Resultset rs = db.openResultset("SELECT DATABASE(), @@character_set_connection");
    EXPECT_EQ(rs.value(0), text(u"sqlvantor"));
    EXPECT_EQ(rs.value(1), text(u"utf8mb4")) << "the DSN's CHARSET";
}

TEST_F(MariadbTest, WrongPasswordIsRefusedWithoutThePassword) {
    const std::string wrong = login.password + "-falsch";
    odbc::Environment environment = odbc::createEnvironment("Test", login.user, wrong);
    try {
        environment.openConnection(login.dsn);
        FAIL() << "log-on with a wrong password succeeded";
    } catch (const odbc::Error& e) {
        // MariaDB's "Access denied" is 28000, not the 08001 of psqlODBC.
        EXPECT_EQ(e.sqlState(), "28000") << e.what();
        for (const std::string& secret : {wrong, login.password}) {
            EXPECT_EQ(std::string(e.what()).find(secret), std::string::npos) << e.what();
            for (const odbc::DiagnosticRecord& record : e.records()) {
                EXPECT_EQ(record.message.find(secret), std::string::npos) << record.message;
            }
        }
        EXPECT_NE(std::string(e.what()).find("Verbindung zur Datenquelle"), std::string::npos);
    }
}

TEST_F(MariadbTest, CommonTypesArriveExactly) {
    odbc::Bytes bytes = everyByte(300);
    odbc::Connection db = open();
    recreate(db, "maria_werte",
             "id INT, flag BOOLEAN, klein SMALLINT, normal INT, gross BIGINT,"
             " geld DECIMAL(12,2), doppelt DOUBLE, wann DATETIME(6), tag DATE, uhr TIME,"
             " name VARCHAR(30), notiz TEXT, daten BLOB");
    db.execute(
        "INSERT INTO maria_werte VALUES (1, TRUE, -32768, 2147483647, -9223372036854775808,"
        " 1234567890.12, 0.1, '2024-12-31 23:59:59.123456', '2024-02-29', '13:14:15',"
        " 'Grüße aus Köln', 'Zeichen: äöüß €', X'" +
        hex(bytes) + "')");
    db.execute("INSERT INTO maria_werte (id, geld) VALUES (2, -0.5)");

    // One result per row: row order has a test of its own.
    odbc::Resultset rs = db.openResultset("SELECT * FROM maria_werte WHERE id = 1");
    // BOOLEAN is TINYINT(1) in MariaDB, and the driver says so.
    EXPECT_EQ(rs.value("flag"), Value(int8_t{1}));
    EXPECT_EQ(rs.value("klein"), Value(int16_t{-32768}));
    EXPECT_EQ(rs.value("normal"), Value(int32_t{2147483647}));
    EXPECT_EQ(rs.value("gross"), Value(int64_t{-9223372036854775807 - 1}));
    EXPECT_EQ(rs.value("geld"), Value(odbc::Decimal{"1234567890.12"}));
    EXPECT_EQ(rs.value("doppelt"), Value(0.1));
    EXPECT_EQ(rs.value("wann"), Value(odbc::Timestamp{2024, 12, 31, 23, 59, 59, 123456000}));
    EXPECT_EQ(rs.value("tag"), Value(odbc::Date{2024, 2, 29}));
    EXPECT_EQ(rs.value("uhr"), Value(odbc::Time{13, 14, 15}));
    EXPECT_EQ(rs.value("name"), text(u"Grüße aus Köln"));
    EXPECT_EQ(rs.value("notiz"), text(u"Zeichen: äöüß €"));
    EXPECT_EQ(rs.value("daten"), Value(bytes));
    rs.close();

    odbc::Resultset second = db.openResultset("SELECT * FROM maria_werte WHERE id = 2");
    EXPECT_EQ(second.value("geld"), Value(odbc::Decimal{"-0.50"}));
    for (const char* name : {"flag", "gross", "wann", "name", "notiz", "daten"}) {
        EXPECT_TRUE(odbc::isNull(second.value(name))) << name;
    }
}

// Every row once and in order, across many row blocks, with NULLs and values of every length up
// to a few hundred characters.
// (MariaDB starts the next rowset at the first row again after SQLSetPos(1, SQL_POSITION).)
TEST_F(MariadbTest, EveryRowOnceInOrder) {
    odbc::Connection db = open();
    recreate(db, "maria_zeilen", "n INT PRIMARY KEY, kurz VARCHAR(40), frei VARCHAR(700)");
    std::string values;
    for (int n = 1; n <= 3000; ++n) {
        values +=
            (values.empty() ? "(" : ",(") + std::to_string(n) + ", 'Zeile " + std::to_string(n) +
            " äöü', " +
            (n % 7 == 0 ? std::string("NULL") : "REPEAT('x', " + std::to_string(n % 600) + ")") +
            ")";
    }
    db.execute("INSERT INTO maria_zeilen VALUES " + values);

    odbc::Resultset rs = db.openResultset("SELECT n, kurz, frei FROM maria_zeilen ORDER BY n");
    int32_t n = 1;
    for (; !rs.eof(); rs.moveNext(), ++n) {
        ASSERT_EQ(rs.value(0), Value(n));
        ASSERT_EQ(rs.value(1), text(u"Zeile " + utf16(std::to_string(n)) + u" äöü"));
        if (n % 7 == 0) {
            ASSERT_TRUE(odbc::isNull(rs.value(2))) << n;
        } else {
            ASSERT_EQ(rs.value(2), text(std::u16string(static_cast<size_t>(n % 600), u'x')));
        }
    }
    EXPECT_EQ(n, 3001);
}

// Only the current database's tables are the source's, even when another database the login
// may use has a table of the same name (MariaDB answers SQLTables without a catalog with every
// database the login can see). Views count, as in RDO.
TEST_F(MariadbTest, TableListHoldsTheCurrentDatabaseOnly) {
    odbc::Connection db = open();
    recreate(db, "maria_liste", "a INT");
    recreate(db, "sqlvantor_other.maria_liste", "b INT");
    recreate(db, "sqlvantor_other.maria_nur_dort", "c INT");
    db.execute("CREATE OR REPLACE VIEW maria_sicht AS SELECT 1 AS a");

    odbc::TableList& tables = db.tables();
    std::vector<std::string> names;
    for (size_t i = 0; i < tables.count(); ++i) names.push_back(tables.item(i).name());
    EXPECT_EQ(std::count(names.begin(), names.end(), "maria_liste"), 1);
    EXPECT_EQ(std::find(names.begin(), names.end(), "maria_nur_dort"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "maria_sicht"), names.end()) << "views too";
    EXPECT_EQ(std::find(names.begin(), names.end(), "user"), names.end()) << "mysql.user";
}

TEST_F(MariadbTest, ServerErrorsCarryTheirSqlState) {
    odbc::Connection db = open();
    try {
        db.openResultset("SELECT * FROM maria_gibt_es_nicht");
        FAIL() << "a missing table was not reported";
    } catch (const odbc::Error& e) {
        EXPECT_EQ(e.sqlState(), "42S02") << e.what();
        EXPECT_NE(e.description().find("maria_gibt_es_nicht"), std::string::npos);
    }
}

}  // namespace
}  // namespace odbc_test
