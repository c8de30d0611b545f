// Input a server may hand over that Access cannot take as it is: odd names, values that do not
// fit, huge values, wide tables. Each is stored right or reported as a field problem; the run
// never crashes or hangs, and the file stays consistent. Targets come from jettool create.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "jet/base/text.h"
#include "transfer_fixture.h"

namespace engine_test {
namespace {

using engine::RunOutcome;
using engine::TextBox;

class HostileInputTest : public TransferTest {
  protected:
    // A target with the tables of `ddl` (Access SQL as `mdb-schema FILE access` prints it).
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
    RunOutcome runOrFail() {
        try {
            return run();
        } catch (const engine::RunFailure& failure) {
            ADD_FAILURE() << "run failed: " << failure.number << ": "
                          << jet::toUtf8(failure.description);
            return RunOutcome::Aborted;
        }
    }
    // mdb-export of a table whose name holds a single quote.
    std::string exportQuoted(const std::string& table) const {
        std::string quoted;
        for (char c : table) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return runCommand("mdb-export '" + target().string() + "' '" + quoted + "' 2>&1");
    }
    bool listHas(std::u16string_view line) const {
        for (const auto& l : window.list)
            if (l == line) return true;
        return false;
    }
    // The problem line pair's description for `field`, empty when it was not reported.
    std::u16string problemWith(std::u16string_view field) const {
        const std::u16string head = u"\t!! Problem mit Feld: [" + std::u16string(field) + u"] :";
        for (size_t i = 0; i + 1 < window.list.size(); ++i)
            if (window.list[i] == head) return window.list[i + 1];
        return {};
    }
};

// Blanks, quotes, ';', umlauts and Jet's 64 characters, in table and column names: the server
// gets them quoted, Access in brackets, and the lines show them as the server spells them.
TEST_F(HostileInputTest, OddTableAndColumnNamesArriveAsTheyAre) {
    const std::string longName(64, 'L');
    makeTarget("CREATE TABLE [Kunden Größe; 'x\"] ([Straße Nr; \"a'] Text (20), [" + longName +
               "] Long Integer);\nCREATE TABLE [" + longName + "] ([id] Long Integer);\n");
    source("CREATE TABLE \"Kunden Größe; 'x\"\"\" (\"Straße Nr; \"\"a'\" TEXT, \"" + longName +
           "\" INTEGER)");
    source("INSERT INTO \"Kunden Größe; 'x\"\"\" VALUES ('Gasse 1', 7)");
    source("CREATE TABLE \"" + longName + "\" (id INTEGER)");
    source("INSERT INTO \"" + longName + "\" VALUES (1), (2)");
    source("CREATE TABLE \"[Klammer]\" (id INTEGER)");
    source("CREATE TABLE \"x; DROP TABLE y\" (id INTEGER)");
    EXPECT_EQ(runOrFail(), RunOutcome::Completed);
    EXPECT_TRUE(listHas(u"SQL: Kunden Größe; 'x\""));
    EXPECT_TRUE(listHas(u"SQL: [Klammer]"));
    EXPECT_TRUE(listHas(u"SQL: x; DROP TABLE y"));
    EXPECT_EQ(exportQuoted("Kunden Größe; 'x\""),
              "Straße Nr; \"a'," + longName + "\n\"Gasse 1\",7\n");
    EXPECT_EQ(exportTable(longName), "id\n1\n2\n");
    EXPECT_EQ(checkTarget(), "");
}

// Values the field cannot hold are field problems with Access's own description; the run goes
// on with the next table.
TEST_F(HostileInputTest, ValuesThatDoNotFitAreFieldProblems) {
    makeTarget(
        "CREATE TABLE [Lang] ([t] Text (5));\n"
        "CREATE TABLE [Datum] ([d] DateTime);\n"
        "CREATE TABLE [Dezimal] ([n] Decimal (5, 2));\n");
    source("CREATE TABLE Lang (t TEXT)");
    source("INSERT INTO Lang VALUES ('sechs!')");
    source("CREATE TABLE Datum (d TIMESTAMP)");
    source("INSERT INTO Datum VALUES ('10000-01-01 00:00:00')");
    source("CREATE TABLE Dezimal (n NUMERIC(12,3))");
    source("INSERT INTO Dezimal VALUES (12345.678)");
    EXPECT_EQ(runOrFail(), RunOutcome::Completed);
    EXPECT_NE(problemWith(u"t"), u"");
    EXPECT_NE(problemWith(u"n"), u"");
    // A year past 9999 is either refused by the driver or by the field; it is never stored.
    EXPECT_EQ(exportTable("Datum").substr(0, 2), "d\n");
    EXPECT_EQ(checkTarget(), "");
}

// NaN, infinities, a date before Jet's year 100, text that is not UTF-8: whatever the driver
// delivers is stored or reported, and every reader can read the file afterwards.
TEST_F(HostileInputTest, ValuesOutsideTheUsualRangesNeverBreakTheFile) {
    makeTarget("CREATE TABLE [Zahlen] ([z] Double, [t] Text (50), [d] DateTime);\n");
    source("CREATE TABLE Zahlen (z DOUBLE, t TEXT, d TIMESTAMP)");
    source(
        "INSERT INTO Zahlen VALUES (9e999, 'plus', NULL), (-9e999, 'minus', NULL),"
        " (0.0/0.0, 'nan', NULL), (1.5, CAST(x'C328FF41' AS TEXT), '0099-12-31 00:00:00')");
    const RunOutcome outcome = runOrFail();
    EXPECT_EQ(outcome, RunOutcome::Completed);
    EXPECT_EQ(checkTarget(), "");
    const std::string rows = exportTable("Zahlen");
    EXPECT_EQ(rows.substr(0, 6), "z,t,d\n") << rows;
    int status = 0;
    const auto reader =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "tools/mdb_reader_export.mjs";
    runCommand("node '" + reader.string() + "' '" + target().string() + "' Zahlen", &status);
    EXPECT_EQ(status, 0);
}

// Long values up to the 16 MB the descriptor's length can say are stored whole; 20 MB in one
// memo and 100 MB in one binary value are field problems, the row and the file stay sound. The
// stored memo is kept at 1,000,000 characters: mdb-reader needs minutes for one of 8 MB.
TEST_F(HostileInputTest, LongValuesAreStoredWholeOrReportedPastTheirLimit) {
    makeTarget("CREATE TABLE [Gross] ([id] Long Integer, [m] Memo, [b] OLE);\n");
    source("CREATE TABLE Gross (id INTEGER, m TEXT, b BLOB)");
    source(
        "INSERT INTO Gross VALUES (1, replace(hex(zeroblob(500000)), '00', 'ab'),"
        " zeroblob(16777215)), (2, replace(hex(zeroblob(5000000)), '00', 'ab'),"
        " zeroblob(100000000))");
    EXPECT_EQ(runOrFail(), RunOutcome::Completed);
    EXPECT_NE(problemWith(u"m"), u"");
    EXPECT_NE(problemWith(u"b"), u"");
    EXPECT_EQ(checkTarget(), "");
    const auto reader =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "tools/mdb_reader_export.mjs";
    const std::string lengths = runCommand(
        "node --max-old-space-size=4096 '" + reader.string() + "' '" + target().string() +
        "' Gross | awk -F, 'NR>1{print $1, length($2), length($3)}'");
    // text and hex in their quotes; the refused values leave their fields empty
    EXPECT_EQ(lengths, "1 1000002 33554432\n2 0 0\n");
}

// Jet's widest table: 255 columns.
TEST_F(HostileInputTest, TableOf255ColumnsIsCopied) {
    std::string ddl = "CREATE TABLE [Breit] (";
    std::string create = "CREATE TABLE Breit (";
    std::string values = "INSERT INTO Breit VALUES (";
    std::string header;
    for (int i = 0; i < 255; ++i) {
        const std::string name = "c" + std::to_string(i);
        ddl += (i ? ", [" : "[") + name + "] Long Integer";
        create += (i ? ", " : "") + name + " INTEGER";
        values += (i ? ", " : "") + std::to_string(i * 1000);
        header += (i ? "," : "") + name;
    }
    makeTarget(ddl + ");\n");
    source(create + ")");
    source(values + ")");
    EXPECT_EQ(runOrFail(), RunOutcome::Completed);
    const std::string rows = exportTable("Breit");
    ASSERT_EQ(rows.substr(0, header.size() + 1), header + "\n");
    EXPECT_NE(rows.find(",254000\n"), std::string::npos);
    EXPECT_EQ(checkTarget(), "");
}

}  // namespace
}  // namespace engine_test
