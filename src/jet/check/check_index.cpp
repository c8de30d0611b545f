#include "jet/check/check_index.h"

#include <map>
#include <optional>
#include <unordered_map>

#include "jet/base/text.h"
#include "jet/index/index_tree.h"

namespace jet {

namespace {

std::string hexBytes(const std::vector<uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (uint8_t b : bytes) {
        if (!out.empty()) out += ' ';
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

std::string rowName(RowLocation where) {
    return "Zeile " + std::to_string(where.row) + " auf Seite " + std::to_string(where.page);
}

struct IndexCheck {
    IndexCheck(PageFile& f, const TableUnderCheck& t, size_t n, const std::set<uint32_t>& m,
               const TableRows& r, std::vector<CheckFault>& out)
        : file(f), table(t), number(n), mapPages(m), rows(r), faults(out) {}

    PageFile& file;
    const TableUnderCheck& table;
    size_t number;
    const std::set<uint32_t>& mapPages;
    const TableRows& rows;
    std::vector<CheckFault>& faults;
    const RealIndexDef& index = table.definition.realIndexes[number];
    const IndexExpectation& expectation = rows.indexes[number];
    std::string name = table.name + ", " + indexName(table.definition, number);
    IndexTree tree;
    std::unordered_map<uint32_t, size_t> positions;  // page number -> place in tree.pages

    void fault(uint32_t page, const std::string& what) {
        faults.push_back({page, name + ": " + what});
    }

    void run() {
        try {
            tree = readIndexTree(file, index.rootPage);
        } catch (const Error& e) {
            return fault(index.rootPage, e.description());
        }
        for (size_t i = 0; i < tree.pages.size(); ++i) positions[tree.pages[i].number] = i;
        checkPages();
        checkMap();
        checkLinks();
        checkNodeEntries();
        checkOrder();
        checkRows();
        checkDistinctKeys();
    }

    void checkPages() {
        for (const IndexPage& page : tree.pages) {
            if (page.tablePage != table.definition.firstPage)
                fault(page.number,
                      "Indexseite nennt die Tabelle auf Seite " + std::to_string(page.tablePage));
            const size_t expected = file.format().indexPage.entryCapacity - page.storedBytes;
            if (page.freeSpace != expected)
                fault(page.number, "freier Platz " + std::to_string(page.freeSpace) + " statt " +
                                       std::to_string(expected));
            if (page.leaf && page.childTail != 0)
                fault(page.number, "Blattseite mit einer letzten Unterseite");
            if (!page.leaf && page.entries.empty() && page.childTail == 0)
                fault(page.number, "Knotenseite ohne Unterseiten");
        }
    }

    void checkMap() {
        for (const IndexPage& page : tree.pages)
            if (!mapPages.count(page.number))
                fault(page.number, "Seite des Baums fehlt in der Seitentabelle des Index");
        for (uint32_t page : mapPages)
            if (!positions.count(page))
                fault(page, "Seite der Seitentabelle des Index gehört nicht zum Baum");
    }

    // Places in tree.pages of the pages `pick` selects, left to right as the walk met them.
    template <typename Pick>
    std::vector<size_t> select(Pick pick) const {
        std::vector<size_t> out;
        for (size_t i = 0; i < tree.pages.size(); ++i)
            if (pick(i)) out.push_back(i);
        return out;
    }

    // Leaves form one chain. Node pages must be linked to their siblings under the same parent;
    // across parents either linked or not, as Access and other writers differ there.
    void checkChain(const std::vector<size_t>& pages, bool leaves) {
        if (pages.empty()) return;
        const IndexPage& first = tree.pages[pages.front()];
        const IndexPage& last = tree.pages[pages.back()];
        if (first.prevPage != 0) fault(first.number, "erste Seite einer Ebene hat einen Vorgänger");
        if (last.nextPage != 0) fault(last.number, "letzte Seite einer Ebene hat einen Nachfolger");
        for (size_t i = 1; i < pages.size(); ++i) {
            const IndexPage& a = tree.pages[pages[i - 1]];
            const IndexPage& b = tree.pages[pages[i]];
            const bool linked = a.nextPage == b.number && b.prevPage == a.number;
            const bool sameParent = tree.parents[pages[i - 1]] == tree.parents[pages[i]];
            const bool unlinked = a.nextPage == 0 && b.prevPage == 0;
            if (!linked && (leaves || sameParent || !unlinked))
                fault(a.number, "Verkettung zur Nachbarseite " + std::to_string(b.number) +
                                    " stimmt nicht mit dem Baum überein");
        }
    }

    void checkLinks() {
        checkChain(select([&](size_t i) { return tree.pages[i].leaf; }), true);
        unsigned deepest = 0;
        for (unsigned d : tree.depths) deepest = std::max(deepest, d);
        for (unsigned depth = 0; depth <= deepest; ++depth) {
            auto nodes = [&](size_t i) { return !tree.pages[i].leaf && tree.depths[i] == depth; };
            checkChain(select(nodes), false);
        }
    }

    // The last leaf entry below `page`; none for an empty subtree. The walk has already ruled
    // out loops, so following the last child ends.
    std::optional<IndexEntry> lastEntryBelow(uint32_t page) const {
        for (;;) {
            auto at = positions.find(page);
            if (at == positions.end()) return std::nullopt;
            const IndexPage& p = tree.pages[at->second];
            if (p.leaf) {
                if (p.entries.empty()) return std::nullopt;
                return p.entries.back();
            }
            if (p.childTail != 0) {
                page = p.childTail;
            } else if (!p.entries.empty()) {
                page = p.entries.back().child;
            } else {
                return std::nullopt;
            }
        }
    }

    void checkNodeEntries() {
        for (const IndexPage& page : tree.pages) {
            if (page.leaf) continue;
            for (const IndexEntry& e : page.entries) {
                std::optional<IndexEntry> last = lastEntryBelow(e.child);
                if (!last || last->key != e.key || last->row != e.row)
                    fault(page.number, "Knoteneintrag für Unterseite " + std::to_string(e.child) +
                                           " nennt nicht deren letzten Eintrag");
            }
        }
    }

    void checkOrder() {
        const IndexEntry* previous = nullptr;
        for (const IndexPage& page : tree.pages) {
            if (!page.leaf) continue;
            for (const IndexEntry& e : page.entries) {
                if (previous && !entryLess(*previous, e))
                    fault(page.number, "Eintrag für " + rowName(e.row) +
                                           " steht nicht in der "
                                           "Sortierfolge");
                previous = &e;
            }
        }
    }

    void checkEntry(const IndexEntry& e, const std::map<RowLocation, const ExpectedEntry*>& wanted,
                    uint32_t page) {
        auto at = wanted.find(e.row);
        if (at == wanted.end()) {
            if (rows.unreadable.count(e.row)) return;  // reported with the row
            if (rows.live.count(e.row))
                return fault(page, "Eintrag für " + rowName(e.row) +
                                       ", deren indizierte Spalten alle NULL sind");
            return fault(page,
                         "Eintrag verweist auf keine vorhandene Zeile (" + rowName(e.row) + ")");
        }
        if (expectation.keysKnown && at->second->key != e.key)
            fault(page, "Schlüssel für " + rowName(e.row) + " ist " + hexBytes(e.key) +
                            ", aus der Zeile berechnet " + hexBytes(at->second->key));
    }

    void checkRows() {
        std::map<RowLocation, const ExpectedEntry*> wanted;
        for (const ExpectedEntry& e : expectation.entries) wanted[e.row] = &e;
        std::set<RowLocation> met;
        const IndexEntry* previous = nullptr;
        for (const IndexPage& page : tree.pages) {
            if (!page.leaf) continue;
            for (const IndexEntry& e : page.entries) {
                if (!met.insert(e.row).second)
                    fault(page.number, "zweiter Eintrag für " + rowName(e.row));
                else
                    checkEntry(e, wanted, page.number);
                if (previous) checkUnique(*previous, e, wanted, page.number);
                previous = &e;
            }
        }
        for (const ExpectedEntry& e : expectation.entries)
            if (!met.count(e.row)) fault(index.rootPage, rowName(e.row) + " fehlt im Index");
    }

    void checkUnique(const IndexEntry& a, const IndexEntry& b,
                     const std::map<RowLocation, const ExpectedEntry*>& wanted, uint32_t page) {
        if (!(index.flags & index_flag::kUnique) || a.key != b.key) return;
        auto first = wanted.find(a.row);
        auto second = wanted.find(b.row);
        if (first == wanted.end() || second == wanted.end()) return;
        if (first->second->hasNull || second->second->hasNull) return;
        fault(page, "eindeutiger Index hält denselben Schlüssel für " + rowName(a.row) + " und " +
                        rowName(b.row));
    }

    // The distinct-key count is a statistic, exact only as of the moment the first word of the
    // index's count block was written: that word is the number of entries then. Access raises
    // the count for new keys later but never lowers it, so it can be checked only while the
    // entry count is still the recorded one (and not 0, which Access writes for "no record").
    void checkDistinctKeys() {
        if (index.statisticEntries == 0 || index.statisticEntries != tree.entries.size()) return;
        uint32_t distinct = 0;
        const std::vector<uint8_t>* previous = nullptr;
        for (const IndexEntry& e : tree.entries) {
            if (!previous || *previous != e.key) ++distinct;
            previous = &e.key;
        }
        if (distinct != index.distinctKeys)
            fault(table.definition.firstPage,
                  "die Tabellendefinition nennt " + std::to_string(index.distinctKeys) +
                      " verschiedene Schlüssel, der Index hält " + std::to_string(distinct));
    }
};

}  // namespace

std::string indexName(const TableDefinition& table, size_t number) {
    std::string names;
    for (const auto& logical : table.logicalIndexes) {
        if (logical.realIndex != number) continue;
        if (!names.empty()) names += '/';
        names += toUtf8(logical.name);
    }
    if (names.empty()) return "Index Nr. " + std::to_string(number);
    return "Index '" + names + "'";
}

void checkIndex(PageFile& file, const TableUnderCheck& table, size_t number,
                const std::set<uint32_t>& mapPages, const TableRows& rows,
                std::vector<CheckFault>& faults) {
    IndexCheck check(file, table, number, mapPages, rows, faults);
    check.run();
}

}  // namespace jet
