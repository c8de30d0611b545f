// The definitions of the system tables a new Jet 4 database starts with: MSysObjects (the
// catalog), MSysACEs (permissions), MSysQueries and MSysRelationships, laid out as Jet lays
// them out in a new file: columns in alphabetical display order with Jet's column numbers and
// flags, the catalog indexes, and long-value columns with page maps of their own.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/table/table_definition.h"

namespace jet {

// Pages the four tables take, in this order from `firstPage` on: their TDEF pages (the first
// is MSysObjects, whose TDEF every reader expects on page 2), one page holding all their
// usage-map rows, and one empty root page per real index.
inline constexpr uint32_t kSystemTableCount = 4;
inline constexpr uint32_t kSystemTableMapRows = 31;
inline constexpr uint32_t kSystemTableIndexes = 7;
inline constexpr uint32_t kSystemTablePages = kSystemTableCount + 1 + kSystemTableIndexes;

// The four definitions with every page number filled in (TDEF page, map references, index
// roots) for pages numbered from `firstPage`, and no rows yet. Map row r of the holder page is
// referenced as MapRef{r, holder}; rows 0..kSystemTableMapRows-1 are all used.
// Their text columns sort by `sortVersion` (0 General Legacy, 1 General), as the file's header.
std::vector<TableDefinition> systemTableDefinitions(uint32_t firstPage, uint8_t sortVersion = 0);

// The same four tables as Access 97 lays them out in a new file, on pages 2 to 17: the TDEFs
// on 2-5, MSysObjects' map rows on 6 and 7, its two indexes' maps on 8 and 10 with their
// roots on 9 and 11, the other tables' map rows on 12, their roots on 13-17. Every map row
// that a definition references is taken, each holder page's rows from 0 on without gaps.
inline constexpr uint32_t kObjectsTdefPage97 = 2;
inline constexpr uint32_t kSystemTablePages97 = 16;
std::vector<TableDefinition> systemTableDefinitions97();

}  // namespace jet
