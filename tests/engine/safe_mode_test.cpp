// Safe mode and the relations, on a copy of indexTestV2000.mdb: Table1 (id, otherfk1, otherfk2,
// data, otherfk3) referencing Table2 and Table3 (id, data) through relations; keys and indexes.
// These need the Jet engine's structure changes; until it has them the tests skip.
#include <gtest/gtest.h>

#include "jet/base/text.h"
#include "transfer_fixture.h"

namespace engine_test {
namespace {

using engine::CheckBox;
using engine::RunOutcome;
using engine::TextBox;

class SafeModeTest : public TransferTest {
  protected:
    void SetUp() override {
        if (!useFixture("indexTestV2000.mdb")) GTEST_SKIP() << "fixture indexTestV2000 missing";
        source("CREATE TABLE Table2 (id INTEGER, data TEXT)");
        source("INSERT INTO Table2 VALUES (10, 'zehn'), (11, 'elf')");
        window.checks[CheckBox::Check_Safety] = 1;
        window.texts[TextBox::Text3] = u"table2";
    }
    // The columns and indexes of Table2 as jettool lists them.
    std::string structure() const {
        return runCommand(std::string(JETTOOL_PATH) + " schema '" + target().string() +
                          "' Table2 | grep -E '^  (Spalte|Index|Beziehung)'");
    }
    // What Table2 has once its relation (with the foreign key index it made) is gone.
    static std::string structureWithoutRelation() {
        return "  Spalte id: Long Type=4 Size=4 Attributes=33 Nummer=0\n"
               "  Spalte data: Text Type=10 Size=50 Attributes=34 Nummer=1 UnicodeCompression\n"
               "  Index id (id)\n"
               "  Index PrimaryKey (id) PRIMARY KEY UNIQUE REQUIRED\n";
    }
    std::string relationRows() const {
        return runCommand("mdb-export '" + target().string() + "' MSysRelationships | wc -l");
    }
};

TEST_F(SafeModeTest, SwapsInTheFilledCopyWithTheTablesStructure) {
    RUN_OR_SKIP_STRUCTURE_CHANGE(EXPECT_EQ(run(), RunOutcome::Completed));
    EXPECT_EQ(
        window.list,
        (Lines{std::u16string(kStartLine), u"", u"Tabellennamen aus SQL-Datenbank auslesen...", u"",
               u"SQL: Table2", u"\tErzeuge: [new_Table2]", u"\t2 Zeilen zu bearbeiten.",
               u"\tÖffne Table2 auf SQL-Server", u"\tÖffne Table2 auf ACCESS",
               u"\tLösche: [Table2]", u"\tBenenne [new_Table2] in [Table2] um.", u"", u"",
               std::u16string(kEndLine)}));
    EXPECT_EQ(logBytes(),
              fileBlock({std::u16string(kStartLine), u"SQL: Table2", std::u16string(kEndLine)}));
    EXPECT_EQ(exportTable("Table2"), "id,data\n10,\"zehn\"\n11,\"elf\"\n");
    EXPECT_EQ(relationRows(), "1\n");  // only the header: every relation is gone
    EXPECT_EQ(structure(), structureWithoutRelation());
    EXPECT_EQ(checkTarget(), "");
}

TEST_F(SafeModeTest, FieldProblemLeavesTheAccessTableAndTheStagingTable) {
    source("CREATE TABLE t (x INTEGER)");
    source("DROP TABLE Table2");
    source("CREATE TABLE Table2 (id INTEGER, fremd TEXT, data TEXT)");
    source("INSERT INTO Table2 VALUES (10, 'f', 'zehn'), (11, 'g', 'elf')");
    const std::string original = exportTable("Table2");
    RUN_OR_SKIP_STRUCTURE_CHANGE(run());
    EXPECT_EQ(exportTable("Table2"), original);
    EXPECT_EQ(exportTable("new_Table2"), "id,data\n10,\"zehn\"\n");
    // A second run deletes the leftover staging table and makes it afresh.
    source("DROP TABLE Table2");
    source("CREATE TABLE Table2 (id INTEGER, data TEXT)");
    source("INSERT INTO Table2 VALUES (12, 'zwölf')");
    RUN_OR_SKIP_STRUCTURE_CHANGE(run());
    EXPECT_EQ(exportTable("Table2"), "id,data\n12,\"zwölf\"\n");
    EXPECT_EQ(checkTarget(), "");
}

TEST_F(SafeModeTest, AbortKeepsTheAccessTable) {
    const std::string original = exportTable("Table2");
    window.onYield = [](FakeWindow& w, int) {
        if (w.list.back() == u"\tÖffne Table2 auf ACCESS") w.abort = true;
    };
    RUN_OR_SKIP_STRUCTURE_CHANGE(EXPECT_EQ(run(), RunOutcome::Aborted));
    EXPECT_EQ(exportTable("Table2"), original);
    EXPECT_EQ(exportTable("new_Table2"), "id,data\n");
    EXPECT_EQ(checkTarget(), "");
}

// Outside safe mode the relations go too, and the emptied table keeps its structure.
TEST_F(SafeModeTest, RelationsAreGoneAfterARunInPlace) {
    window.checks[CheckBox::Check_Safety] = 0;
    RUN_OR_SKIP_STRUCTURE_CHANGE(run());
    EXPECT_EQ(relationRows(), "1\n");
    EXPECT_EQ(exportTable("Table2"), "id,data\n10,\"zehn\"\n11,\"elf\"\n");
    EXPECT_EQ(structure(), structureWithoutRelation());
    EXPECT_EQ(checkTarget(), "");
}

}  // namespace
}  // namespace engine_test
