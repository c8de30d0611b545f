// Runs from the throwaway MariaDB server (MariaDB Connector/ODBC), whose driver receives a whole
// result inside the statement's execution; the run executes a table's SELECT there beside its
// count (source_opening.h). Skipped unless scripts/throwaway-mariadb has exported
// SQLVANTOR_MARIA_*. Other test processes use the same database, so the tables have names of
// their own here.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "jet/base/text.h"
#include "odbc/environment.h"
#include "test_sources.h"
#include "transfer_fixture.h"

namespace engine_test {
namespace {

using engine::TextBox;

class MariadbTransferTest : public TransferTest {
  protected:
    void SetUp() override {
        login_ = odbc_test::mariadbLogin();
        if (!login_) GTEST_SKIP() << "no MariaDB: run under scripts/throwaway-mariadb";
        window.texts[TextBox::Text1] = jet::fromUtf8(login_->dsn);
        window.texts[TextBox::Text4] = jet::fromUtf8(login_->user);
        window.texts[TextBox::Text5] = jet::fromUtf8(login_->password);
    }
    void server(const std::string& sql) {
        odbc::Environment environment =
            odbc::createEnvironment("Test", login_->user, login_->password);
        environment.openConnection(login_->dsn).execute(sql);
    }
    // A target with the tables of `ddl` (Access SQL).
    void makeTarget(const std::string& ddl) {
        const auto schema = folder.path() / "ziel.ddl";
        std::ofstream(schema, std::ios::binary) << ddl;
        const auto file = folder.path() / "ziel.mdb";
        int status = 0;
        const std::string out = runCommand(std::string(JETTOOL_PATH) + " create '" + file.string() +
                                               "' --schema '" + schema.string() + "' 2>&1",
                                           &status);
        ASSERT_EQ(status, 0) << out;
        useTarget(file);
    }
    size_t lineIndex(std::u16string_view line) const {
        return static_cast<size_t>(std::find(window.list.begin(), window.list.end(), line) -
                                   window.list.begin());
    }
    std::optional<odbc_test::MariadbLogin> login_;
};

TEST_F(MariadbTransferTest, EveryTypeArrivesInAccess) {
    if (!useFixture("testV2000.mdb")) GTEST_SKIP() << "fixture testV2000.mdb is missing";
    server("DROP TABLE IF EXISTS `Table1`");
    server(
        "CREATE TABLE `Table1` (`A` varchar(50), `B` text, `C` smallint, `D` smallint,"
        " `E` integer, `F` double, `G` datetime, `H` decimal(19,4), `I` boolean NOT NULL)");
    server(
        "INSERT INTO `Table1` VALUES ('Größe', 'Ärger €', 255, -32768, 2147483647, 0.1,"
        " '2024-02-29 13:14:15', 12345.6789, true), ('leer', NULL, NULL, NULL, NULL, NULL, NULL,"
        " NULL, false)");
    expectTypedTable1Arrives();
    server("DROP TABLE `Table1`");
}

// A field problem ends its table in the middle of a result of several fetch blocks; the next
// table's SELECT runs on the same connection and arrives whole.
TEST_F(MariadbTransferTest, TableAfterAnAbandonedResultArrivesWhole) {
    makeTarget(
        "CREATE TABLE [Reihe1] ([ID] Long Integer, [Txt] Text (10));\n"
        "CREATE TABLE [Reihe2] ([ID] Long Integer, [Txt] Text (50));\n");
    server("DROP TABLE IF EXISTS `Reihe1`, `Reihe2`");
    server("CREATE TABLE `Reihe1` (`ID` integer, `Txt` varchar(40))");
    server("CREATE TABLE `Reihe2` (`ID` integer, `Txt` varchar(40))");
    server(
        "INSERT INTO `Reihe1` SELECT seq, IF(seq = 5000, REPEAT('x', 20), CONCAT('Zeile ', seq))"
        " FROM seq_1_to_9000");
    server(
        "INSERT INTO `Reihe2` SELECT seq, IF(seq % 3 = 0, NULL, CONCAT('Größe ', seq))"
        " FROM seq_1_to_9000");
    try {
        EXPECT_EQ(run(), engine::RunOutcome::Completed);
    } catch (const engine::RunFailure& failure) {
        FAIL() << failure.number << ": " << jet::toUtf8(failure.description);
    }
    const size_t problem = lineIndex(u"\t!! Problem mit Feld: [Txt] :");
    const size_t abandoned = lineIndex(u"*!*!* Bearbeitung der Tabelle abgebrochen !*!*!");
    const size_t second = lineIndex(u"SQL: Reihe2");
    ASSERT_LT(problem, window.list.size());
    EXPECT_LT(problem, abandoned);
    EXPECT_LT(abandoned, second);
    EXPECT_EQ(window.list[second + 2], u"\t9000 Zeilen zu bearbeiten.");

    const std::string rows = exportTable("Reihe2");
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 9001);
    EXPECT_NE(rows.find("\n8999,\"Größe 8999\"\n9000,\n"), std::string::npos)
        << rows.substr(0, 200);
    const std::string first = exportTable("Reihe1");
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 5001);
    EXPECT_EQ(checkTarget(), "");
    server("DROP TABLE `Reihe1`, `Reihe2`");
}

// The SELECT fails while its count succeeds (a view column that raises an error): the failure
// comes where the opening stood before, after the count's lines, and ends the run.
TEST_F(MariadbTransferTest, SelectFailingBesideItsCountEndsTheRun) {
    makeTarget("CREATE TABLE [Kaputt] ([id] Long Integer, [b] Long Integer);\n");
    server("DROP VIEW IF EXISTS `Kaputt`");
    server("DROP TABLE IF EXISTS `KaputtQuelle`");
    server("DROP FUNCTION IF EXISTS `kaputt_wert`");
    server("CREATE TABLE `KaputtQuelle` (`id` integer)");
    server("INSERT INTO `KaputtQuelle` VALUES (1), (2)");
    server(
        "CREATE FUNCTION `kaputt_wert`(x INT) RETURNS INT DETERMINISTIC BEGIN"
        " SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'Wert kaputt'; RETURN x; END");
    server("CREATE VIEW `Kaputt` AS SELECT id, kaputt_wert(id) AS b FROM `KaputtQuelle`");
    window.texts[TextBox::Text3] = u"kaputt";
    bool failed = false;
    try {
        run();
    } catch (const engine::RunFailure& failure) {
        failed = true;
        EXPECT_NE(jet::toUtf8(failure.description).find("Wert kaputt"), std::string::npos)
            << jet::toUtf8(failure.description);
    }
    EXPECT_TRUE(failed);
    const size_t counted = lineIndex(u"\t2 Zeilen zu bearbeiten.");
    ASSERT_LT(counted, window.list.size());
    EXPECT_EQ(window.list[counted + 1], u"\tÖffne Kaputt auf SQL-Server");
    EXPECT_EQ(lineIndex(u"\tÖffne Kaputt auf ACCESS"), window.list.size());
    EXPECT_EQ(checkTarget(), "");
    server("DROP VIEW `Kaputt`");
    server("DROP TABLE `KaputtQuelle`");
    server("DROP FUNCTION `kaputt_wert`");
}

}  // namespace
}  // namespace engine_test
