// Which columns are bound and how many rows a fetch brings, for the driver abilities met in
// practice: SQLite (bound, no block), psqlODBC (everything), the cursor library, and drivers
// with none of the extensions.
#include "odbc/fetch_plan.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <vector>

namespace odbc {
namespace {

const CellFormat kInteger{ValueKind::Integer, SQL_C_SLONG, 4, false};
const CellFormat kShortText{ValueKind::Text, SQL_C_WCHAR, 42, true};
const CellFormat kLongText{ValueKind::Text, SQL_C_WCHAR, 2048, true};

constexpr FetchAbilities kSqlite{.getDataAnyColumn = true, .getDataBound = true};
constexpr FetchAbilities kPostgres{
    .getDataAnyColumn = true, .getDataBound = true, .getDataBlock = true};
constexpr FetchAbilities kNothing{};

TEST(FetchPlan, FixedSizeColumnsAlwaysComeInRowArrays) {
    for (const FetchAbilities& abilities : {kSqlite, kPostgres, kNothing}) {
        FetchPlan plan = planFetch({kInteger, kInteger}, abilities);
        EXPECT_EQ(plan.bound, (std::vector<bool>{true, true}));
        EXPECT_EQ(plan.rowsPerFetch, kMaxRowsPerFetch);
        EXPECT_FALSE(plan.tryPositioningFirst) << "no SQLGetData, no SQLSetPos";
    }
}

TEST(FetchPlan, VariableColumnsNeedBlockSupportForRowArrays) {
    FetchPlan sqlite = planFetch({kInteger, kShortText, kLongText}, kSqlite);
    EXPECT_EQ(sqlite.bound, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(sqlite.rowsPerFetch, 1u);

    FetchPlan postgres = planFetch({kInteger, kShortText, kLongText}, kPostgres);
    EXPECT_EQ(postgres.bound, (std::vector<bool>{true, true, true}));
    EXPECT_GT(postgres.rowsPerFetch, 1u);
    EXPECT_TRUE(postgres.tryPositioningFirst);
    EXPECT_TRUE(postgres.canReadAgain);
}

TEST(FetchPlan, WithoutReReadingVariableColumnsComeThroughGetData) {
    FetchPlan anyColumn =
        planFetch({kShortText, kInteger}, FetchAbilities{.getDataAnyColumn = true});
    EXPECT_EQ(anyColumn.bound, (std::vector<bool>{false, true}));
    EXPECT_EQ(anyColumn.rowsPerFetch, 1u);

    // Without SQL_GD_ANY_COLUMN nothing after an unbound column may be bound.
    FetchPlan strict = planFetch({kInteger, kShortText, kInteger}, kNothing);
    EXPECT_EQ(strict.bound, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(strict.rowsPerFetch, 1u);
}

TEST(FetchPlan, RowArraysStayWithinTheBudget) {
    const CellFormat wide{ValueKind::Text, SQL_C_WCHAR, 8002, true};
    FetchPlan plan = planFetch(std::vector<CellFormat>(10, wide), kPostgres);
    EXPECT_EQ(plan.rowsPerFetch, kRowArrayBudgetBytes / (10 * (8002 + sizeof(SQLLEN))));
}

TEST(FetchPlan, CursorLibraryBindsEverythingOneRowAtATime) {
    FetchPlan plan = planFetch({kInteger, kLongText}, FetchAbilities{true, true, true, true});
    EXPECT_EQ(plan.bound, (std::vector<bool>{true, true}));
    EXPECT_EQ(plan.rowsPerFetch, 1u);
    EXPECT_FALSE(plan.canReadAgain);
    EXPECT_FALSE(plan.rowStatusUsable);
}

}  // namespace
}  // namespace odbc
