// The merged ODBC configuration of scripts/test-servers: every server's DSN is reachable from one
// process beside the SQLite entries, and psqlODBC's ANSI driver reads the same database as the
// Unicode one. Each case skips when its server's variables are unset.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "odbc/environment.h"
#include "odbc/error.h"
#include "test_sources.h"
#include "value_printing.h"

namespace odbc_test {
namespace {

odbc::Connection open(const Login& login) {
    odbc::Environment environment = odbc::createEnvironment("Test", login.user, login.password);
    return environment.openConnection(login.dsn);
}

TEST(TestServersTest, EveryConfiguredSourceAnswersFromOneProcess) {
    struct Source {
        std::optional<Login> login;
        // The TDS test server's own tests judge its log-on; here it only has to be reached
        // through the merged files: the driver manager found the DSN and loaded the driver.
        bool mustLogOn;
    };
    const std::optional<MariadbLogin> maria = mariadbLogin();
    const std::optional<TdsLogin> mssql = mssqlLogin();
    const std::optional<TdsLogin> sybase = sybaseLogin();
    const Source sources[] = {{postgresLogin(), true},
                              {postgresAnsiLogin(), true},
                              {maria ? std::optional<Login>(*maria) : std::nullopt, true},
                              {mssql ? std::optional<Login>(*mssql) : std::nullopt, false},
                              {sybase ? std::optional<Login>(*sybase) : std::nullopt, false}};
    int configured = 0;
    for (const Source& source : sources) {
        if (!source.login) continue;
        ++configured;
        SCOPED_TRACE(source.login->dsn);
        try {
            odbc::Connection db = open(*source.login);
            EXPECT_EQ(db.dataSourceName(), source.login->dsn);
            EXPECT_FALSE(db.openResultset("SELECT 1").eof());
        } catch (const odbc::Error& e) {
            EXPECT_FALSE(source.mustLogOn) << e.what();
            // IM002: no such DSN, IM003: the driver could not be loaded.
            EXPECT_NE(e.sqlState().substr(0, 2), "IM") << e.what();
        }
    }
    // The SQLite entries are still there beside the servers'.
    odbc::Connection sqlite = open(Login{kSqliteDsn, "", ""});
    EXPECT_EQ(sqlite.dataSourceName(), kSqliteDsn);
    if (configured == 0) GTEST_SKIP() << "no server variables set: run under scripts/test-servers";
}

// Text goes through the driver manager's narrow API as UTF-8 either way; the ANSI driver must
// hand it over unchanged under the UTF-8 locale the tests run in.
// (psqlodbca refuses SQL_C_WCHAR fetches: 07006 "Received an unsupported type from Postgres".)
TEST(TestServersTest, PostgresAnsiDriverReadsTheSameRows) {
    const std::optional<Login> unicode = postgresLogin();
    const std::optional<Login> ansi = postgresAnsiLogin();
    if (!unicode || !ansi) {
        GTEST_SKIP() << "no PostgreSQL: run under scripts/test-servers (SQLVANTOR_PG_ANSI_DSN)";
    }
    odbc::Connection writer = open(*unicode);
    writer.execute("DROP TABLE IF EXISTS pg_ansi");
    writer.execute("CREATE TABLE pg_ansi (n integer, name varchar(40), geld numeric(12,2))");
    writer.execute("INSERT INTO pg_ansi VALUES (1, 'Grüße aus Köln €', 12.5), (2, NULL, -0.01)");

    odbc::Connection db = open(*ansi);
    EXPECT_EQ(db.dataSourceName(), ansi->dsn);
    odbc::Resultset rs = db.openResultset("SELECT n, name, geld FROM pg_ansi ORDER BY n");
    EXPECT_EQ(rs.value(1), odbc::Value(std::u16string(u"Grüße aus Köln €")));
    EXPECT_EQ(rs.value(2), odbc::Value(odbc::Decimal{"12.50"}));
    rs.moveNext();
    EXPECT_EQ(rs.value(0), odbc::Value(int32_t{2}));
    EXPECT_TRUE(odbc::isNull(rs.value(1)));
    EXPECT_EQ(rs.value(2), odbc::Value(odbc::Decimal{"-0.01"}));
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
}

}  // namespace
}  // namespace odbc_test
