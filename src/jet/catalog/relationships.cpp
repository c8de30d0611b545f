#include "jet/catalog/relationships.h"

#include <algorithm>

#include "jet/catalog/system_table_row.h"

namespace jet {

namespace {

struct RelationshipColumns {
    int name, table, column, referencedTable, referencedColumn, ordinal, flags;

    explicit RelationshipColumns(const TableDefinition& t)
        : name(columnNumberOf(t, u"szRelationship")),
          table(columnNumberOf(t, u"szObject")),
          column(columnNumberOf(t, u"szColumn")),
          referencedTable(columnNumberOf(t, u"szReferencedObject")),
          referencedColumn(columnNumberOf(t, u"szReferencedColumn")),
          ordinal(columnNumberOf(t, u"icolumn")),
          flags(columnNumberOf(t, u"grbit")) {
        if (name < 0 || table < 0 || column < 0 || referencedTable < 0 || referencedColumn < 0)
            throwCorrupt(t.firstPage, "MSysRelationships ohne ihre Spalten");
    }
};

std::u16string textAt(const std::vector<Value>& v, int column) {
    return valueOr<std::u16string>(v, column, {});
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
            r.flags = static_cast<uint32_t>(valueOr<int32_t>(v, col.flags, 0));
            out.push_back(std::move(r));
            pairs.emplace_back();
            found = out.end() - 1;
        }
        auto index = static_cast<size_t>(found - out.begin());
        found->rows.push_back(where);
        pairs[index].emplace_back(
            valueOr<int32_t>(v, col.ordinal, 0),
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
