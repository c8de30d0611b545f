// Index B-trees: the layout of index pages (type 0x03 node, 0x04 leaf) and a walk over every
// page of one real index. Entries are stored prefix-compressed: each entry after a page's first
// leaves out the first `prefixLength` bytes, which equal the first entry's.
//
// An entry is the key bytes, the data row's page (3 bytes) and row (1 byte); a node entry adds
// the child page (4 bytes). These pointers are the only big-endian numbers in the file.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/base/bytes.h"
#include "jet/format/index_page_layout.h"
#include "jet/page/page_file.h"
#include "jet/table/table.h"

namespace jet {

// One entry. `child` is the page below a node entry, 0 in leaf entries.
struct IndexEntry {
    std::vector<uint8_t> key;
    RowLocation row;
    uint32_t child = 0;
};

// Order of entries in a tree: the key bytes compared unsigned (a shorter key that is a prefix
// of a longer one sorts first), then the row pointer.
bool entryLess(const IndexEntry& a, const IndexEntry& b);

struct IndexPage {
    uint32_t number = 0;
    bool leaf = true;
    uint16_t freeSpace = 0;  // as stored
    uint32_t tablePage = 0;
    uint32_t prevPage = 0;
    uint32_t nextPage = 0;
    uint32_t childTail = 0;
    uint16_t prefixLength = 0;
    size_t storedBytes = 0;  // bytes the entries take on the page, after compression
    std::vector<IndexEntry> entries;
};

// Parses an index page of a file whose index pages are laid out as `layout`. Throws when it
// is not one or its entries are malformed.
IndexPage readIndexPage(const IndexPageLayout& layout, ByteView page);

struct IndexTree {
    // Every page of the tree, parents before children and children in key order, so that the
    // leaves appear left to right.
    std::vector<IndexPage> pages;
    // Depth of each page (the root is 0), parallel to `pages`.
    std::vector<unsigned> depths;
    // Parent of each page, 0 for the root, parallel to `pages`.
    std::vector<uint32_t> parents;
    // The leaf entries, in tree order.
    std::vector<IndexEntry> entries;
};

// Walks the tree whose root is `rootPage`: each node's entries' children in order, then its
// child-tail page. Throws when a page is met twice, the tree is deeper than kMaxDepth or a
// page is malformed.
IndexTree readIndexTree(PageFile& file, uint32_t rootPage);

}  // namespace jet
