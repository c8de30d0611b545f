#include "odbc/fetch_plan.h"

#include <sql.h>

#include <algorithm>

namespace odbc {
namespace {

size_t rowsFitting(const std::vector<CellFormat>& formats, const std::vector<bool>& bound) {
    size_t rowBytes = 0;
    for (size_t i = 0; i < formats.size(); ++i) {
        if (bound[i]) rowBytes += formats[i].cellBytes + sizeof(SQLLEN);
    }
    if (rowBytes == 0) return kMaxRowsPerFetch;
    return std::clamp<size_t>(kRowArrayBudgetBytes / rowBytes, 1, kMaxRowsPerFetch);
}

}  // namespace

FetchPlan planFetch(const std::vector<CellFormat>& formats, const FetchAbilities& abilities) {
    FetchPlan plan;
    plan.bound.assign(formats.size(), false);
    if (!abilities.bindColumns) return plan;

    bool mayNeedGetData = false;
    bool unboundSeen = false;
    for (size_t i = 0; i < formats.size(); ++i) {
        bool bind = !formats[i].variable || abilities.getDataBound;
        if (unboundSeen && !abilities.getDataAnyColumn) bind = false;
        plan.bound[i] = bind;
        unboundSeen = unboundSeen || !bind;
        mayNeedGetData = mayNeedGetData || formats[i].variable;
    }
    if (abilities.rowArrays && (!mayNeedGetData || abilities.getDataBlock)) {
        plan.rowsPerFetch = rowsFitting(formats, plan.bound);
    }
    return plan;
}

}  // namespace odbc
