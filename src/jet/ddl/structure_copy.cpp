#include "jet/ddl/structure_copy.h"

#include <algorithm>

#include "jet/base/text.h"

namespace jet {

NewColumn newColumnOf(const ColumnDef& column, std::vector<Property> properties) {
    NewColumn n;
    n.name = column.name;
    n.type = column.type();
    // Access 97 counts a text column's length in characters of its code page.
    const bool charactersCounted = column.codePage != 0 && column.type() == ColumnType::Text;
    n.length = charactersCounted ? static_cast<uint16_t>(column.length * 2) : column.length;
    // Updatable follows on its own; fixed is kept for fixed-length text.
    n.flags = static_cast<uint8_t>(column.flags & ~column_flag::kUpdatable);
    n.extFlags = column.extFlags;
    n.precision = column.precision;
    n.scale = column.scale;
    n.properties = std::move(properties);
    return n;
}

std::vector<NewIndex> indexesOf(const TableDefinition& table) {
    std::vector<const LogicalIndexDef*> logical;
    for (const LogicalIndexDef& l : table.logicalIndexes)
        if (l.kind != uint8_t(LogicalIndexKind::ForeignKey) &&
            l.realIndex < table.realIndexes.size())
            logical.push_back(&l);
    std::sort(
        logical.begin(), logical.end(),
        [](const LogicalIndexDef* a, const LogicalIndexDef* b) { return a->number < b->number; });
    std::vector<NewIndex> out;
    for (const LogicalIndexDef* l : logical) {
        const RealIndexDef& r = table.realIndexes[l->realIndex];
        NewIndex i;
        i.name = l->name;
        i.primaryKey = l->kind == uint8_t(LogicalIndexKind::PrimaryKey);
        i.unique = r.flags & index_flag::kUnique;
        i.ignoreNulls = r.flags & index_flag::kIgnoreNulls;
        i.required = r.flags & index_flag::kRequired;
        for (const IndexColumn& c : r.columns)
            if (const ColumnDef* column = table.columnByNumber(c.columnNumber))
                i.columns.push_back(NewIndexColumn{column->name, c.ascending});
        if (!i.columns.empty()) out.push_back(std::move(i));
    }
    return out;
}

std::vector<Property> tablePropertiesForCopy(const PropertySet& properties) {
    std::vector<Property> out;
    const PropertyBlock* own = properties.object();
    if (!own) return out;
    for (const Property& p : own->properties)
        if (!equalIgnoringCase(p.name, u"GUID") && !equalIgnoringCase(p.name, u"NameMap"))
            out.push_back(p);
    return out;
}

NewTable structureOf(const TableDefinition& table, const PropertySet& properties,
                     std::u16string name) {
    NewTable n;
    n.name = std::move(name);
    for (const ColumnDef& c : table.columns) {
        const PropertyBlock* block = properties.column(c.name);
        n.columns.push_back(newColumnOf(c, block ? block->properties : std::vector<Property>{}));
    }
    n.indexes = indexesOf(table);
    n.properties = tablePropertiesForCopy(properties);
    return n;
}

}  // namespace jet
