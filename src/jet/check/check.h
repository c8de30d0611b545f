// The structural check of a database: every rule the file's parts must keep with each other,
// checked against what the pages hold. Reads only; never changes the file.
//
// Checked, for every table (system tables included):
//  - the TDEF's row count against the live rows;
//  - each data page's free-space field against its rows;
//  - moved rows' pointers and long-value references (inline, one row, chain) with their lengths;
//  - each real index: its B-tree (page types, owner, free space, order of entries, node entries
//    against their children, leaf links), one entry per row it should hold with the key
//    computed from that row, and the TDEF's distinct-key count;
// and for the file: no page with two owners (TDEF, data, index, long-value and usage-map bitmap
// pages), no owned page marked free in the global map, every data page of a table in its map.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/catalog/database.h"
#include "jet/check/check_fault.h"

namespace jet {

// All faults found, in the order the check met them; empty for a sound file. A part too broken
// to be checked further is reported as a fault and skipped, so this does not throw for damaged
// pages; it throws only when the file cannot be read at all.
std::vector<CheckFault> checkDatabase(Database& database);

}  // namespace jet
