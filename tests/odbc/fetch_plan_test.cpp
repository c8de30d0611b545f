// Which columns are bound and how many rows a fetch brings, for the abilities met in practice:
// SQLite (bound, no block), psqlODBC (everything), FreeTDS (bound, block claimed but not proven),
// and drivers proven for nothing.
#include "odbc/fetch_plan.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <vector>

namespace odbc {
namespace {

const CellFormat kInteger{ValueKind::Integer, SQL_C_SLONG, 4, false};
const CellFormat kShortText{ValueKind::Text, SQL_C_WCHAR, 42, true};
const CellFormat kLongText{ValueKind::Text, SQL_C_WCHAR, 2048, true};

constexpr FetchAbilities kSqlite{
    .bindColumns = true, .rowArrays = true, .getDataAnyColumn = true, .getDataBound = true};
constexpr FetchAbilities kPostgres{.bindColumns = true,
                                   .rowArrays = true,
                                   .getDataAnyColumn = true,
                                   .getDataBound = true,
                                   .getDataBlock = true};
constexpr FetchAbilities kFreeTds{.bindColumns = true, .rowArrays = true};
constexpr FetchAbilities kUnproven{};

TEST(FetchPlan, FixedSizeColumnsComeInRowArraysWhereProven) {
    for (const FetchAbilities& abilities : {kSqlite, kPostgres, kFreeTds}) {
        FetchPlan plan = planFetch({kInteger, kInteger}, abilities);
        EXPECT_EQ(plan.bound, (std::vector<bool>{true, true}));
        EXPECT_EQ(plan.rowsPerFetch, kMaxRowsPerFetch);
    }
}

TEST(FetchPlan, AnUnprovenDriverReadsEveryValueWithGetDataOneRowAtATime) {
    FetchPlan plan = planFetch({kInteger, kShortText, kInteger}, kUnproven);
    EXPECT_EQ(plan.bound, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(plan.rowsPerFetch, 1u);
    // Claimed extensions do not make up for missing proof.
    FetchAbilities claimed = kUnproven;
    claimed.getDataAnyColumn = claimed.getDataBound = claimed.getDataBlock = true;
    EXPECT_EQ(planFetch({kInteger}, claimed).rowsPerFetch, 1u);
}

TEST(FetchPlan, VariableColumnsNeedBlockSupportForRowArrays) {
    FetchPlan sqlite = planFetch({kInteger, kShortText, kLongText}, kSqlite);
    EXPECT_EQ(sqlite.bound, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(sqlite.rowsPerFetch, 1u);

    FetchPlan postgres = planFetch({kInteger, kShortText, kLongText}, kPostgres);
    EXPECT_EQ(postgres.bound, (std::vector<bool>{true, true, true}));
    EXPECT_GT(postgres.rowsPerFetch, 1u);

    // FreeTDS claims SQL_GD_BLOCK but reads other rows with it: one row per fetch.
    FetchPlan freeTds = planFetch({kInteger, kLongText, kInteger}, kFreeTds);
    EXPECT_EQ(freeTds.bound, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(freeTds.rowsPerFetch, 1u);
}

TEST(FetchPlan, WithoutReReadingVariableColumnsComeThroughGetData) {
    FetchPlan anyColumn = planFetch({kShortText, kInteger},
                                    FetchAbilities{.bindColumns = true, .getDataAnyColumn = true});
    EXPECT_EQ(anyColumn.bound, (std::vector<bool>{false, true}));
    EXPECT_EQ(anyColumn.rowsPerFetch, 1u);

    // Without SQL_GD_ANY_COLUMN nothing after an unbound column may be bound.
    FetchPlan strict = planFetch({kInteger, kShortText, kInteger}, kFreeTds);
    EXPECT_EQ(strict.bound, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(strict.rowsPerFetch, 1u);
}

TEST(FetchPlan, RowArraysStayWithinTheBudget) {
    const CellFormat wide{ValueKind::Text, SQL_C_WCHAR, 8002, true};
    FetchPlan plan = planFetch(std::vector<CellFormat>(10, wide), kPostgres);
    EXPECT_EQ(plan.rowsPerFetch, kRowArrayBudgetBytes / (10 * (8002 + sizeof(SQLLEN))));
}

}  // namespace
}  // namespace odbc
