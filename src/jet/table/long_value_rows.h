// The long-value rows a table's rows point at, for finding long-value pages that no map
// records (columns without maps of their own).
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "jet/page/page_file.h"
#include "jet/table/table_definition.h"

namespace jet {

// Long-value page -> the rows on it that the live rows of `table` use for the long values of
// `columnNumbers`: single rows and every link of chains. Throws on malformed rows or chains.
std::map<uint32_t, std::set<uint8_t>> longValueRowsOf(PageFile& file, const TableDefinition& table,
                                                      const std::vector<uint16_t>& columnNumbers);

// The pages of `used` that hold nothing but those rows: long-value pages whose every live row
// is in the set. Such pages can be given back once the table's rows are gone.
std::vector<uint32_t> pagesHoldingOnly(PageFile& file,
                                       const std::map<uint32_t, std::set<uint8_t>>& used);

}  // namespace jet
