// Removing one entry from an index B-tree (see index_writer.h). Pages are never merged: a page
// keeps its entries until it is empty, then it leaves the tree. That keeps every rule the
// writer keeps without rebalancing; Access files, too, hold sparsely filled pages.
#include <cstring>
#include <string>
#include <utility>

#include "jet/format/page_layout.h"
#include "jet/index/index_writer.h"
#include "jet/page/usage_map_writer.h"

namespace jet {

using namespace index_page_layout;

namespace {

bool sameKey(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

}  // namespace

bool IndexWriter::remove(std::span<const uint8_t> key, RowLocation row) {
    storedLeaf_ = 0;
    const uint32_t leaf = descend(key, row);
    const LeafRemoval removal = removeFromLeaf(leaf, key, row);
    if (removal.emptied)
        removeChildUpwards(path_.size() - 1);
    else if (removal.lastChanged)
        propagateLastEntry(path_.size(), newLast_, removal.lastRow);
    return removal.gone;
}

IndexWriter::LeafRemoval IndexWriter::removeFromLeaf(uint32_t page, std::span<const uint8_t> key,
                                                     RowLocation row) {
    ByteView bytes = file_.page(page);
    if (bytes.u8(page_layout::kPageType) != kLeafPageType)
        throwCorrupt(page, "Blattseite erwartet");
    const uint32_t prevPage = bytes.u32(layout_.prevPage), nextPage = bytes.u32(layout_.nextPage);
    decodeLeaf(page);
    const size_t count = leaf_.size();
    const size_t at = leaf_.lowerBound(key, row);
    if (at == count || compareEntries(leaf_.key(at), leaf_.row(at), key, row) != 0)
        throwCorrupt(page, "Indexeintrag für Zeile " + std::to_string(row.row) + " auf Seite " +
                               std::to_string(row.page) + " fehlt");

    LeafRemoval removal;
    const bool equalBefore =
        at > 0 ? sameKey(leaf_.key(at - 1), key) : neighbourHasKey(prevPage, false, key);
    const bool equalAfter =
        at + 1 < count ? sameKey(leaf_.key(at + 1), key) : neighbourHasKey(nextPage, true, key);
    removal.gone = !equalBefore && !equalAfter;

    kept_.clear();
    for (size_t i = 0; i < count; ++i)
        if (i != at) kept_.append(leaf_.key(i), leaf_.row(i));
    std::swap(leaf_, kept_);
    decodedLeaf_ = 0;
    if (hot_.page == page) hot_.page = 0;  // its state no longer matches the page
    lastPage_ = 0;                         // nor do the places of earlier inserts

    if (leaf_.empty() && page != index_.rootPage) {
        releasePage(page, prevPage, nextPage);
        removal.emptied = true;
        return removal;
    }
    // Fewer entries always fit; the shared prefix can only grow.
    writeLeaf(page, prevPage, nextPage, 0, leaf_.size());
    decodedLeaf_ = page;
    if (at + 1 == count && !leaf_.empty()) {
        std::span<const uint8_t> last = leaf_.key(leaf_.size() - 1);
        newLast_.assign(last.begin(), last.end());
        removal.lastChanged = true;
        removal.lastRow = leaf_.row(leaf_.size() - 1);
    }
    return removal;
}

// Links the page's neighbours to each other and gives the page back, zeroed so that nothing
// names the index any more.
void IndexWriter::releasePage(uint32_t page, uint32_t prevPage, uint32_t nextPage) {
    if (prevPage != 0) setNextPage(prevPage, nextPage);
    if (nextPage != 0) setPrevPage(nextPage, prevPage);
    nodes_.erase(page);
    if (hot_.page == page) hot_.page = 0;
    if (decodedLeaf_ == page) decodedLeaf_ = 0;
    std::memset(file_.writablePage(page), 0, file_.pageSize());
    allocator_.release(page);
    removePageFromMap(file_, index_.usageMap, page);
}

// The child reached through path_[level] is gone: out of its parent, and further up while
// parents become empty.
void IndexWriter::removeChildUpwards(size_t level) {
    for (size_t l = level + 1; l-- > 0;) {
        Node& n = node(path_[l].page);
        const size_t slot = path_[l].slot;
        const bool wasLast = slot + 1 == n.children.size();
        n.children.erase(n.children.begin() + static_cast<ptrdiff_t>(slot));
        if (n.children.empty()) {
            if (n.page == index_.rootPage) return emptyRoot();
            const uint32_t page = n.page, prevPage = n.prevPage, nextPage = n.nextPage;
            releasePage(page, prevPage, nextPage);
            continue;
        }
        writeNode(n);
        if (!wasLast) return;
        NodeChild last;
        lastEntryBelow(n.children.back().page, last);
        newLast_ = std::move(last.key);
        return propagateLastEntry(l, newLast_, last.row);
    }
}

// The subtree reached through path_[level - 1] has a new last entry: the nodes above follow,
// as they do for an insert (a longer key may split a node).
void IndexWriter::propagateLastEntry(size_t level, std::span<const uint8_t> key, RowLocation row) {
    change_.lastIsNew = true;
    change_.newPage = 0;
    change_.kind = SplitKind::Halve;
    change_.inRun = false;
    for (size_t l = level; l-- > 0;) {
        if (!change_.lastIsNew && change_.newPage == 0) break;
        applyToNode(path_[l], key, row, change_);
    }
}

void IndexWriter::emptyRoot() {
    leaf_.clear();
    decodedLeaf_ = 0;
    IndexPageHeader header;
    header.tablePage = table_.firstPage;
    writeIndexPage(layout_, file_.writablePage(index_.rootPage), header, leaf_, 0, 0, 0);
    nodes_.clear();
    hot_.page = 0;
    hot_.count = 0;
    lastPage_ = 0;
}

}  // namespace jet
