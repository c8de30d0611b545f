// Changing one real index's B-tree: inserting an entry, finding a key, emptying the index.
//
// Entries are kept as Access keeps them: sorted by key bytes and then the row pointer, leaves
// linked through prev/next, node pages holding the last entry of each child (the last child of
// a node with two or more children in the child-tail field), prefix compression, free-space
// fields and entry bitmaps exact. The root page never moves. Pages come from the allocator and
// are recorded in the index's own usage map.
//
// Splits follow what Access leaves behind: an entry past the end of the last leaf starts a new
// leaf of its own and the full one stays as it is, so keys appended in ascending order fill
// every page (likewise before the start of the first leaf, for descending order). Inside the
// tree, a leaf that overflows while entries arrive next to each other (a run, upwards or
// downwards) is cut beside the run, so that the pages it leaves behind are full; any other
// split halves the page, and nodes split the same way. Node pages are linked only to siblings
// with the same parent.
//
// The writer keeps the node pages it has met last decoded, so that the way down mostly reads
// no page. An entry goes into its leaf in place (LeafEntries) while the page keeps its prefix;
// only a page that must change its prefix or split is decoded and rewritten. The leaf that gained a
// last entry is remembered, so that appending in ascending order costs the new entry's bytes, its
// mask bit and the free-space field; an entry that falls between two entries of the leaf that
// took the last one in place goes there without the way down, and so does an entry after the
// last one of the whole index while the way down to it crosses child tails only. The writer
// assumes it is the only one changing the index while it lives.
#pragma once

#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "jet/format/index_page_layout.h"
#include "jet/index/index_leaf_page.h"
#include "jet/index/index_page_image.h"
#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"
#include "jet/table/table.h"
#include "jet/table/table_definition.h"

namespace jet {

class IndexWriter {
  public:
    // `index` is one of `table`'s real indexes; both must outlive the writer.
    IndexWriter(PageFile& file, PageAllocator& allocator, const TableDefinition& table,
                const RealIndexDef& index);

    // True when an entry with exactly these key bytes exists (any row).
    bool containsKey(std::span<const uint8_t> key);

    // Adds the entry (key, row). Returns true when no entry had this key before, so the
    // caller can keep the index's distinct-key count. REQUIRES: the entry is not present.
    // Throws Error for a key longer than the layout's maxKeySize(), for an entry already present
    // and for damaged index pages.
    bool insert(std::span<const uint8_t> key, RowLocation row);

    // Removes exactly the entry (key, row). Returns true when no entry with this key is left,
    // so the caller can keep the distinct-key count. A leaf or node page left empty (the root
    // aside) is unlinked from its neighbours, taken out of its parent and given back to the
    // allocator; an emptied tree is an empty leaf root again. Node entries follow a child's
    // new last entry. Throws Error when the entry is not present and for damaged pages.
    bool remove(std::span<const uint8_t> key, RowLocation row);

    // Leaves an empty leaf root: every other page of the index goes back to the allocator and
    // out of the index's usage map.
    void clear();

  private:
    // One child of a node page. Every child's key is the last entry below it, except that the
    // last child's key may be unknown (`known` false) when it was read from the tail field.
    struct NodeChild {
        std::vector<uint8_t> key;
        RowLocation row;
        uint32_t page = 0;
        bool known = false;
    };
    struct Node {
        uint32_t page = 0;
        uint32_t prevPage = 0;
        uint32_t nextPage = 0;
        int childLeaves = -1;  // 1 when the children are leaves, 0 nodes, -1 not yet looked at
        std::vector<NodeChild> children;
    };
    // The leaf changed last, as it is on its page.
    struct HotLeaf {
        uint32_t page = 0;  // 0: none
        uint32_t nextPage = 0;
        size_t count = 0;
        size_t fullBytes = 0;    // the entries without prefix compression
        size_t storedBytes = 0;  // as stored
        size_t prefix = 0;
        std::vector<uint8_t> firstKey;
        std::vector<uint8_t> lastKey;
        RowLocation lastRow;
    };
    // The step taken through a node on the way down: the page and the child's place.
    struct Step {
        uint32_t page = 0;
        size_t slot = 0;
    };
    // How a page that overflows is split. At the far right end of the tree the page stays as
    // it is and the new entry starts a page of its own to the right (Append); at the far left
    // end likewise to the left (Prepend); anywhere else the page is halved, the lower half
    // going to a new page on the left.
    enum class SplitKind { Append, Prepend, Halve };
    // Where the entry after the new one is expected: right after it (a run upwards), right
    // before it (a run downwards), or anywhere.
    enum class Next { Anywhere, After, Before };
    // How close to the last insert into a leaf an entry must go to continue a run.
    static constexpr size_t kNearInsert = 3;
    // What changed in a page's subtree, for its parent: the new entry became its last entry,
    // and/or it was split with a new page beside it (to the right for Append, else to the
    // left); `separator` is then the last entry of the left one of the two.
    struct Change {
        bool lastIsNew = false;
        uint32_t newPage = 0;
        SplitKind kind = SplitKind::Halve;
        // A split inside a run of entries, which goes on in the new page (`hotIsNew`) or in
        // the old one: the nodes above are cut beside that page.
        bool inRun = false;
        bool runsUp = false;
        bool hotIsNew = false;
        std::vector<uint8_t> separatorKey;
        RowLocation separatorRow;
    };

    uint32_t descend(std::span<const uint8_t> key, RowLocation row);
    // Decoded node pages kept at most: memory stays flat however large the index grows.
    static constexpr size_t kMaxDecodedNodes = 16;
    void forgetNodesOffPath();
    Node* nodeAt(uint32_t page);  // nullptr for a leaf
    Node& node(uint32_t page);
    static size_t childSlot(const Node& node, std::span<const uint8_t> key, RowLocation row);
    uint32_t newPage();
    void setPrevPage(uint32_t page, uint32_t prev);
    void setNextPage(uint32_t page, uint32_t next);

    // Leaves.
    bool insertIntoLeaf(uint32_t page, std::span<const uint8_t> key, RowLocation row,
                        Change& change);
    bool appendToHotLeaf(std::span<const uint8_t> key, RowLocation row, bool& isNew);
    bool insertInsideStoredLeaf(std::span<const uint8_t> key, RowLocation row, bool& isNew);
    bool appendAtRightEdge(std::span<const uint8_t> key, RowLocation row, bool& isNew);
    void rememberRightEdge(uint32_t leaf);
    [[noreturn]] static void throwDuplicate(RowLocation row);
    void decodeLeaf(uint32_t page);
    bool neighbourHasKey(uint32_t page, bool next, std::span<const uint8_t> key);
    void splitLeaf(uint32_t page, const IndexPageHeader& header, SplitKind kind, size_t at,
                   Next next, Change& change);
    void writeLeaf(uint32_t page, uint32_t prevPage, uint32_t nextPage, size_t begin, size_t end);
    void rememberHotLeaf(uint32_t page, uint32_t nextPage, size_t begin, size_t end);
    void rememberStoredLeaf(uint32_t page, uint32_t nextPage);
    void noteInsert(uint32_t page, size_t at);
    size_t placeAfterLastInsert(uint32_t page) const;

    // Nodes.
    void applyToNode(const Step& step, std::span<const uint8_t> key, RowLocation row,
                     Change& change);
    uint32_t listNodeEntries(Node& node, size_t begin, size_t end);
    bool nodeFits(Node& node, size_t begin, size_t end);
    void writeNode(Node& node);
    // Writes the node from nodeEntries_, as listNodeEntries left them for all its children.
    void writeListedNode(const Node& node, uint32_t childTail);
    void splitNode(Node& node, Change& change, size_t slot);
    size_t runCut(Node& node, size_t slot, Change& change);
    size_t halveNode(Node& node);
    void unlinkChildren(Node& left, Node& right);
    void lastEntryBelow(uint32_t page, NodeChild& out);

    // Removing (index_writer_remove.cpp).
    // What removing an entry did to its leaf.
    struct LeafRemoval {
        bool gone = false;         // no entry with the key is left
        bool emptied = false;      // the leaf was released
        bool lastChanged = false;  // its last entry is now newLast_ / lastRow
        RowLocation lastRow;
    };
    LeafRemoval removeFromLeaf(uint32_t page, std::span<const uint8_t> key, RowLocation row);
    void releasePage(uint32_t page, uint32_t prevPage, uint32_t nextPage);
    void removeChildUpwards(size_t level);
    void propagateLastEntry(size_t level, std::span<const uint8_t> key, RowLocation row);
    void emptyRoot();

    PageFile& file_;
    const IndexPageLayout& layout_;  // the file's
    PageAllocator& allocator_;
    const TableDefinition& table_;
    const RealIndexDef& index_;
    std::unordered_map<uint32_t, Node> nodes_;
    HotLeaf hot_;
    // Reused between calls so that the steady state allocates nothing.
    std::vector<Step> path_;
    Change change_;
    EntryList leaf_{true};
    uint32_t decodedLeaf_ = 0;  // the page leaf_ holds as it is on disk, 0 for none
    LeafEntries stored_;        // the leaf being looked at, read in place
    // The page stored_ describes as it is, right after an entry went into it in place; 0
    // once anything else may have changed the index.
    uint32_t storedLeaf_ = 0;
    // The last leaf while path_ is the way down to it through child tails only; 0 once the
    // way may have changed.
    uint32_t rightEdgeLeaf_ = 0;
    // Where the last entry went: its leaf and place there (0: none), to recognise runs.
    uint32_t lastPage_ = 0;
    size_t lastAt_ = 0;
    EntryList nodeEntries_{false};
    std::vector<uint8_t> boundary_;
    std::vector<uint8_t> newLast_;  // a page's new last key while a removal travels up
    EntryList kept_{true};          // a leaf's entries without the removed one
};

}  // namespace jet
