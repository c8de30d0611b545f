// The ODBC layer against SQLite ODBC: a driver without SQL_GD_BLOCK and without wide entry
// points, which does not enforce declared sizes.
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

class SqliteTest : public testing::Test {
  protected:
    void SetUp() override { resetSqliteDatabase(); }

    odbc::Connection open(CursorDriver driver = CursorDriver::UseServer, bool readOnly = false) {
        environment.setCursorDriver(driver);
        return environment.openConnection(kSqliteDsn, readOnly);
    }

    odbc::Environment environment = odbc::createEnvironment("Test", "", "");
};

TEST_F(SqliteTest, EveryTypeArrivesAsItsValueAndNullsAsNull) {
    odbc::Connection db = open();
    db.execute(
        "CREATE TABLE alle (id INTEGER, flag BIT, winzig TINYINT, klein SMALLINT, gross BIGINT,"
        " ohne INTEGER UNSIGNED, zahl DOUBLE, wann TIMESTAMP, tag DATE, uhr TIME,"
        " name VARCHAR(20), daten BLOB)");
    db.execute(
        "INSERT INTO alle VALUES (1, 1, -5, -300, 9007199254740993, 4294967295, 2.25,"
        " '2024-01-02 03:04:05.123', '2024-02-29', '23:59:58', 'Müller-Lüdenscheidt',"
        " X'00ff7f80')");
    db.execute("INSERT INTO alle (id) VALUES (2)");

    odbc::Resultset rs = db.openResultset("SELECT * FROM alle ORDER BY id");
    ASSERT_EQ(rs.columnCount(), 12u);
    // SQLite keeps any integer in any integer column, so all of them arrive as 64 bits.
    EXPECT_EQ(rs.value(0), Value(int64_t{1}));
    EXPECT_EQ(rs.value(1), Value(true));
    EXPECT_EQ(rs.value(2), Value(int64_t{-5}));
    EXPECT_EQ(rs.value(3), Value(int64_t{-300}));
    EXPECT_EQ(rs.value(4), Value(int64_t{9007199254740993}));  // not representable as double
    EXPECT_EQ(rs.value(5), Value(int64_t{4294967295}));        // unsigned: one size up
    EXPECT_EQ(rs.value(6), Value(2.25));
    EXPECT_EQ(rs.value(7), Value(odbc::Timestamp{2024, 1, 2, 3, 4, 5, 123000000}));
    EXPECT_EQ(rs.value(8), Value(odbc::Date{2024, 2, 29}));
    EXPECT_EQ(rs.value(9), Value(odbc::Time{23, 59, 58}));
    EXPECT_EQ(rs.value(10), Value(std::u16string(u"Müller-Lüdenscheidt")));
    EXPECT_EQ(rs.value(11), Value(odbc::Bytes{0x00, 0xff, 0x7f, 0x80}));

    rs.moveNext();
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.value(0), Value(int64_t{2}));
    for (size_t i = 1; i < rs.columnCount(); ++i) EXPECT_TRUE(odbc::isNull(rs.value(i))) << i;
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
}

TEST_F(SqliteTest, ValuesLongerThanDeclaredOrBufferedArriveWhole) {
    LongText text = longText(70000);  // beyond 64 KiB, beyond SQLite's reported 65536 as well
    odbc::Bytes bytes = everyByte(100000);
    odbc::Connection db = open();
    db.execute("CREATE TABLE lang (id INTEGER, kurz VARCHAR(3), notiz TEXT, daten BLOB)");
    db.execute("INSERT INTO lang VALUES (1, 'viel länger als drei', '" + text.utf8 + "', X'" +
               hex(bytes) + "')");
    db.execute("INSERT INTO lang VALUES (2, 'ab', 'kurz', X'01')");
    db.execute("INSERT INTO lang VALUES (3, NULL, NULL, NULL)");

    odbc::Resultset rs = db.openResultset("SELECT id, kurz, notiz, daten FROM lang ORDER BY id");
    EXPECT_EQ(rs.value(1), Value(std::u16string(u"viel länger als drei")));
    EXPECT_TRUE(rs.value(2) == Value(text.utf16)) << "long text differs";
    EXPECT_TRUE(rs.value(3) == Value(bytes)) << "long binary differs";
    rs.moveNext();  // short values after long ones: the reused buffers must not leak old data
    EXPECT_EQ(rs.value(1), Value(std::u16string(u"ab")));
    EXPECT_EQ(rs.value(2), Value(std::u16string(u"kurz")));
    EXPECT_EQ(rs.value(3), Value(odbc::Bytes{0x01}));
    rs.moveNext();
    EXPECT_TRUE(odbc::isNull(rs.value(1)));
    EXPECT_TRUE(odbc::isNull(rs.value(2)));
    EXPECT_TRUE(odbc::isNull(rs.value(3)));
}

TEST_F(SqliteTest, RowArraysCarryManyRowsAcrossFetchBoundaries) {
    odbc::Connection db = open();
    db.execute("CREATE TABLE zahlen (n INTEGER, halb DOUBLE)");
    db.execute(
        "WITH RECURSIVE z(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM z WHERE n < 2500)"
        " INSERT INTO zahlen SELECT n, CASE WHEN n % 7 = 0 THEN NULL ELSE n / 2.0 END FROM z");

    odbc::Resultset rs = db.openResultset("SELECT n, halb FROM zahlen ORDER BY n");
    EXPECT_GT(rs.rowsPerFetch(), 1u) << "fixed-size columns only: row arrays expected";
    int64_t expected = 1;
    for (; !rs.eof(); rs.moveNext(), ++expected) {
        ASSERT_EQ(rs.value(0), Value(expected));
        if (expected % 7 == 0) {
            ASSERT_TRUE(odbc::isNull(rs.value(1))) << expected;
        } else {
            ASSERT_EQ(rs.value(1), Value(static_cast<double>(expected) / 2.0));
        }
    }
    EXPECT_EQ(expected, 2501);

    // Text may outgrow its declared size here, and SQLite cannot read within a row array.
    odbc::Resultset texts = db.openResultset("SELECT n, 'x' || n FROM zahlen");
    EXPECT_EQ(texts.rowsPerFetch(), 1u);
}

TEST_F(SqliteTest, ColumnsByNameIgnoreAsciiCase) {
    odbc::Connection db = open();
    db.execute("CREATE TABLE t (Kundennummer INTEGER, \"Straße\" VARCHAR(10))");
    db.execute("INSERT INTO t VALUES (7, 'Hauptstr.')");
    odbc::Resultset rs = db.openResultset("SELECT * FROM t");
    EXPECT_EQ(rs.name(0), "Kundennummer");
    EXPECT_EQ(rs.value("KUNDENNUMMER"), Value(int64_t{7}));
    EXPECT_EQ(rs.value("straße"), Value(std::u16string(u"Hauptstr.")));
    EXPECT_EQ(rs.findColumn("STRASSE"), std::nullopt);
    try {
        rs.value("fehlt");
        FAIL() << "no error for a missing column";
    } catch (const odbc::Error& e) {
        EXPECT_EQ(e.sqlState(), "42S22");
        EXPECT_NE(std::string(e.what()).find("fehlt"), std::string::npos);
    }
    EXPECT_THROW(rs.value(2), odbc::Error);
}

TEST_F(SqliteTest, EofAndMovingPastItAsRdoDoes) {
    odbc::Connection db = open();
    db.execute("CREATE TABLE leer (a INTEGER)");
    odbc::Resultset rs = db.openResultset("SELECT a FROM leer");
    EXPECT_TRUE(rs.eof());
    try {
        rs.moveNext();
        FAIL() << "moveNext at eof must fail";
    } catch (const odbc::Error& e) {
        EXPECT_EQ(e.sqlState(), "24000");
    }
    EXPECT_THROW(rs.value(0), odbc::Error);
    rs.close();
    EXPECT_TRUE(rs.eof());
    EXPECT_THROW(rs.columnCount(), odbc::Error);
}

// A value comes only from the current row: never the last row's after moving past it, nor
// from a result set closed or moved away.
TEST_F(SqliteTest, NoValueOutlivesItsRow) {
    odbc::Connection db = open();
    db.execute("CREATE TABLE eine (a INTEGER)");
    db.execute("INSERT INTO eine VALUES (42)");
    auto sqlStateOf = [](auto&& read) {
        try {
            read();
        } catch (const odbc::Error& e) {
            return e.sqlState();
        }
        return std::string("kein Fehler");
    };

    odbc::Resultset rs = db.openResultset("SELECT a FROM eine");
    ASSERT_EQ(rs.value(0), Value(int64_t{42}));
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(sqlStateOf([&] { rs.value(0); }), "24000");

    odbc::Resultset open = db.openResultset("SELECT a FROM eine");
    odbc::Resultset taken = std::move(open);
    EXPECT_EQ(sqlStateOf([&] { open.value(0); }), "HY010");
    EXPECT_EQ(taken.value(0), Value(int64_t{42}));
    odbc::Resultset assigned = db.openResultset("SELECT a FROM eine");
    assigned = std::move(taken);
    EXPECT_EQ(sqlStateOf([&] { taken.value(0); }), "HY010");
    EXPECT_EQ(assigned.value(0), Value(int64_t{42}));
    assigned.close();
    EXPECT_EQ(sqlStateOf([&] { assigned.value(0); }), "HY010");
}

TEST_F(SqliteTest, ConnectionFactsAndTableList) {
    odbc::Connection db = open();
    EXPECT_EQ(db.dataSourceName(), kSqliteDsn);
    EXPECT_EQ(db.identifierQuote(), "\"");
    db.execute("CREATE TABLE Kunden (a INTEGER)");
    db.execute("CREATE TABLE \"Größen\" (a INTEGER)");
    db.execute("CREATE VIEW Sicht AS SELECT a FROM Kunden");  // refreshed like a table

    odbc::TableList& tables = db.tables();
    std::vector<std::string> names;
    for (size_t i = 0; i < tables.count(); ++i) names.push_back(tables.item(i).name());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Größen", "Kunden", "Sicht"}));
    EXPECT_THROW(tables.item(3), odbc::Error);

    db.execute("CREATE TABLE Auftraege (a INTEGER)");
    EXPECT_EQ(db.tables().count(), 3u) << "read once, until refreshed";
    db.tables().refresh();
    EXPECT_EQ(db.tables().count(), 4u);
}

TEST_F(SqliteTest, EveryCursorSettingOpensAndReadsTheSameRows) {
    odbc::Connection db = open();
    db.execute("CREATE TABLE t (a INTEGER)");
    db.execute("INSERT INTO t VALUES (1), (2), (3)");
    for (int type = 0; type <= 3; ++type) {
        for (int lock = 1; lock <= 5; ++lock) {
            odbc::Resultset rs =
                db.openResultset("SELECT a FROM t ORDER BY a", static_cast<ResultsetType>(type),
                                 static_cast<LockType>(lock));
            std::vector<int64_t> seen;
            for (; !rs.eof(); rs.moveNext()) seen.push_back(std::get<int64_t>(rs.value(0)));
            EXPECT_EQ(seen, (std::vector<int64_t>{1, 2, 3})) << type << "/" << lock;
        }
    }
    // SQLite offers static for keyset (01S02), a copy of the whole result: we read forward-only
    // instead. Static itself is kept when asked for.
    EXPECT_EQ(db.openResultset("SELECT a FROM t", ResultsetType::Keyset).type(),
              ResultsetType::ForwardOnly);
    EXPECT_EQ(db.openResultset("SELECT a FROM t", ResultsetType::Static).type(),
              ResultsetType::Static);
}

TEST_F(SqliteTest, ReadOnlyConnectionWithoutCursorReadsForwardOnly) {
    odbc::Connection writer = open();
    writer.execute("CREATE TABLE t (a INTEGER)");
    writer.execute("INSERT INTO t VALUES (1)");
    odbc::Connection db = open(CursorDriver::UseNone, true);
    odbc::Resultset rs =
        db.openResultset("SELECT a FROM t", ResultsetType::Static, LockType::Pessimistic);
    EXPECT_EQ(rs.type(), ResultsetType::ForwardOnly);  // SQLite reports LOCK whatever we ask
    EXPECT_EQ(rs.value(0), Value(int64_t{1}));
}

// Client cursors (CursorDriver 1) read forward from the driver itself, so values of any length
// arrive whole, as with the driver's own cursors.
TEST_F(SqliteTest, ClientCursorsReadLongValuesInFull) {
    LongText text = longText(70000);
    odbc::Bytes bytes = everyByte(255);  // SQLite calls BLOB columns BINARY(255)
    odbc::Connection plain = open(CursorDriver::UseIfNeeded);
    plain.execute("CREATE TABLE t (id INTEGER, notiz TEXT, daten BLOB)");
    plain.execute("INSERT INTO t VALUES (1, '" + text.utf8 + "', X'" + hex(bytes) + "')");
    plain.execute("INSERT INTO t VALUES (2, 'zwei', NULL)");
    plain.close();

    odbc::Connection db = open(CursorDriver::UseOdbc);
    EXPECT_EQ(db.tables().count(), 1u);
    odbc::Resultset rs = db.openResultset("SELECT id, notiz, daten FROM t ORDER BY id",
                                          ResultsetType::Dynamic, LockType::Pessimistic);
    EXPECT_EQ(rs.type(), ResultsetType::ForwardOnly);
    EXPECT_TRUE(rs.value(1) == Value(text.utf16));
    EXPECT_TRUE(rs.value(2) == Value(bytes));
    rs.moveNext();
    EXPECT_EQ(rs.value(0), Value(int64_t{2}));
    EXPECT_EQ(rs.value(1), Value(std::u16string(u"zwei")));
    EXPECT_TRUE(odbc::isNull(rs.value(2)));
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
}

TEST_F(SqliteTest, ResultSetOutlivesItsConnectionObject) {
    odbc::Connection db = open();
    db.execute("CREATE TABLE t (a INTEGER)");
    db.execute("INSERT INTO t VALUES (1), (2)");
    odbc::Resultset rs = db.openResultset("SELECT a FROM t ORDER BY a");
    db.close();
    environment.close();
    EXPECT_THROW(db.dataSourceName(), odbc::Error);
    rs.moveNext();
    EXPECT_EQ(rs.value(0), Value(int64_t{2}));
}

TEST_F(SqliteTest, FailuresCarrySqlStateGermanLeadAndNoPassword) {
    const std::string password = "Geheim-Passwort-4711";
    odbc::Environment secret = odbc::createEnvironment("Test", "benutzer", password);
    try {
        secret.openConnection("gibt_es_nicht");
        FAIL() << "unknown DSN accepted";
    } catch (const odbc::Error& e) {
        EXPECT_EQ(e.sqlState(), "IM002");
        EXPECT_NE(e.lead().find("gibt_es_nicht"), std::string::npos);
        EXPECT_EQ(std::string(e.what()).find(password), std::string::npos);
        EXPECT_EQ(e.description().find(password), std::string::npos);
    }

    odbc::Connection db = secret.openConnection(kSqliteDsn);  // SQLite ignores the log-on
    try {
        db.openResultset("SELEKT * VON nirgendwo");
        FAIL() << "bad SQL accepted";
    } catch (const odbc::Error& e) {
        std::string what = e.what();
        EXPECT_FALSE(e.sqlState().empty());
        EXPECT_NE(what.find("SQL-Anweisung"), std::string::npos) << what;
        EXPECT_NE(what.find("SQLSTATE " + e.sqlState()), std::string::npos) << what;
        EXPECT_NE(what.find("syntax error"), std::string::npos) << "driver text kept: " << what;
        EXPECT_EQ(what.find(password), std::string::npos);
    }
    EXPECT_THROW(secret.setCursorDriver(CursorDriver::UseClientBatch), odbc::Error);
}

}  // namespace
}  // namespace odbc_test
