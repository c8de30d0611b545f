// Reading rows of system tables (MSysObjects, MSysRelationships) by column name: their column
// numbers differ between files, and a value of an unexpected type reads as missing.
#pragma once

#include <string_view>
#include <vector>

#include "jet/base/text.h"
#include "jet/base/value.h"
#include "jet/table/table_definition.h"

namespace jet {

// The number of the column named exactly `name`, or -1 when the table has none.
inline int columnNumberOf(const TableDefinition& table, std::u16string_view name) {
    for (const auto& c : table.columns)
        if (c.name == name) return c.number;
    return -1;
}

// The row's value in `column` when it holds a T; `fallback` otherwise (also for -1).
template <typename T>
T valueOr(const std::vector<Value>& values, int column, T fallback) {
    if (column < 0 || static_cast<size_t>(column) >= values.size()) return fallback;
    if (auto p = std::get_if<T>(&values[static_cast<size_t>(column)])) return *p;
    return fallback;
}

}  // namespace jet
