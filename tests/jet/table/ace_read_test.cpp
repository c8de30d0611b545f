// Access 2007 and later (.accdb, ACE) files: Jet 4's pages under ACE's version bytes, read with
// their sort orders.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fixture_files.h"
#include "jet/base/errors.h"
#include "jet/catalog/database.h"
#include "jet/check/check.h"
#include "jet/index/index_tree.h"

namespace jet {
namespace {

std::string describe(const std::vector<CheckFault>& faults) {
    std::string out;
    for (const auto& f : faults) out += "\n  Seite " + std::to_string(f.page) + ": " + f.message;
    return out;
}

TEST(AceRead, VersionBytesChooseTheFormatAndItsSortOrder) {
    REQUIRE_FIXTURE_OF("ace", "testV2007.accdb");
    Database v2007(testing::fixtureOf("ace", "testV2007.accdb").string(), OpenMode::ReadOnly);
    EXPECT_EQ(v2007.file().format().version, FormatVersion::Ace12);
    EXPECT_EQ(v2007.file().format().sortKeys, SortKeyRules::GeneralLegacy);
    EXPECT_EQ(v2007.header().sortVersion, 0);
    Database v2010(testing::fixtureOf("ace", "test2V2010.accdb").string(), OpenMode::ReadOnly);
    EXPECT_EQ(v2010.file().format().version, FormatVersion::Ace14);
    EXPECT_EQ(v2010.file().format().sortKeys, SortKeyRules::General2010);
    EXPECT_EQ(v2010.header().sortLcid, 1033);
    EXPECT_EQ(v2010.header().sortVersion, 1);
    EXPECT_FALSE(v2010.file().format().legacyDecimalKeys);
    EXPECT_EQ(v2010.file().pageSize(), kJet4PageSize);
    // The later versions share the layouts; an unknown byte is still refused.
    for (int v : {4, 5, 6})
        EXPECT_TRUE(formatForVersion(uint8_t(v)) && formatForVersion(uint8_t(v))->isAce());
    EXPECT_EQ(formatForVersion(7), nullptr);
    EXPECT_FALSE(kJet4Format.isAce());
}

// An attachment or multi-value column holds the key of its values in the hidden table.
TEST(AceRead, ComplexColumnsReadAsTheirKeys) {
    REQUIRE_FIXTURE_OF("ace", "complexDataTestV2010.accdb");
    Database db(testing::fixtureOf("ace", "complexDataTestV2010.accdb").string(),
                OpenMode::ReadOnly);
    Table table = db.openTable(u"Table1");
    const ColumnDef* attach = nullptr;
    for (const auto& c : table.definition().columns)
        if (c.name == u"attach-data") attach = &c;
    ASSERT_NE(attach, nullptr);
    EXPECT_EQ(attach->type(), ColumnType::Complex);
    std::vector<int32_t> keys;
    table.forEachRow([&](RowLocation, const std::vector<Value>& values) {
        keys.push_back(std::get<int32_t>(values[attach->number]));
    });
    EXPECT_EQ(keys, (std::vector<int32_t>{1, 2, 3, 4}));
}

// The check recomputes every key from its row, General text keys included: every fixture is
// clean but for one fault of calcFieldTestV2010 itself, and a changed General key is found.
TEST(AceRead, EveryFixturePassesTheCheckAndAChangedGeneralKeyIsFound) {
    REQUIRE_FIXTURE_OF("ace", "fixedTextTestV2010.accdb");
    for (const auto& entry : std::filesystem::directory_iterator(testing::fixtureOf("ace", ""))) {
        if (entry.path().extension() != ".accdb") continue;
        Database db(entry.path().string(), OpenMode::ReadOnly);
        const auto faults = checkDatabase(db);
        // Its TDEF counts 3 rows of the 4 that Access, mdbtools and mdb-reader all read.
        if (entry.path().filename() == "calcFieldTestV2010.accdb") {
            ASSERT_EQ(faults.size(), 1u) << describe(faults);
            EXPECT_NE(faults[0].message.find("nennt 3 Zeilen, vorhanden sind 4"),
                      std::string::npos);
            continue;
        }
        EXPECT_TRUE(faults.empty()) << entry.path() << describe(faults);
    }
    testing::ScratchDir dir;
    const auto copy = dir.copy(testing::fixtureOf("ace", "fixedTextTestV2010.accdb"));
    std::vector<uint8_t> bytes = testing::readFile(copy);
    {
        Database db(copy.string(), OpenMode::ReadOnly);
        const TableDefinition t = db.openTable(u"users").definition();
        const RealIndexDef* general = nullptr;
        for (const auto& index : t.realIndexes) {
            const ColumnDef* c = t.columnByNumber(index.columns.at(0).columnNumber);
            if (c->type() == ColumnType::Text && c->sortVersion == 1) general = &index;
        }
        ASSERT_NE(general, nullptr);
        const IndexTree tree = readIndexTree(db.file(), general->rootPage);
        ASSERT_TRUE(tree.pages.at(0).leaf && !tree.entries.empty());
        // The first entry: the flag byte, then the first character's sort bytes.
        const size_t entries = size_t{general->rootPage} * kJet4PageSize + kJet4IndexPage.entries;
        bytes.at(entries + 2) ^= 0x01;
    }
    testing::writeFile(copy, bytes);
    Database db(copy.string(), OpenMode::ReadOnly);
    const auto faults = checkDatabase(db);
    ASSERT_FALSE(faults.empty());
    EXPECT_NE(describe(faults).find("Schlüssel für Zeile"), std::string::npos) << describe(faults);
}

// A password set in Access 2007 or later encrypts the file: refused with its own message.
TEST(AceRead, PasswordProtectedFilesAreRefused) {
    REQUIRE_FIXTURE_OF("ace", "testV2007.accdb");
    testing::ScratchDir dir;
    const auto copy = dir.copy(testing::fixtureOf("ace", "testV2007.accdb"));
    std::vector<uint8_t> bytes = testing::readFile(copy);
    bytes.at(header_layout::kEncodingKey) ^= 0x5A;  // masked on disk: any change makes it non-zero
    testing::writeFile(copy, bytes);
    try {
        Database db(copy.string(), OpenMode::ReadOnly);
        FAIL() << "opened";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), int(ErrorCode::EncryptedDatabase));
        EXPECT_NE(e.description().find("Datenbankkennwort"), std::string::npos) << e.description();
    }
}

}  // namespace
}  // namespace jet
