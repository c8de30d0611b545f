#include "jet/relationships.h"

#include <algorithm>
#include <map>

#include "jet/text.h"

namespace jet {

namespace {

struct RelationshipColumns {
    int name = -1, table = -1, column = -1, referencedTable = -1, referencedColumn = -1;
    int count = -1, ordinal = -1, flags = -1;

    explicit RelationshipColumns(const TableDefinition& t) {
        for (const auto& c : t.columns) {
            const std::string n = toUtf8(c.name);
            if (n == "szRelationship")
                name = c.number;
            else if (n == "szObject")
                table = c.number;
            else if (n == "szColumn")
                column = c.number;
            else if (n == "szReferencedObject")
                referencedTable = c.number;
            else if (n == "szReferencedColumn")
                referencedColumn = c.number;
            else if (n == "ccolumn")
                count = c.number;
            else if (n == "icolumn")
                ordinal = c.number;
            else if (n == "grbit")
                flags = c.number;
        }
        if (name < 0 || table < 0 || column < 0 || referencedTable < 0 || referencedColumn < 0)
            throwCorrupt(t.firstPage, "MSysRelationships ohne ihre Spalten");
    }
};

std::u16string textAt(const std::vector<Value>& v, int column) {
    if (column < 0 || static_cast<size_t>(column) >= v.size()) return {};
    if (auto p = std::get_if<std::u16string>(&v[column])) return *p;
    return {};
}

int32_t longAt(const std::vector<Value>& v, int column) {
    if (column < 0 || static_cast<size_t>(column) >= v.size()) return 0;
    if (auto p = std::get_if<int32_t>(&v[column])) return *p;
    return 0;
}

}  // namespace

std::vector<Relationship> readRelationships(Database& db) {
    const CatalogEntry* entry = db.findTable(u"MSysRelationships");
    if (!entry) return {};
    Table table = db.openTable(*entry);
    RelationshipColumns col(table.definition());
    std::vector<Relationship> out;
    std::vector<std::vector<std::pair<int32_t, RelationshipColumn>>> pairs;
    table.forEachRow([&](RowLocation where, const std::vector<Value>& v) {
        std::u16string name = textAt(v, col.name);
        auto found = std::find_if(out.begin(), out.end(),
                                  [&](const Relationship& r) { return r.name == name; });
        if (found == out.end()) {
            Relationship r;
            r.name = name;
            r.table = textAt(v, col.table);
            r.referencedTable = textAt(v, col.referencedTable);
            r.flags = static_cast<uint32_t>(longAt(v, col.flags));
            out.push_back(std::move(r));
            pairs.emplace_back();
            found = out.end() - 1;
        }
        auto index = static_cast<size_t>(found - out.begin());
        found->rows.push_back(where);
        pairs[index].emplace_back(
            longAt(v, col.ordinal),
            RelationshipColumn{textAt(v, col.column), textAt(v, col.referencedColumn)});
    });
    for (size_t i = 0; i < out.size(); ++i) {
        std::stable_sort(pairs[i].begin(), pairs[i].end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& p : pairs[i]) out[i].columns.push_back(std::move(p.second));
    }
    return out;
}

}  // namespace jet
