// The ODBC layer against psqlODBC (Unicode driver) and a throwaway PostgreSQL server: a driver
// with SQL_GD_BLOCK, so text and long values travel in row arrays. Skipped unless
// scripts/throwaway-postgres has exported SQLVANTOR_PG_*. Tests may run in parallel processes
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

using odbc::CursorDriver;
using odbc::LockType;
using odbc::ResultsetType;
using odbc::Value;

Value text(const std::u16string& s) {
    return Value(s);
}
Value decimal(const std::string& s) {
    return Value(odbc::Decimal{s});
}

class PostgresTest : public testing::Test {
  protected:
    void SetUp() override {
        std::optional<PostgresLogin> found = postgresLogin();
        if (!found) {
            GTEST_SKIP()
                << "no PostgreSQL: run under scripts/throwaway-postgres (SQLVANTOR_PG_DSN)";
        }
        login = *found;
    }

    odbc::Connection open(CursorDriver driver = CursorDriver::UseServer) {
        odbc::Environment environment = odbc::createEnvironment("Test", login.user, login.password);
        environment.setCursorDriver(driver);
        return environment.openConnection(login.dsn);
    }

    // A table of this test's own, created afresh.
    static void recreate(odbc::Connection& db, const std::string& name,
                         const std::string& columns) {
        db.execute("DROP TABLE IF EXISTS " + name);
        db.execute("CREATE TABLE " + name + " (" + columns + ")");
    }

    PostgresLogin login;
};

TEST_F(PostgresTest, EveryTypeArrivesExactly) {
    odbc::Bytes bytes = everyByte(300);
    odbc::Connection db = open();
    recreate(db, "pg_werte",
             "id integer, flag boolean, klein smallint, normal integer, gross bigint,"
             " geld numeric(12,2), genau numeric, einfach real, doppelt double precision,"
             " wann timestamp(6), tag date, uhr time(0), name varchar(30), zeichen char(4),"
             " notiz text, daten bytea, kennung uuid");
    db.execute(
        "INSERT INTO pg_werte VALUES (1, true, -32768, 2147483647, -9223372036854775808,"
        " 1234567890.12, 123456789012345678901234567890.123456789012, 1.5, 0.1,"
        " '2024-12-31 23:59:59.123456', '2024-02-29', '13:14:15', 'Grüße aus Köln', 'ab',"
        " 'Zeichen: äöüß € 😀', '\\x" +
        hex(bytes) + "', 'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11')");
    db.execute("INSERT INTO pg_werte (id, geld, genau) VALUES (2, -0.5, -0.000001)");

    odbc::Resultset rs = db.openResultset("SELECT * FROM pg_werte ORDER BY id");
    EXPECT_EQ(rs.value("flag"), Value(true));
    EXPECT_EQ(rs.value("klein"), Value(int16_t{-32768}));
    EXPECT_EQ(rs.value("normal"), Value(int32_t{2147483647}));
    EXPECT_EQ(rs.value("gross"), Value(int64_t{-9223372036854775807 - 1}));
    EXPECT_EQ(rs.value("geld"), decimal("1234567890.12"));
    // More digits than psqlODBC announces (28) and than a double holds.
    EXPECT_EQ(rs.value("genau"), decimal("123456789012345678901234567890.123456789012"));
    EXPECT_EQ(rs.value("einfach"), Value(1.5f));
    EXPECT_EQ(rs.value("doppelt"), Value(0.1));
    EXPECT_EQ(rs.value("wann"), Value(odbc::Timestamp{2024, 12, 31, 23, 59, 59, 123456000}));
    EXPECT_EQ(rs.value("tag"), Value(odbc::Date{2024, 2, 29}));
    EXPECT_EQ(rs.value("uhr"), Value(odbc::Time{13, 14, 15}));
    EXPECT_EQ(rs.value("name"), text(u"Grüße aus Köln"));
    EXPECT_EQ(rs.value("zeichen"), text(u"ab  "));
    EXPECT_EQ(rs.value("notiz"), text(u"Zeichen: äöüß € 😀"));  // 😀 needs two UTF-16 units
    EXPECT_EQ(rs.value("daten"), Value(bytes));
    EXPECT_EQ(rs.value("kennung"),
              Value(odbc::Guid{{0xa0, 0xee, 0xbc, 0x99, 0x9c, 0x0b, 0x4e, 0xf8, 0xbb, 0x6d, 0x6b,
                                0xb9, 0xbd, 0x38, 0x0a, 0x11}}));
    rs.moveNext();
    EXPECT_EQ(rs.value("geld"), decimal("-0.50"));
    EXPECT_EQ(rs.value("genau"), decimal("-0.000001"));
    for (const char* name : {"flag", "wann", "name", "notiz", "daten", "kennung"}) {
        EXPECT_TRUE(odbc::isNull(rs.value(name))) << name;
    }
}

// Text travels in row arrays here; values longer than their cell are read again in full after
// positioning on their row, in the middle of a block as well as at its end.
TEST_F(PostgresTest, RowArraysWithTextLongValuesAndNulls) {
    LongText longValue = longText(100000);
    odbc::Connection db = open();
    recreate(db, "pg_zeilen", "n integer, kurz varchar(40), frei varchar, lang text");
    db.execute(
        "INSERT INTO pg_zeilen SELECT n, 'Zeile ' || n || ' äöü',"
        " CASE WHEN n % 7 = 0 THEN NULL ELSE repeat('x', n % 600) END,"
        " CASE WHEN n % 500 = 0 THEN '" +
        longValue.utf8 +
        "' ELSE 'kurz ' || n END"
        " FROM generate_series(1, 3000) AS n");

    odbc::Resultset rs = db.openResultset("SELECT n, kurz, frei, lang FROM pg_zeilen ORDER BY n");
    EXPECT_GT(rs.rowsPerFetch(), 1u);
    int32_t n = 1;
    for (; !rs.eof(); rs.moveNext(), ++n) {
        ASSERT_EQ(rs.value(0), Value(n));
        std::string digits = std::to_string(n);
        std::u16string number(digits.begin(), digits.end());
        ASSERT_EQ(rs.value(1), text(u"Zeile " + number + u" äöü"));
        if (n % 7 == 0) {
            ASSERT_TRUE(odbc::isNull(rs.value(2))) << n;
        } else {
            ASSERT_EQ(rs.value(2), text(std::u16string(static_cast<size_t>(n % 600), u'x')));
        }
        if (n % 500 == 0) {
            ASSERT_TRUE(rs.value(3) == text(longValue.utf16)) << "long value of row " << n;
        } else {
            ASSERT_EQ(rs.value(3), text(u"kurz " + number));
        }
    }
    EXPECT_EQ(n, 3001);
}

TEST_F(PostgresTest, EveryCursorSettingReadsTheSameRows) {
    LongText longValue = longText(20000);
    odbc::Connection db = open();
    recreate(db, "pg_cursor", "n integer primary key, wert text");
    db.execute("INSERT INTO pg_cursor SELECT n, CASE WHEN n = 17 THEN '" + longValue.utf8 +
               "' WHEN n = 5 THEN NULL ELSE 'w' || n END FROM generate_series(1, 40) AS n");
    for (int type = 0; type <= 3; ++type) {
        for (int lock = 1; lock <= 5; ++lock) {
            SCOPED_TRACE("type " + std::to_string(type) + ", lock " + std::to_string(lock));
            odbc::Resultset rs =
                db.openResultset("SELECT n, wert FROM pg_cursor ORDER BY n",
                                 static_cast<ResultsetType>(type), static_cast<LockType>(lock));
            int32_t n = 1;
            for (; !rs.eof(); rs.moveNext(), ++n) {
                ASSERT_EQ(rs.value(0), Value(n));
                if (n == 5) {
                    ASSERT_TRUE(odbc::isNull(rs.value(1)));
                } else if (n == 17) {
                    ASSERT_TRUE(rs.value(1) == text(longValue.utf16));
                } else {
                    std::string digits = "w" + std::to_string(n);
                    ASSERT_EQ(rs.value(1), text(std::u16string(digits.begin(), digits.end())));
                }
            }
            EXPECT_EQ(n, 41);
        }
    }
    // psqlODBC keeps keyset cursors and turns dynamic ones into keyset (01S02, accepted).
    EXPECT_EQ(db.openResultset("SELECT n FROM pg_cursor", ResultsetType::Dynamic).type(),
              ResultsetType::Keyset);
}

// Client cursors (CursorDriver 1) read long values whole, beyond the 64 KiB the driver
// manager's cursor library could hold.
TEST_F(PostgresTest, ClientCursorsReadLongValuesInFull) {
    LongText longValue = longText(70000);
    odbc::Bytes bytes = everyByte(100000);
    odbc::Connection plain = open(CursorDriver::UseIfNeeded);
    recreate(plain, "pg_cursorlib", "n integer, lang text, daten bytea");
    plain.execute("INSERT INTO pg_cursorlib VALUES (1, '" + longValue.utf8 + "', '\\x" +
                  hex(bytes) + "'), (2, 'zwei', NULL)");

    odbc::Connection db = open(CursorDriver::UseOdbc);
    odbc::Resultset rs = db.openResultset("SELECT n, lang, daten FROM pg_cursorlib ORDER BY n",
                                          ResultsetType::Dynamic);
    EXPECT_EQ(rs.type(), ResultsetType::ForwardOnly);
    EXPECT_TRUE(rs.value(1) == text(longValue.utf16));
    EXPECT_TRUE(rs.value(2) == Value(bytes));
    rs.moveNext();
    EXPECT_EQ(rs.value(1), text(u"zwei"));
    EXPECT_TRUE(odbc::isNull(rs.value(2)));
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
}

TEST_F(PostgresTest, NamesAndTableList) {
    odbc::Connection db = open();
    EXPECT_EQ(db.dataSourceName(), login.dsn);
    EXPECT_EQ(db.identifierQuote(), "\"");
    recreate(db, "\"pg_Größe\"", "\"Maß\" integer");
    db.execute("DROP VIEW IF EXISTS pg_sicht");
    db.execute("CREATE VIEW pg_sicht AS SELECT 1 AS a");

    odbc::TableList& tables = db.tables();
    std::vector<std::string> names;
    for (size_t i = 0; i < tables.count(); ++i) {
        names.push_back(tables.item(i).name());
        if (names.back() == "pg_Größe") {
            EXPECT_EQ(tables.item(i).schema(), "public");
        }
    }
    EXPECT_NE(std::find(names.begin(), names.end(), "pg_Größe"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "pg_sicht"), names.end()) << "views too";
    EXPECT_EQ(std::find(names.begin(), names.end(), "pg_class"), names.end()) << "no catalogs";

    odbc::Resultset rs = db.openResultset("SELECT * FROM \"pg_Größe\"");
    EXPECT_EQ(rs.name(0), "Maß");
}

TEST_F(PostgresTest, WrongPasswordIs08001WithoutThePassword) {
    const std::string wrong = login.password + "-falsch";
    odbc::Environment environment = odbc::createEnvironment("Test", login.user, wrong);
    try {
        environment.openConnection(login.dsn);
        FAIL() << "log-on with a wrong password succeeded";
    } catch (const odbc::Error& e) {
        EXPECT_EQ(e.sqlState(), "08001") << e.what();
        for (const std::string& secret : {wrong, login.password}) {
            EXPECT_EQ(std::string(e.what()).find(secret), std::string::npos) << e.what();
            for (const odbc::DiagnosticRecord& record : e.records()) {
                EXPECT_EQ(record.message.find(secret), std::string::npos) << record.message;
            }
        }
        EXPECT_NE(std::string(e.what()).find("Verbindung zur Datenquelle"), std::string::npos);
    }
}

TEST_F(PostgresTest, ServerErrorsCarryTheirSqlState) {
    odbc::Connection db = open();
    try {
        db.openResultset("SELECT * FROM pg_gibt_es_nicht");
        FAIL() << "a missing table was not reported";
    } catch (const odbc::Error& e) {
        EXPECT_EQ(e.sqlState(), "42P01") << e.what();
        EXPECT_NE(e.description().find("pg_gibt_es_nicht"), std::string::npos);
    }
    db.setQueryTimeout(0);
    odbc::Resultset rs = db.openResultset("SELECT 1");  // the timeout did not break statements
    EXPECT_FALSE(rs.eof());
}

}  // namespace
}  // namespace odbc_test
