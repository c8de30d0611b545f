// Runs from SQLite ODBC into copies of Access 2007+ files (.accdb): testV2007's Table1 (a column
// of every common type, as testV2000's) filled through the safe-mode copy, and a table with
// calculated columns refused on its own while the run goes on.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "jet/base/text.h"
#include "transfer_fixture.h"

namespace engine_test {
namespace {

using engine::CheckBox;
using engine::RunOutcome;
using engine::TextBox;

class AceTargetTest : public TransferTest {};

TEST_F(AceTargetTest, SafeModeFillsAnAccdbTableFieldByField) {
    if (!useAceFixture("testV2007.accdb")) GTEST_SKIP() << "fixture testV2007.accdb missing";
    source(
        "CREATE TABLE Table1 (A VARCHAR(50), B TEXT, C SMALLINT, D SMALLINT, E INTEGER,"
        " F DOUBLE, G TIMESTAMP, H NUMERIC(19,4), I BOOLEAN NOT NULL)");
    source(
        "INSERT INTO Table1 VALUES ('Größe', 'Ärger €', 255, -32768, 2147483647, 0.1,"
        " '2024-02-29 13:14:15', 12345.6789, 1), ('leer', NULL, NULL, NULL, NULL, NULL, NULL,"
        " NULL, 0)");
    window.checks[CheckBox::Check_Safety] = 1;
    expectTypedTable1Arrives();
    EXPECT_EQ(window.list[5], u"\tErzeuge: [new_Table1]");
    EXPECT_NE(std::find(window.list.begin(), window.list.end(),
                        u"\tBenenne [new_Table1] in [Table1] um."),
              window.list.end());
    // The swapped-in table keeps its keys: the primary key and the index on B.
    const std::string schema = runCommand(std::string(JETTOOL_PATH) + " schema '" +
                                          target().string() + "' Table1 | grep '^  Index'");
    EXPECT_EQ(schema, "  Index B (B)\n  Index PrimaryKey (A) PRIMARY KEY UNIQUE REQUIRED\n");
}

// Access 2019's types: a BIGINT arrives as its 64 bits, a time stamp with all seven places of
// the extended Date/Time field, in place and through the safe-mode copy.
TEST_F(AceTargetTest, BigIntAndExtendedDatesArriveExactInAnAccess2019File) {
    const auto file = folder.path() / "ziel2019.accdb";
    const auto ddl = folder.path() / "ziel.sql";
    std::ofstream(ddl) << "CREATE TABLE Neu ([N] BIGINT, [T] DATETIME2,"
                          " CONSTRAINT [PrimaryKey] PRIMARY KEY ([N]));\n"
                          "CREATE INDEX [T] ON [Neu] ([T]);\n";
    int status = 0;
    runCommand(std::string(JETTOOL_PATH) + " create --accdb=17 '" + file.string() + "' --schema '" +
                   ddl.string() + "'",
               &status);
    ASSERT_EQ(status, 0);
    useTarget(file);
    source("CREATE TABLE Neu (N BIGINT, T TIMESTAMP)");
    source(
        "INSERT INTO Neu VALUES (-9223372036854775808, '0001-01-01 00:00:00'),"
        " (9223372036854775807, '9999-12-31 23:59:59.9999999'),"
        " (9007199254740993, '2024-02-29 13:14:15.1234567'), (0, NULL)");
    for (int safe : {0, 1}) {
        window.checks[CheckBox::Check_Safety] = safe;
        EXPECT_EQ(run(), RunOutcome::Completed);
        // mdbtools does not know these types yet: jettool reads them back.
        EXPECT_EQ(runCommand(std::string(JETTOOL_PATH) + " export '" + file.string() + "' Neu"),
                  "N,T\n"
                  "-9223372036854775808,\"0001-01-01 00:00:00.0000000\"\n"
                  "9223372036854775807,\"9999-12-31 23:59:59.9999999\"\n"
                  "9007199254740993,\"2024-02-29 13:14:15.1234567\"\n"
                  "0,\n")
            << "safe " << safe;
    }
}

// Neither emptied nor copied: the table fails with its reason, the next table is still done.
// (The relationships go, as in every run.)
TEST_F(AceTargetTest, ATableWithCalculatedColumnsFailsAloneAndChangesNothing) {
    if (!useAceFixture("calcFieldTestV2010.accdb")) GTEST_SKIP() << "fixture missing";
    source("CREATE TABLE Table1 (FirstName VARCHAR(50))");
    source("INSERT INTO Table1 VALUES ('Anna')");
    source("CREATE TABLE Fehlt (x INTEGER)");
    const std::string before = exportTable("Table1");
    const std::string tables = runCommand("mdb-tables -1 '" + target().string() + "'");
    for (int safe : {0, 1}) {
        window.checks[CheckBox::Check_Safety] = safe;
        window.list.clear();
        EXPECT_EQ(run(), RunOutcome::Completed);
        const Lines expected{u"SQL: Table1",
                             u"\tFehler 3251: Die Tabelle kann weder geändert noch kopiert "
                             u"werden: die Spalte 'LastFirst' ist ein berechnetes Feld (Access "
                             u"2010+), deren Werte dieses Programm nur lesen kann.",
                             u"*!*!* Bearbeitung der Tabelle abgebrochen !*!*!",
                             u"",
                             u"SQL: Fehlt",
                             u"\tNICHT IN ACCESS-Datenbank !!!"};
        EXPECT_NE(
            std::search(window.list.begin(), window.list.end(), expected.begin(), expected.end()),
            window.list.end())
            << "safe mode " << safe;
        EXPECT_EQ(exportTable("Table1"), before);
        EXPECT_EQ(runCommand("mdb-tables -1 '" + target().string() + "'"), tables);
    }
}

}  // namespace
}  // namespace engine_test
