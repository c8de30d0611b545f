// The CRM table list: the fixed set of tables a run copies while "Nur CRM Tabellen saugen" is
// ticked. The window owns the list; these functions fill it and test names against it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engine {

using CrmTableList = std::vector<std::u16string>;

// Replaces the contents of `list` with the 72 CRM table names, in their fixed order.
void FillCrmTableList(CrmTableList& list);

// True when `tableName` equals an entry of `list` after both are upper-cased (umlauts
// included, jet::upperCase). Whole names only: nothing is trimmed, no prefix counts.
// An empty list holds no table, so it answers false: the filter then selects nothing rather
// than everything.
bool IsCrmTable(const CrmTableList& list, std::u16string_view tableName);

}  // namespace engine
