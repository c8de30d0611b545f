// Table definitions as Access wrote them: continuation pages, deleted columns, decimals,
// shared real indexes, index flags, long-value column maps and usage maps of every kind.
#include <gtest/gtest.h>

#include "fixture_files.h"
#include "jet/base/text.h"
#include "jet/catalog/database.h"
#include "jet/page/usage_map.h"

namespace jet {
namespace {

TableDefinition definitionOf(Database& db, std::u16string_view table) {
    return db.openTable(table).definition();
}

const ColumnDef& columnNamed(const TableDefinition& t, std::u16string_view name) {
    for (const auto& c : t.columns)
        if (c.name == name) return c;
    throw std::runtime_error("no column " + toUtf8(name));
}

TEST(TableDefinition, SpansContinuationPages) {
    REQUIRE_FIXTURE("test2V2003.mdb");
    Database db(testing::fixture("test2V2003.mdb").string(), OpenMode::ReadOnly);
    TableDefinition t = definitionOf(db, u"MSP_PROJECTS");
    EXPECT_GE(t.pages.size(), 2u);
    EXPECT_EQ(t.columns.size(), 74u);
    // The names of the last columns lie on the continuation page.
    EXPECT_EQ(toUtf8(t.columns.back().name).empty(), false);
    size_t withMaps = 0;
    for (const auto& c : t.columns) {
        EXPECT_EQ(c.isLongValue(), c.longValueOwnedMap.has_value()) << toUtf8(c.name);
        withMaps += c.longValueOwnedMap.has_value();
    }
    EXPECT_EQ(withMaps, 10u);
}

TEST(TableDefinition, DeletedColumnsLeaveGapsInNumbers) {
    REQUIRE_FIXTURE("delColTestV2003.mdb");
    Database db(testing::fixture("delColTestV2003.mdb").string(), OpenMode::ReadOnly);
    TableDefinition t = definitionOf(db, u"Table1");
    ASSERT_EQ(t.columns.size(), 4u);
    std::vector<uint16_t> numbers;
    for (const auto& c : t.columns) numbers.push_back(c.number);
    EXPECT_EQ(numbers, (std::vector<uint16_t>{0, 2, 3, 5}));
    EXPECT_GT(t.maxColumns, t.columns.size());
    // Rows written before the deletions still read by column number.
    size_t rows = 0;
    db.openTable(u"Table1").forEachRow([&](RowLocation, const std::vector<Value>& v) {
        ++rows;
        EXPECT_TRUE(std::holds_alternative<int32_t>(v[0]));
        EXPECT_TRUE(isNull(v[1]) && isNull(v[4]));
    });
    EXPECT_GT(rows, 0u);
}

TEST(TableDefinition, DecimalPrecisionAndScale) {
    REQUIRE_FIXTURE("fixedNumericTestV2003.mdb");
    Database db(testing::fixture("fixedNumericTestV2003.mdb").string(), OpenMode::ReadOnly);
    TableDefinition t = definitionOf(db, u"test");
    const ColumnDef& c = columnNamed(t, u"col2");
    EXPECT_EQ(c.type(), ColumnType::Decimal);
    EXPECT_EQ(c.precision, 18);
    EXPECT_EQ(c.scale, 0);
    EXPECT_EQ(columnNamed(t, u"col1").type(), ColumnType::Memo);
}

TEST(TableDefinition, LogicalIndexesShareRealOnes) {
    REQUIRE_FIXTURE("indexTestV2003.mdb");
    Database db(testing::fixture("indexTestV2003.mdb").string(), OpenMode::ReadOnly);
    TableDefinition t = definitionOf(db, u"Table2");
    const LogicalIndexDef* primary = nullptr;
    const LogicalIndexDef* referenced = nullptr;
    for (const auto& l : t.logicalIndexes) {
        if (l.name == u"PrimaryKey") primary = &l;
        if (l.name == u".rC") referenced = &l;
    }
    ASSERT_TRUE(primary && referenced);
    EXPECT_EQ(primary->kind, uint8_t(LogicalIndexKind::PrimaryKey));
    EXPECT_EQ(referenced->kind, uint8_t(LogicalIndexKind::ForeignKey));
    EXPECT_EQ(primary->realIndex, referenced->realIndex);
    EXPECT_EQ(referenced->foreignKeyRole, 1);
    EXPECT_EQ(referenced->otherTablePage, static_cast<uint32_t>(db.findTable(u"Table1")->id));
    const RealIndexDef& real = t.realIndexes[primary->realIndex];
    EXPECT_EQ(real.flags & (index_flag::kUnique | index_flag::kRequired),
              index_flag::kUnique | index_flag::kRequired);
}

TEST(TableDefinition, DescendingAndMultiColumnIndexes) {
    REQUIRE_FIXTURE("compIndexTestV2003.mdb");
    Database db(testing::fixture("compIndexTestV2003.mdb").string(), OpenMode::ReadOnly);
    TableDefinition t = definitionOf(db, u"Table1");
    bool descending = false;
    for (const auto& r : t.realIndexes)
        for (const auto& c : r.columns) descending = descending || !c.ascending;
    EXPECT_TRUE(descending);

    REQUIRE_FIXTURE("testIndexPropertiesV2003.mdb");
    Database props(testing::fixture("testIndexPropertiesV2003.mdb").string(), OpenMode::ReadOnly);
    TableDefinition n = definitionOf(props, u"TableIgnoreNulls2");
    bool ignoreNullsOnTwoColumns = false;
    for (const auto& r : n.realIndexes)
        ignoreNullsOnTwoColumns = ignoreNullsOnTwoColumns ||
                                  ((r.flags & index_flag::kIgnoreNulls) && r.columns.size() == 2);
    EXPECT_TRUE(ignoreNullsOnTwoColumns);
}

TEST(UsageMap, InlineAndReferenceMapsAndTheGlobalMap) {
    REQUIRE_FIXTURE("testRefGlobalV2000.mdb");
    PageFile file(testing::fixture("testRefGlobalV2000.mdb").string(), OpenMode::ReadOnly);
    UsageMap global = readUsageMap(file, usage_map_layout::kGlobalMap);
    EXPECT_EQ(global.kind, UsageMapKind::Reference);

    Database db(testing::fixture("testRefGlobalV2000.mdb").string(), OpenMode::ReadOnly);
    bool sawReference = false;
    for (const auto* entry : db.userTables()) {
        Table table = db.openTable(*entry);
        UsageMap owned = readUsageMap(db.file(), table.definition().ownedPages);
        sawReference = sawReference || owned.kind == UsageMapKind::Reference;
        // No page of a table is free in the global map.
        for (uint32_t page : table.dataPages())
            EXPECT_FALSE(std::binary_search(global.pages.begin(), global.pages.end(), page))
                << "page " << page;
    }
    EXPECT_TRUE(sawReference);

    REQUIRE_FIXTURE("testPromotionV2003.mdb");
    Database promo(testing::fixture("testPromotionV2003.mdb").string(), OpenMode::ReadOnly);
    UsageMap inlineMap =
        readUsageMap(promo.file(), promo.openTable(u"jobDB1").definition().ownedPages);
    EXPECT_EQ(inlineMap.kind, UsageMapKind::Inline);
    EXPECT_EQ(inlineMap.startPage % 8, 0u);
    EXPECT_EQ(inlineMap.pastEnd, 0u);
}

}  // namespace
}  // namespace jet
