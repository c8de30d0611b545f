#include "jet/catalog/catalog.h"

#include "jet/catalog/system_table_row.h"

namespace jet {

namespace {

// Column numbers of MSysObjects are looked up by name: they differ between files.
struct CatalogColumns {
    int id, parentId, name, type, flags, dateCreate, dateUpdate, owner, lvProp;

    explicit CatalogColumns(const TableDefinition& t)
        : id(columnNumberOf(t, u"Id")),
          parentId(columnNumberOf(t, u"ParentId")),
          name(columnNumberOf(t, u"Name")),
          type(columnNumberOf(t, u"Type")),
          flags(columnNumberOf(t, u"Flags")),
          dateCreate(columnNumberOf(t, u"DateCreate")),
          dateUpdate(columnNumberOf(t, u"DateUpdate")),
          owner(columnNumberOf(t, u"Owner")),
          lvProp(columnNumberOf(t, u"LvProp")) {
        if (id < 0 || parentId < 0 || name < 0 || type < 0 || flags < 0)
            throwCorrupt(catalog_layout::kCatalogPage, "Systemkatalog ohne seine Spalten");
    }
};

std::optional<double> dateOf(const std::vector<Value>& v, int column) {
    if (column < 0 || static_cast<size_t>(column) >= v.size()) return std::nullopt;
    if (auto p = std::get_if<DateTime>(&v[static_cast<size_t>(column)])) return p->days;
    return std::nullopt;
}

}  // namespace

std::vector<CatalogEntry> readCatalog(PageFile& file) {
    Table catalog(file, readTableDefinition(file, catalog_layout::kCatalogPage));
    CatalogColumns col(catalog.definition());
    std::vector<CatalogEntry> entries;
    catalog.forEachRow([&](RowLocation where, const std::vector<Value>& v) {
        CatalogEntry e;
        e.id = valueOr<int32_t>(v, col.id, 0);
        e.parentId = valueOr<int32_t>(v, col.parentId, 0);
        e.name = valueOr<std::u16string>(v, col.name, {});
        e.type = valueOr<int16_t>(v, col.type, 0);
        e.flags = static_cast<uint32_t>(valueOr<int32_t>(v, col.flags, 0));
        e.dateCreate = dateOf(v, col.dateCreate);
        e.dateUpdate = dateOf(v, col.dateUpdate);
        e.owner = valueOr<Bytes>(v, col.owner, {});
        e.properties = valueOr<Bytes>(v, col.lvProp, {});
        e.location = where;
        entries.push_back(std::move(e));
    });
    return entries;
}

}  // namespace jet
