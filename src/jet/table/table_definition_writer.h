// Writing a table definition (TDEF) back to the file: the inverse of readTableDefinition.
//
// The encoding lays the definition out as Access does: the header, the real indexes' count
// blocks, the column blocks, the column names, the real-index blocks, the logical-index blocks
// and names, the long-value columns' page maps and the closing FF FF. Access fills a few
// places with constants of its own (1625 before each column and logical index, 1923 before
// each real index, 09 04 00 00 as the sort order of non-text columns); these are written as
// Access writes them.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"
#include "jet/table/table_definition.h"

namespace jet {

// The logical TDEF buffer of `t` in `format`, as one run of bytes from the header to the
// closing FF FF. `t.length` is ignored; the result's size is the length. The unknown header
// bytes are 01 and zeros; writeTableDefinition keeps the stored ones.
std::vector<uint8_t> encodeTableDefinition(const Format& format, const TableDefinition& t);

// Splits a logical buffer into TDEF page images: the first page holds the buffer's first
// page-size bytes, each continuation page an 8-byte header and the next ones. Each image is a
// whole page; `next` words are left 0 for the caller to chain.
std::vector<std::vector<uint8_t>> tableDefinitionPages(const Format& format,
                                                       const std::vector<uint8_t>& logical);

// Writes `t` into the file. The chain `t.pages` (the pages of the definition as stored, first
// page first) is reused in order; pages it lacks come from `allocator`, pages it no longer
// needs go back to it. When `t.pages` is empty the chain starts at `t.firstPage`, or at a page
// taken from `allocator` when that is 0 (a table's first page is its catalog Id, so it never
// moves once stored). Afterwards `t.firstPage`, `t.pages` and `t.length` are as written.
// The first page's unknown header bytes are kept when it already holds a definition.
void writeTableDefinition(PageFile& file, PageAllocator& allocator, TableDefinition& t);

}  // namespace jet
