#include "jet/index/index_writer.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "jet/format/page_layout.h"
#include "jet/index/index_tree.h"
#include "jet/page/usage_map.h"
#include "jet/page/usage_map_writer.h"

namespace jet {

using namespace index_page_layout;

namespace {

bool sameKey(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

bool rangeFits(const IndexPageLayout& layout, const EntryList& list, size_t begin, size_t end) {
    return storedBytes(list, begin, end, pagePrefix(layout, list, begin, end)) <=
           layout.entryCapacity;
}

// Where to halve a list of `count` items whose sizes `size(i)` are summed over each half: the
// cut (first item of the right half, 1..count-1) that balances the halves, then any cut that
// `fits` both of them.
template <typename Size, typename Fits>
size_t balancedCut(size_t count, Size size, Fits fits) {
    size_t total = 0;
    for (size_t i = 0; i < count; ++i) total += size(i);
    size_t cut = 1, left = size(0);
    while (cut + 1 < count && 2 * (left + size(cut)) <= total) left += size(cut++);
    if (fits(cut)) return cut;
    for (size_t other = 1; other < count; ++other)
        if (fits(other)) return other;
    throw Error(ErrorCode::RecordTooLarge, "Indexseite lässt sich nicht teilen");
}

// The cut of `count` items beside item `item`: after it when `after`, else before it, or the
// other one when that is no cut into two parts; 0 when neither is.
size_t cutBeside(size_t count, size_t item, bool after) {
    const size_t preferred = after ? item + 1 : item, other = after ? item : item + 1;
    if (preferred >= 1 && preferred < count) return preferred;
    return other >= 1 && other < count ? other : 0;
}

}  // namespace

IndexWriter::IndexWriter(PageFile& file, PageAllocator& allocator, const TableDefinition& table,
                         const RealIndexDef& index)
    : file_(file),
      layout_(file.format().indexPage),
      allocator_(allocator),
      table_(table),
      index_(index) {}

// ---- Finding the way -------------------------------------------------------------------------

IndexWriter::Node* IndexWriter::nodeAt(uint32_t page) {
    if (page == hot_.page) return nullptr;
    if (auto at = nodes_.find(page); at != nodes_.end()) return &at->second;
    const uint8_t type = file_.page(page).u8(page_layout::kPageType);
    if (type == kLeafPageType) return nullptr;
    if (type != kNodePageType) throwCorrupt(page, "Indexseite erwartet");
    return &node(page);
}

IndexWriter::Node& IndexWriter::node(uint32_t page) {
    if (auto at = nodes_.find(page); at != nodes_.end()) return at->second;
    IndexPage parsed = readIndexPage(layout_, file_.page(page));
    if (parsed.leaf) throwCorrupt(page, "Knotenseite erwartet");
    Node n;
    n.page = page;
    n.prevPage = parsed.prevPage;
    n.nextPage = parsed.nextPage;
    for (IndexEntry& e : parsed.entries)
        n.children.push_back({std::move(e.key), e.row, e.child, true});
    if (parsed.childTail != 0) n.children.push_back({{}, {}, parsed.childTail, false});
    if (n.children.empty()) throwCorrupt(page, "Knotenseite ohne Unterseiten");
    return nodes_.emplace(page, std::move(n)).first->second;
}

size_t IndexWriter::childSlot(const Node& n, std::span<const uint8_t> key, RowLocation row) {
    // The first child whose last entry is not less than the entry; past all of them, the last
    // child, which holds everything greater.
    size_t low = 0, high = n.children.size() - 1;
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        const NodeChild& c = n.children[mid];
        if (compareEntries(c.key, c.row, key, row) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

uint32_t IndexWriter::descend(std::span<const uint8_t> key, RowLocation row) {
    rightEdgeLeaf_ = 0;
    if (nodes_.size() > kMaxDecodedNodes) forgetNodesOffPath();
    path_.clear();
    uint32_t page = index_.rootPage;
    while (Node* n = nodeAt(page)) {
        if (path_.size() >= kMaxDepth) throwCorrupt(page, "Indexbaum zu tief");
        const size_t slot = childSlot(*n, key, row);
        path_.push_back({page, slot});
        if (n->children[slot].page == 0) throwCorrupt(page, "Verweis auf die Indexseite 0");
        page = n->children[slot].page;
    }
    return page;
}

// Every node is on its page as it is decoded, so any of them can be read again; those on the
// last way down are the likeliest to be needed next.
void IndexWriter::forgetNodesOffPath() {
    std::erase_if(nodes_, [&](const auto& entry) {
        return std::none_of(path_.begin(), path_.end(),
                            [&](const Step& step) { return step.page == entry.first; });
    });
}

bool IndexWriter::containsKey(std::span<const uint8_t> key) {
    // Keys appended in ascending order are checked against the last leaf alone.
    if (hot_.page != 0 && hot_.nextPage == 0 && hot_.count > 0) {
        const int c = compareKeys(key, hot_.lastKey);
        if (c > 0) return false;
        if (c == 0) return true;
    }
    // Row (0, 0) sorts before every row, so this finds the first entry with the key, if any.
    const uint32_t page = descend(key, RowLocation{});
    storedLeaf_ = 0;
    stored_.read(layout_, file_.page(page));
    const size_t at = stored_.lowerBoundKey(key);
    return at < stored_.size() && stored_.keyEquals(at, key);
}

// ---- Inserting -------------------------------------------------------------------------------

bool IndexWriter::insert(std::span<const uint8_t> key, RowLocation row) {
    if (key.size() > layout_.maxKeySize())
        throw Error(ErrorCode::RecordTooLarge, "Indexschlüssel mit " + std::to_string(key.size()) +
                                                   " Bytes ist zu lang (höchstens " +
                                                   std::to_string(layout_.maxKeySize()) + ")");
    bool isNew = false;
    if (appendAtRightEdge(key, row, isNew)) return isNew;
    if (insertInsideStoredLeaf(key, row, isNew)) return isNew;
    const uint32_t leaf = descend(key, row);
    isNew = insertIntoLeaf(leaf, key, row, change_);
    const bool split = change_.newPage != 0;
    for (size_t level = path_.size(); level-- > 0;) {
        if (!change_.lastIsNew && change_.newPage == 0) break;
        applyToNode(path_[level], key, row, change_);
    }
    if (!split) rememberRightEdge(leaf);
    return isNew;
}

// The way down to the last leaf, when every step on it is a node's child tail: a new last
// entry there changes no node page, so later ones can follow the same steps.
void IndexWriter::rememberRightEdge(uint32_t leaf) {
    if (leaf != hot_.page || hot_.nextPage != 0) return;
    for (const Step& step : path_) {
        const size_t children = node(step.page).children.size();
        if (children < 2 || step.slot + 1 != children) return;
    }
    rightEdgeLeaf_ = leaf;
}

// Keys appended in ascending order go after the last leaf's last entry, along the way down
// the previous one took.
bool IndexWriter::appendAtRightEdge(std::span<const uint8_t> key, RowLocation row, bool& isNew) {
    if (rightEdgeLeaf_ == 0 || rightEdgeLeaf_ != hot_.page || hot_.nextPage != 0) return false;
    if (!appendToHotLeaf(key, row, isNew)) return false;
    storedLeaf_ = 0;  // its view of the page is behind now
    noteInsert(hot_.page, hot_.count - 1);
    for (const Step& step : path_) {
        NodeChild& child = node(step.page).children[step.slot];
        child.key.assign(key.begin(), key.end());
        child.row = row;
        child.known = true;
    }
    return true;
}

uint32_t IndexWriter::newPage() {
    const uint32_t page = allocator_.allocate();
    addPageToMap(file_, allocator_, index_.usageMap, page);
    return page;
}

void IndexWriter::setPrevPage(uint32_t page, uint32_t prev) {
    putU32(file_.writablePage(page) + layout_.prevPage, prev);
    if (auto at = nodes_.find(page); at != nodes_.end()) at->second.prevPage = prev;
}

void IndexWriter::setNextPage(uint32_t page, uint32_t next) {
    putU32(file_.writablePage(page) + layout_.nextPage, next);
    if (auto at = nodes_.find(page); at != nodes_.end()) at->second.nextPage = next;
    if (page == hot_.page) hot_.nextPage = next;
}

// ---- Leaves ----------------------------------------------------------------------------------

bool IndexWriter::insertIntoLeaf(uint32_t page, std::span<const uint8_t> key, RowLocation row,
                                 Change& change) {
    change.lastIsNew = false;
    change.newPage = 0;
    change.inRun = false;
    bool isNew = false;
    if (page == hot_.page && appendToHotLeaf(key, row, isNew)) {
        change.lastIsNew = true;
        noteInsert(page, hot_.count - 1);
        return isNew;
    }

    ByteView bytes = file_.page(page);
    if (bytes.u8(page_layout::kPageType) != kLeafPageType)
        throwCorrupt(page, "Blattseite erwartet");
    IndexPageHeader header;
    header.tablePage = table_.firstPage;
    header.prevPage = bytes.u32(layout_.prevPage);
    header.nextPage = bytes.u32(layout_.nextPage);
    stored_.read(layout_, bytes);

    const size_t before = stored_.size();
    const size_t at = stored_.lowerBoundFrom(key, row, placeAfterLastInsert(page));
    if (at < before && stored_.compare(at, key, row) == 0) throwDuplicate(row);
    const bool equalBefore =
        at > 0 ? stored_.keyEquals(at - 1, key) : neighbourHasKey(header.prevPage, false, key);
    const bool equalAfter =
        at < before ? stored_.keyEquals(at, key) : neighbourHasKey(header.nextPage, true, key);
    isNew = !equalBefore && !equalAfter;
    change.lastIsNew = at == before;
    // An entry close behind or before the last one put into this leaf continues a run. (Rows
    // added for keys already there are no run: they come to the end of each key's rows, all
    // over the tree, as random keys do.)
    Next next = Next::Anywhere;
    if (page == lastPage_ && at + kNearInsert >= lastAt_ && at <= lastAt_ + kNearInsert)
        next = at > lastAt_ ? Next::After : Next::Before;

    if (stored_.insert(file_.writablePage(page), at, key, row)) {
        if (decodedLeaf_ == page) decodedLeaf_ = 0;
        // Only a leaf that gained a last entry is likely to be appended to next.
        if (at == before)
            rememberStoredLeaf(page, header.nextPage);
        else if (hot_.page == page)
            hot_.page = 0;
        noteInsert(page, at);
        storedLeaf_ = page;
        return isNew;
    }

    decodeLeaf(page);
    leaf_.insert(at, key, row);
    decodedLeaf_ = 0;
    if (rangeFits(layout_, leaf_, 0, leaf_.size())) {
        writeLeaf(page, header.prevPage, header.nextPage, 0, leaf_.size());
        rememberHotLeaf(page, header.nextPage, 0, leaf_.size());
        decodedLeaf_ = page;  // leaf_ is the page again: the next entry here decodes nothing
        noteInsert(page, at);
        return isNew;
    }
    // Only the ends of the tree take whole pages: a run of entries into a gap between two
    // leaves would otherwise leave a page for each.
    const SplitKind kind = at == before && header.nextPage == 0 ? SplitKind::Append
                           : at == 0 && header.prevPage == 0    ? SplitKind::Prepend
                                                                : SplitKind::Halve;
    if (kind != SplitKind::Halve) next = Next::Anywhere;
    change.inRun = next != Next::Anywhere;
    change.runsUp = next == Next::After;
    splitLeaf(page, header, kind, at, next, change);
    return isNew;
}

// An entry between the first and the last of a leaf belongs to that leaf, and its last entry,
// which is all the nodes above know of it, stays: so the way down can be skipped.
bool IndexWriter::insertInsideStoredLeaf(std::span<const uint8_t> key, RowLocation row,
                                         bool& isNew) {
    const uint32_t page = storedLeaf_;
    storedLeaf_ = 0;  // until the entry is in
    if (page == 0) return false;
    stored_.rebase(file_.page(page));
    const size_t count = stored_.size();
    if (count < 2 || stored_.compare(0, key, row) <= 0 || stored_.compare(count - 1, key, row) >= 0)
        return false;
    const size_t at = stored_.lowerBoundFrom(key, row, placeAfterLastInsert(page));
    if (stored_.compare(at, key, row) == 0) throwDuplicate(row);
    const bool distinct = !stored_.keyEquals(at - 1, key) && !stored_.keyEquals(at, key);
    if (!stored_.insert(file_.writablePage(page), at, key, row)) return false;
    isNew = distinct;
    if (decodedLeaf_ == page) decodedLeaf_ = 0;
    if (hot_.page == page) hot_.page = 0;  // it gained no last entry
    noteInsert(page, at);
    storedLeaf_ = page;
    return true;
}

void IndexWriter::throwDuplicate(RowLocation row) {
    throw Error(ErrorCode::DuplicateKey, "Indexeintrag für Zeile " + std::to_string(row.row) +
                                             " auf Seite " + std::to_string(row.page) +
                                             " ist schon vorhanden");
}

void IndexWriter::noteInsert(uint32_t page, size_t at) {
    lastPage_ = page;
    lastAt_ = at;
}

// Entries arriving in ascending order go right after the one before; elsewhere no hint.
size_t IndexWriter::placeAfterLastInsert(uint32_t page) const {
    return page == lastPage_ ? lastAt_ + 1 : SIZE_MAX;
}

// Appends in place when the entry goes after the hot leaf's last one and the page keeps its
// prefix; false when the page must be rebuilt or split.
bool IndexWriter::appendToHotLeaf(std::span<const uint8_t> key, RowLocation row, bool& isNew) {
    HotLeaf& h = hot_;
    if (h.count == 0 || compareEntries(key, row, h.lastKey, h.lastRow) <= 0) return false;
    const size_t full = key.size() + kRowPointerSize;
    if (h.prefix == 0) {
        // Entries that fit whole are stored whole.
        if (h.fullBytes + full > layout_.entryCapacity) return false;
    } else if (commonPrefix(h.firstKey, key) < h.prefix) {
        return false;  // the shared prefix shrinks
    }
    const size_t stored = full - h.prefix;
    if (h.storedBytes + stored > layout_.entryCapacity) return false;

    isNew = !sameKey(key, h.lastKey) && !neighbourHasKey(h.nextPage, true, key);
    if (decodedLeaf_ == h.page) decodedLeaf_ = 0;
    uint8_t* page = file_.writablePage(h.page);
    uint8_t* out = page + layout_.entries + h.storedBytes;
    std::memcpy(out, key.data() + h.prefix, key.size() - h.prefix);
    putRowPointer(out + key.size() - h.prefix, row);
    h.storedBytes += stored;
    markEntryEnd(layout_, page, h.storedBytes);
    putU16(page + kFreeSpace, static_cast<uint16_t>(layout_.entryCapacity - h.storedBytes));
    h.fullBytes += full;
    ++h.count;
    h.lastKey.assign(key.begin(), key.end());
    h.lastRow = row;
    return true;
}

// Decodes the leaf into leaf_, unless it is there already (a lookup just before an insert).
void IndexWriter::decodeLeaf(uint32_t page) {
    if (decodedLeaf_ == page) return;
    leaf_.readPage(layout_, file_.page(page));
    decodedLeaf_ = page;
}

bool IndexWriter::neighbourHasKey(uint32_t page, bool next, std::span<const uint8_t> key) {
    if (page == 0) return false;
    ByteView bytes = file_.page(page);
    if (bytes.u8(page_layout::kPageType) != kLeafPageType)
        throwCorrupt(page, "Blattseite erwartet");
    const bool found =
        next ? readFirstEntry(layout_, bytes, boundary_) : readLastEntry(layout_, bytes, boundary_);
    if (!found) return false;
    if (boundary_.size() < kRowPointerSize) throwCorrupt(page, "Indexeintrag zu kurz");
    return sameKey({boundary_.data(), boundary_.size() - kRowPointerSize}, key);
}

void IndexWriter::writeLeaf(uint32_t page, uint32_t prevPage, uint32_t nextPage, size_t begin,
                            size_t end) {
    IndexPageHeader header;
    header.tablePage = table_.firstPage;
    header.prevPage = prevPage;
    header.nextPage = nextPage;
    writeIndexPage(layout_, file_.writablePage(page), header, leaf_, begin, end,
                   pagePrefix(layout_, leaf_, begin, end));
}

void IndexWriter::rememberHotLeaf(uint32_t page, uint32_t nextPage, size_t begin, size_t end) {
    hot_.page = page;
    hot_.nextPage = nextPage;
    hot_.count = end - begin;
    hot_.prefix = pagePrefix(layout_, leaf_, begin, end);
    hot_.fullBytes = leaf_.fullBytes(begin, end);
    hot_.storedBytes = storedBytes(leaf_, begin, end, hot_.prefix);
    std::span<const uint8_t> first = leaf_.key(begin), last = leaf_.key(end - 1);
    hot_.firstKey.assign(first.begin(), first.end());
    hot_.lastKey.assign(last.begin(), last.end());
    hot_.lastRow = leaf_.row(end - 1);
}

// As rememberHotLeaf, for the leaf in stored_.
void IndexWriter::rememberStoredLeaf(uint32_t page, uint32_t nextPage) {
    const size_t count = stored_.size();
    hot_.page = page;
    hot_.nextPage = nextPage;
    hot_.count = count;
    hot_.prefix = stored_.prefix();
    hot_.fullBytes = stored_.fullBytes();
    hot_.storedBytes = stored_.storedBytes();
    stored_.key(0, hot_.firstKey);
    stored_.key(count - 1, hot_.lastKey);
    hot_.lastRow = stored_.row(count - 1);
}

// Splits the leaf whose entries, the new one at `at` included, are in leaf_.
void IndexWriter::splitLeaf(uint32_t page, const IndexPageHeader& header, SplitKind kind, size_t at,
                            Next next, Change& change) {
    const size_t count = leaf_.size();
    auto fits = [&](size_t c) {
        return rangeFits(layout_, leaf_, 0, c) && rangeFits(layout_, leaf_, c, count);
    };
    size_t cut = kind == SplitKind::Append ? count - 1 : kind == SplitKind::Prepend ? 1 : 0;
    // Inside a run the next entry is expected between the new one and its neighbour on the
    // run's side. The cut keeps that place on the page with the run's entries and puts what
    // lies beyond it, which a run into a gap never reaches, on the other: so the pages the run
    // leaves behind are full, instead of each keeping the same old entries and room.
    bool beside = false;
    if (next != Next::Anywhere) {
        const size_t item = next == Next::After ? at + 1 : at;  // the entry past the place
        cut = item < count ? cutBeside(count, item, next == Next::After) : 0;
        beside = cut != 0 && fits(cut);
        change.hotIsNew = cut == item + 1;
    }
    if (kind == SplitKind::Halve && !beside)
        cut = balancedCut(
            count, [&](size_t i) { return leaf_.entry(i).size(); }, fits);
    change.inRun = change.inRun && beside;
    noteInsert(page, at);  // corrected below where the entry moves to another page

    if (page == index_.rootPage) {
        // The root stays where it is: its entries move to two new leaves below it.
        const uint32_t left = newPage(), right = newPage();
        writeLeaf(left, 0, right, 0, cut);
        writeLeaf(right, left, 0, cut, count);
        if (at < cut)
            rememberHotLeaf(left, right, 0, cut);
        else
            rememberHotLeaf(right, 0, cut, count);
        noteInsert(at < cut ? left : right, at < cut ? at : at - cut);
        Node root;
        root.page = page;
        root.childLeaves = 1;
        auto lastKey = [&](size_t i) {
            std::span<const uint8_t> k = leaf_.key(i);
            return std::vector<uint8_t>(k.begin(), k.end());
        };
        root.children.push_back({lastKey(cut - 1), leaf_.row(cut - 1), left, true});
        root.children.push_back({lastKey(count - 1), leaf_.row(count - 1), right, true});
        writeNode(nodes_[page] = std::move(root));
        change.lastIsNew = false;
        change.newPage = 0;
        return;
    }

    const uint32_t fresh = newPage();
    if (kind == SplitKind::Append) {
        // The last leaf keeps its entries; the new one starts a page of its own after it.
        writeLeaf(page, header.prevPage, fresh, 0, cut);
        writeLeaf(fresh, page, 0, cut, count);
        rememberHotLeaf(fresh, 0, cut, count);
        if (at >= cut) noteInsert(fresh, at - cut);
    } else {
        // The new page takes the lower part and goes before this one, so that the parent's
        // entry for this page stays right.
        writeLeaf(fresh, header.prevPage, page, 0, cut);
        writeLeaf(page, fresh, header.nextPage, cut, count);
        if (header.prevPage != 0) setNextPage(header.prevPage, fresh);
        if (at < cut)
            rememberHotLeaf(fresh, page, 0, cut);
        else
            rememberHotLeaf(page, header.nextPage, cut, count);
        noteInsert(at < cut ? fresh : page, at < cut ? at : at - cut);
    }
    change.newPage = fresh;
    change.kind = kind;
    std::span<const uint8_t> separator = leaf_.key(cut - 1);
    change.separatorKey.assign(separator.begin(), separator.end());
    change.separatorRow = leaf_.row(cut - 1);
}

// ---- Nodes -----------------------------------------------------------------------------------

// Brings the node on the way down up to date with what changed below it, and leaves in
// `change` what changed in its own subtree.
void IndexWriter::applyToNode(const Step& step, std::span<const uint8_t> key, RowLocation row,
                              Change& change) {
    Node& n = node(step.page);
    const size_t slot = step.slot;
    const bool wasLast = slot + 1 == n.children.size();
    bool changed = false;
    if (change.lastIsNew) {
        NodeChild& c = n.children[slot];
        c.key.assign(key.begin(), key.end());
        c.row = row;
        c.known = true;
        // The child-tail field carries no entry, so a new last entry there changes nothing.
        changed = !(wasLast && n.children.size() >= 2);
    }
    if (change.newPage != 0) {
        changed = true;
        NodeChild added;
        added.page = change.newPage;
        if (change.kind != SplitKind::Append) {
            added.key = change.separatorKey;
            added.row = change.separatorRow;
            added.known = true;
            n.children.insert(n.children.begin() + static_cast<ptrdiff_t>(slot), std::move(added));
        } else {
            // The new page holds the upper part, so it takes over the child's last entry.
            NodeChild& c = n.children[slot];
            added.key = std::move(c.key);
            added.row = c.row;
            added.known = c.known;
            c.key = change.separatorKey;
            c.row = change.separatorRow;
            c.known = true;
            n.children.insert(n.children.begin() + static_cast<ptrdiff_t>(slot) + 1,
                              std::move(added));
        }
    }
    change.lastIsNew = change.lastIsNew && wasLast;
    change.newPage = 0;
    if (!changed) return;
    // Listed once for both: whether the node still fits its page, and what the page holds.
    const uint32_t childTail = listNodeEntries(n, 0, n.children.size());
    if (rangeFits(layout_, nodeEntries_, 0, nodeEntries_.size()))
        return writeListedNode(n, childTail);
    // A split at an end of the tree is one at this node's end too: the kind carries over.
    splitNode(n, change, slot);
}

// Fills nodeEntries_ with the entries that children [begin, end) put on a page and returns
// the child-tail page: the last child when there are two or more, else none.
uint32_t IndexWriter::listNodeEntries(Node& n, size_t begin, size_t end) {
    const bool tail = end - begin >= 2;
    nodeEntries_.clear();
    for (size_t i = begin; i < (tail ? end - 1 : end); ++i) {
        NodeChild& c = n.children[i];
        if (!c.known) lastEntryBelow(c.page, c);
        nodeEntries_.append(c.key, c.row, c.page);
    }
    return tail ? n.children[end - 1].page : 0;
}

bool IndexWriter::nodeFits(Node& n, size_t begin, size_t end) {
    listNodeEntries(n, begin, end);
    return rangeFits(layout_, nodeEntries_, 0, nodeEntries_.size());
}

void IndexWriter::writeNode(Node& n) {
    writeListedNode(n, listNodeEntries(n, 0, n.children.size()));
}

void IndexWriter::writeListedNode(const Node& n, uint32_t childTail) {
    IndexPageHeader header;
    header.leaf = false;
    header.tablePage = table_.firstPage;
    header.prevPage = n.prevPage;
    header.nextPage = n.nextPage;
    header.childTail = childTail;
    writeIndexPage(layout_, file_.writablePage(n.page), header, nodeEntries_, 0,
                   nodeEntries_.size(), pagePrefix(layout_, nodeEntries_, 0, nodeEntries_.size()));
}

size_t IndexWriter::halveNode(Node& n) {
    // Each half lists all its children but the last; the sizes that count are those entries.
    const size_t count = n.children.size();
    return balancedCut(
        count, [&](size_t i) { return n.children[i].key.size() + EntryList::pointerSize(false); },
        [&](size_t c) { return nodeFits(n, 0, c) && nodeFits(n, c, count); });
}

// A split inside a run cuts the node beside the child the run goes on in, as splitLeaf cuts
// a leaf, and tells the parent which of the two nodes that child is in. 0 when it does not.
// The child split at `slot`: the new page there, the old one after it.
size_t IndexWriter::runCut(Node& n, size_t slot, Change& change) {
    if (!change.inRun) return 0;
    const size_t count = n.children.size();
    const size_t hot = change.hotIsNew ? slot : slot + 1;
    const size_t cut = cutBeside(count, hot, change.runsUp);
    if (cut == 0 || !nodeFits(n, 0, cut) || !nodeFits(n, cut, count)) {
        change.inRun = false;
        return 0;
    }
    change.hotIsNew = hot < cut;
    return cut;
}

void IndexWriter::splitNode(Node& n, Change& change, size_t slot) {
    const SplitKind kind = change.kind;
    const size_t count = n.children.size();
    size_t cut = kind == SplitKind::Append ? count - 1 : kind == SplitKind::Prepend ? 1 : 0;
    if (kind == SplitKind::Halve) cut = runCut(n, slot, change);
    if (cut == 0) cut = halveNode(n);
    const int childLeaves = n.childLeaves;
    std::vector<NodeChild> leftChildren(
        std::make_move_iterator(n.children.begin()),
        std::make_move_iterator(n.children.begin() + static_cast<ptrdiff_t>(cut)));
    std::vector<NodeChild> rightChildren(
        std::make_move_iterator(n.children.begin() + static_cast<ptrdiff_t>(cut)),
        std::make_move_iterator(n.children.end()));
    change.separatorKey = leftChildren.back().key;
    change.separatorRow = leftChildren.back().row;

    if (n.page == index_.rootPage) {
        // The root stays where it is: its children move to two new nodes below it.
        const uint32_t leftPage = newPage(), rightPage = newPage();
        Node& left = nodes_[leftPage];
        left = {leftPage, 0, rightPage, childLeaves, std::move(leftChildren)};
        Node& right = nodes_[rightPage];
        right = {rightPage, leftPage, 0, childLeaves, std::move(rightChildren)};
        unlinkChildren(left, right);
        writeNode(left);
        writeNode(right);
        NodeChild toLeft{change.separatorKey, change.separatorRow, leftPage, true};
        NodeChild toRight{right.children.back().key, right.children.back().row, rightPage,
                          right.children.back().known};
        n.children.clear();
        n.children.push_back(std::move(toLeft));
        n.children.push_back(std::move(toRight));
        n.childLeaves = 0;
        writeNode(n);
        change.lastIsNew = false;
        change.newPage = 0;
        return;
    }

    const uint32_t fresh = newPage();
    if (kind == SplitKind::Append) {
        Node& right = nodes_[fresh];
        right = {fresh, n.page, n.nextPage, childLeaves, std::move(rightChildren)};
        n.children = std::move(leftChildren);
        if (right.nextPage != 0) setPrevPage(right.nextPage, fresh);
        n.nextPage = fresh;
        unlinkChildren(n, right);
        writeNode(n);
        writeNode(right);
    } else {
        Node& left = nodes_[fresh];
        left = {fresh, n.prevPage, n.page, childLeaves, std::move(leftChildren)};
        n.children = std::move(rightChildren);
        if (left.prevPage != 0) setNextPage(left.prevPage, fresh);
        n.prevPage = fresh;
        unlinkChildren(left, n);
        writeNode(left);
        writeNode(n);
    }
    change.newPage = fresh;
}

// Node pages are linked only to siblings with the same parent: children that now have
// different parents lose their link. Leaves stay linked from first to last.
void IndexWriter::unlinkChildren(Node& left, Node& right) {
    if (left.childLeaves < 0)
        left.childLeaves = nodeAt(left.children.front().page) == nullptr ? 1 : 0;
    right.childLeaves = left.childLeaves;
    if (left.childLeaves == 1) return;
    setNextPage(left.children.back().page, 0);
    setPrevPage(right.children.front().page, 0);
}

void IndexWriter::lastEntryBelow(uint32_t page, NodeChild& out) {
    for (unsigned depth = 0; depth <= kMaxDepth; ++depth) {
        Node* n = nodeAt(page);
        if (n == nullptr) {
            if (!readLastEntry(layout_, file_.page(page), boundary_) ||
                boundary_.size() < kRowPointerSize)
                throwCorrupt(page, "leere Blattseite unter einer Knotenseite");
            const uint8_t* pointer = boundary_.data() + boundary_.size() - kRowPointerSize;
            out.key.assign(boundary_.begin(), boundary_.end() - kRowPointerSize);
            out.row.page = uint32_t{pointer[0]} << 16 | uint32_t{pointer[1]} << 8 | pointer[2];
            out.row.row = pointer[3];
            out.known = true;
            return;
        }
        const NodeChild& last = n->children.back();
        if (last.known) {
            out.key = last.key;
            out.row = last.row;
            out.known = true;
            return;
        }
        page = last.page;
    }
    throwCorrupt(page, "Indexbaum zu tief");
}

// ---- Emptying --------------------------------------------------------------------------------

void IndexWriter::clear() {
    storedLeaf_ = 0;
    rightEdgeLeaf_ = 0;
    const uint32_t root = index_.rootPage;
    IndexTree tree = readIndexTree(file_, root);
    for (const IndexPage& page : tree.pages) {
        if (page.number == root) continue;
        allocator_.release(page.number);
        removePageFromMap(file_, index_.usageMap, page.number);
    }
    // Pages the map names beyond the tree are not known to be the index's: out of the map,
    // but not handed back for reuse.
    bool rootInMap = false;
    for (uint32_t page : readUsageMap(file_, index_.usageMap).pages) {
        if (page == root)
            rootInMap = true;
        else
            removePageFromMap(file_, index_.usageMap, page);
    }
    if (!rootInMap) addPageToMap(file_, allocator_, index_.usageMap, root);

    leaf_.clear();
    decodedLeaf_ = 0;
    IndexPageHeader header;
    header.tablePage = table_.firstPage;
    writeIndexPage(layout_, file_.writablePage(root), header, leaf_, 0, 0, 0);
    nodes_.clear();
    hot_.page = 0;
    hot_.count = 0;
    lastPage_ = 0;
}

}  // namespace jet
