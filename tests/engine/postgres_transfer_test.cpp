// A run from the throwaway PostgreSQL server (psqlODBC's Unicode driver) into a copy of
// testV2000.mdb. Skipped unless scripts/throwaway-postgres has exported SQLVANTOR_PG_*. Other
// test processes use the same server, so each run is limited to one table by the filter.
#include <gtest/gtest.h>

#include "jet/base/text.h"
#include "odbc/environment.h"
#include "test_sources.h"
#include "transfer_fixture.h"

namespace engine_test {
namespace {

using engine::TextBox;

class PostgresTransferTest : public TransferTest {
  protected:
    void SetUp() override {
        login_ = odbc_test::postgresLogin();
        if (!login_) GTEST_SKIP() << "no PostgreSQL: run under scripts/throwaway-postgres";
        if (!useFixture("testV2000.mdb")) GTEST_SKIP() << "fixture testV2000.mdb is missing";
        window.texts[TextBox::Text1] = jet::fromUtf8(login_->dsn);
        window.texts[TextBox::Text4] = jet::fromUtf8(login_->user);
        window.texts[TextBox::Text5] = jet::fromUtf8(login_->password);
    }
    void server(const std::string& sql) {
        odbc::Environment environment =
            odbc::createEnvironment("Test", login_->user, login_->password);
        environment.openConnection(login_->dsn).execute(sql);
    }
    std::optional<odbc_test::PostgresLogin> login_;
};

TEST_F(PostgresTransferTest, EveryTypeArrivesInAccess) {
    server("DROP TABLE IF EXISTS \"Table1\"");
    server(
        "CREATE TABLE \"Table1\" (\"A\" varchar(50), \"B\" text, \"C\" smallint, \"D\" smallint,"
        " \"E\" integer, \"F\" double precision, \"G\" timestamp, \"H\" numeric(19,4),"
        " \"I\" boolean NOT NULL)");
    server(
        "INSERT INTO \"Table1\" VALUES ('Größe', 'Ärger €', 255, -32768, 2147483647, 0.1,"
        " '2024-02-29 13:14:15', 12345.6789, true), ('leer', NULL, NULL, NULL, NULL, NULL, NULL,"
        " NULL, false)");
    expectTypedTable1Arrives();
    server("DROP TABLE \"Table1\"");
}

}  // namespace
}  // namespace engine_test
