// The catalog: user tables in catalog order and lookup by name ignoring case.
#include <gtest/gtest.h>

#include "fixture_files.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"

namespace jet {
namespace {

std::vector<std::string> userTableNames(Database& db) {
    std::vector<std::string> names;
    for (const auto* t : db.userTables()) names.push_back(toUtf8(t->name));
    return names;
}

TEST(Catalog, UserTablesInCatalogOrder) {
    REQUIRE_FIXTURE("testIndexPropertiesV2003.mdb");
    Database db(testing::fixture("testIndexPropertiesV2003.mdb").string(), OpenMode::ReadOnly);
    EXPECT_EQ(userTableNames(db),
              (std::vector<std::string>{"TableIgnoreNulls1", "TableIgnoreNulls1_temp",
                                        "TableIgnoreNulls2", "TableIgnoreNulls2_temp",
                                        "TableUnique1_temp", "TableUnique2_temp"}));
    REQUIRE_FIXTURE("empty.mdb");
    Database empty(testing::fixture("empty.mdb").string(), OpenMode::ReadOnly);
    EXPECT_TRUE(userTableNames(empty).empty());
    EXPECT_NE(empty.findTable(u"MSysObjects"), nullptr);  // system tables are still found
}

TEST(Catalog, LookupIgnoresCase) {
    REQUIRE_FIXTURE("indexTestV2003.mdb");
    Database db(testing::fixture("indexTestV2003.mdb").string(), OpenMode::ReadOnly);
    const CatalogEntry* table = db.findTable(u"TABLE2");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->name, u"Table2");
    EXPECT_EQ(db.findTable(u"Table"), nullptr);
    try {
        db.openTable(u"Kunden");
        FAIL() << "opened a table that does not exist";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), int(ErrorCode::ObjectNotFound));
        EXPECT_NE(e.description().find("'Kunden'"), std::string::npos);
    }
}

}  // namespace
}  // namespace jet
