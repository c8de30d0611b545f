#include "jet/index/index_tree.h"

#include <algorithm>
#include <unordered_set>

#include "jet/format/page_layout.h"

namespace jet {

using namespace index_page_layout;

bool entryLess(const IndexEntry& a, const IndexEntry& b) {
    if (a.key != b.key) return a.key < b.key;
    return a.row < b.row;
}

namespace {

uint32_t bigEndian(std::span<const uint8_t> bytes) {
    uint32_t v = 0;
    for (uint8_t b : bytes) v = v << 8 | b;
    return v;
}

IndexEntry splitEntry(std::span<const uint8_t> full, bool leaf, uint32_t page) {
    const size_t pointers = kRowPointerSize + (leaf ? 0 : kChildPointerSize);
    if (full.size() < pointers) throwCorrupt(page, "Indexeintrag zu kurz");
    const size_t keyLength = full.size() - pointers;
    IndexEntry e;
    e.key.assign(full.begin(), full.begin() + static_cast<ptrdiff_t>(keyLength));
    e.row.page = bigEndian(full.subspan(keyLength, 3));
    e.row.row = full[keyLength + 3];
    if (!leaf) e.child = bigEndian(full.subspan(keyLength + kRowPointerSize, kChildPointerSize));
    return e;
}

// The end offsets (relative to layout.entries) the entry mask marks, ascending.
std::vector<size_t> entryEnds(const IndexPageLayout& layout, ByteView page) {
    std::vector<size_t> ends;
    ByteView mask = page.sub(layout.entryMask, layout.entryMaskSize);
    for (size_t byte = 0; byte < mask.size(); ++byte) {
        const uint8_t bits = mask.u8(byte);
        for (size_t bit = 0; bit < 8; ++bit)
            if (bits >> bit & 1) ends.push_back(byte * 8 + bit);
    }
    return ends;
}

}  // namespace

IndexPage readIndexPage(const IndexPageLayout& layout, ByteView page) {
    IndexPage p;
    p.number = page.page();
    const uint8_t type = page.u8(page_layout::kPageType);
    if (type != kNodePageType && type != kLeafPageType)
        throwCorrupt(p.number, "Indexseite erwartet");
    p.leaf = type == kLeafPageType;
    p.freeSpace = page.u16(kFreeSpace);
    p.tablePage = page.u32(kTableDefinition);
    p.prevPage = page.u32(layout.prevPage);
    p.nextPage = page.u32(layout.nextPage);
    p.childTail = page.u32(layout.childTail);
    p.prefixLength = static_cast<uint16_t>(layout.prefixOf(page.data()));

    std::vector<uint8_t> prefix;  // empty until the first entry has been read
    size_t start = 0;
    for (size_t end : entryEnds(layout, page)) {
        ByteView stored = page.sub(layout.entries + start, end - start);
        std::vector<uint8_t> full = prefix;
        full.insert(full.end(), stored.data(), stored.data() + stored.size());
        if (p.entries.empty()) {
            if (full.size() < p.prefixLength)
                throwCorrupt(p.number, "gemeinsamer Anfang länger als der erste Indexeintrag");
            prefix.assign(full.begin(), full.begin() + p.prefixLength);
        }
        p.entries.push_back(splitEntry(full, p.leaf, p.number));
        start = end;
    }
    p.storedBytes = start;
    return p;
}

namespace {

struct TreeWalk {
    PageFile& file;
    IndexTree tree;
    std::unordered_set<uint32_t> seen;

    void visit(uint32_t number, uint32_t parent, unsigned depth) {
        if (depth > kMaxDepth) throwCorrupt(number, "Indexbaum zu tief");
        if (number == 0) throwCorrupt(parent, "Verweis auf die Indexseite 0");
        if (!seen.insert(number).second)
            throwCorrupt(parent, "Schleife im Indexbaum (Seite " + std::to_string(number) + ")");
        IndexPage page = readIndexPage(file.format().indexPage, file.page(number));
        std::vector<uint32_t> children;
        if (page.leaf) {
            tree.entries.insert(tree.entries.end(), page.entries.begin(), page.entries.end());
        } else {
            for (const auto& e : page.entries) children.push_back(e.child);
            if (page.childTail != 0) children.push_back(page.childTail);
        }
        tree.pages.push_back(std::move(page));
        tree.depths.push_back(depth);
        tree.parents.push_back(parent);
        for (uint32_t child : children) visit(child, number, depth + 1);
    }
};

}  // namespace

IndexTree readIndexTree(PageFile& file, uint32_t rootPage) {
    TreeWalk walk{file, {}, {}};
    walk.visit(rootPage, 0, 0);
    return std::move(walk.tree);
}

}  // namespace jet
