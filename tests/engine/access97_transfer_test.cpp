// Runs from SQLite ODBC into copies of Access 97 files (2 KB pages, text in code page 1252):
// the typed Table1 of testV1997.mdb, 5,000 rows into testIndexCodesV1997's Table1 (a text
// primary key and a text index, keyed by General 97) in place and in safe mode, and text the
// code page lacks as a field problem. Every result is read back by jettool, mdb-export and
// mdb-reader alike.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "jet/base/text.h"
#include "transfer_fixture.h"

namespace engine_test {
namespace {

using engine::CheckBox;
using engine::RunOutcome;
using engine::TextBox;

class Access97TransferTest : public TransferTest {
  protected:
    // The three readers agree on every table of the target (empty when they do).
    std::string readersDisagree() const {
        const auto tools = std::filesystem::path(__FILE__).parent_path().parent_path() / "tools";
        int status = 0;
        const std::string out =
            runCommand("python3 '" + (tools / "compare_exports.py").string() + "' --jettool '" +
                           JETTOOL_PATH + "' --fixtures '" + target().parent_path().string() +
                           "' '" + target().string() + "' 2>&1",
                       &status);
        return status == 0 ? "" : out;
    }
    std::u16string problemWith(std::u16string_view field) const {
        const std::u16string head = u"\t!! Problem mit Feld: [" + std::u16string(field) + u"] :";
        for (size_t i = 0; i + 1 < window.list.size(); ++i)
            if (window.list[i] == head) return window.list[i + 1];
        return {};
    }
    void typedTable1() {
        source(
            "CREATE TABLE Table1 (A VARCHAR(50), B TEXT, C INTEGER, D INTEGER, E INTEGER,"
            " F DOUBLE, G TIMESTAMP, H NUMERIC(19,4), I BOOLEAN NOT NULL)");
        source(
            "INSERT INTO Table1 VALUES ('Größe', 'Ärger €', 255, -32768, 2147483647, 0.1,"
            " '2024-02-29 13:14:15', 12345.6789, 1), ('leer', NULL, NULL, NULL, NULL, NULL,"
            " NULL, NULL, 0)");
    }
    // 5,000 rows whose keys sort by General 97 (umlauts, case, the euro sign), shuffled.
    void fiveThousandTextKeys() {
        source("CREATE TABLE Table1 (name TEXT, data TEXT)");
        std::string values;
        for (int i = 0; i < 5000; ++i) {
            const int n = (i * 7919) % 5000;
            char name[64];
            std::snprintf(name, sizeof name, "%s%05d", n % 3 == 0 ? "Äpfel " : "apfel ", n);
            values += std::string(values.empty() ? "" : ",") + "('" + name + "', '" +
                      (n % 11 == 0 ? std::string("NULL") : "Größe € " + std::to_string(n % 97)) +
                      "')";
        }
        source("INSERT INTO Table1 VALUES " + values);
        source("UPDATE Table1 SET data = NULL WHERE data = 'NULL'");
    }
};

TEST_F(Access97TransferTest, EveryTypeArrivesInPlace) {
    if (!useFixture("testV1997.mdb", "jet3")) GTEST_SKIP() << "fixture testV1997.mdb is missing";
    typedTable1();
    expectTypedTable1Arrives();
    EXPECT_EQ(readersDisagree(), "");
}

TEST_F(Access97TransferTest, EveryTypeArrivesInSafeMode) {
    if (!useFixture("testV1997.mdb", "jet3")) GTEST_SKIP() << "fixture testV1997.mdb is missing";
    typedTable1();
    window.checks[CheckBox::Check_Safety] = 1;
    expectTypedTable1Arrives();
    EXPECT_EQ(window.list[5], u"\tErzeuge: [new_Table1]");
    EXPECT_EQ(readersDisagree(), "");
}

// The run reports the character with its place and stores the row's other fields.
TEST_F(Access97TransferTest, TextTheCodePageLacksIsAFieldProblem) {
    if (!useFixture("testV1997.mdb", "jet3")) GTEST_SKIP() << "fixture testV1997.mdb is missing";
    source("CREATE TABLE Table1 (A VARCHAR(50), B TEXT, I BOOLEAN NOT NULL)");
    // A is the primary key: a problem there would leave it NULL and end the run.
    source("INSERT INTO Table1 VALUES ('Lodz', 'Łódź', 1)");
    window.texts[TextBox::Text3] = u"table1";
    try {
        EXPECT_EQ(run(), RunOutcome::Completed);
    } catch (const engine::RunFailure& failure) {
        FAIL() << failure.number << ": " << jet::toUtf8(failure.description);
    }
    const std::u16string problem = problemWith(u"B");
    EXPECT_NE(problem.find(u"„Ł“"), std::u16string::npos) << jet::toUtf8(problem);
    EXPECT_NE(problem.find(u"1252"), std::u16string::npos) << jet::toUtf8(problem);
    // The row is stored without the value (the columns' defaults fill the rest); the table
    // ends after it.
    EXPECT_EQ(exportTable("Table1"), "A,B,C,D,E,F,G,H,I\n\"Lodz\",,0,0,0,0,,0.0000,1\n");
    EXPECT_EQ(checkTarget(), "");
}

TEST_F(Access97TransferTest, FiveThousandTextKeysInPlaceThenInSafeMode) {
    if (!useFixture("testIndexCodesV1997.mdb", "jet3"))
        GTEST_SKIP() << "fixture testIndexCodesV1997.mdb is missing";
    fiveThousandTextKeys();
    window.texts[TextBox::Text3] = u"table1";
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(runCommand("mdb-count '" + target().string() + "' Table1"), "5000\n");
    EXPECT_EQ(checkTarget(), "");
    const std::string inPlace = exportTable("Table1");

    window.checks[CheckBox::Check_Safety] = 1;
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(exportTable("Table1"), inPlace);
    EXPECT_EQ(checkTarget(), "");
    EXPECT_EQ(readersDisagree(), "");
    EXPECT_NE(inPlace.find("\"apfel 00001\",\"Größe € 1\""), std::string::npos);
}

}  // namespace
}  // namespace engine_test
