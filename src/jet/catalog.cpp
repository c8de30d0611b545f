#include "jet/catalog.h"

#include "jet/text.h"

namespace jet {

namespace {

// Column numbers of MSysObjects are looked up by name: they differ between files.
struct CatalogColumns {
    int id = -1, parentId = -1, name = -1, type = -1, flags = -1;
    int dateCreate = -1, dateUpdate = -1, owner = -1, lvProp = -1;

    explicit CatalogColumns(const TableDefinition& t) {
        for (const auto& c : t.columns) {
            const std::string n = toUtf8(c.name);
            int number = c.number;
            if (n == "Id")
                id = number;
            else if (n == "ParentId")
                parentId = number;
            else if (n == "Name")
                name = number;
            else if (n == "Type")
                type = number;
            else if (n == "Flags")
                flags = number;
            else if (n == "DateCreate")
                dateCreate = number;
            else if (n == "DateUpdate")
                dateUpdate = number;
            else if (n == "Owner")
                owner = number;
            else if (n == "LvProp")
                lvProp = number;
        }
        if (id < 0 || parentId < 0 || name < 0 || type < 0 || flags < 0)
            throwCorrupt(catalog_layout::kCatalogPage, "Systemkatalog ohne seine Spalten");
    }
};

template <typename T>
T numberOr(const std::vector<Value>& v, int column, T fallback) {
    if (column < 0 || static_cast<size_t>(column) >= v.size()) return fallback;
    if (auto p = std::get_if<T>(&v[column])) return *p;
    return fallback;
}

std::optional<double> dateOf(const std::vector<Value>& v, int column) {
    if (column < 0 || static_cast<size_t>(column) >= v.size()) return std::nullopt;
    if (auto p = std::get_if<DateTime>(&v[column])) return p->days;
    return std::nullopt;
}

Bytes bytesOf(const std::vector<Value>& v, int column) {
    if (column < 0 || static_cast<size_t>(column) >= v.size()) return {};
    if (auto p = std::get_if<Bytes>(&v[column])) return *p;
    return {};
}

}  // namespace

std::vector<CatalogEntry> readCatalog(PageFile& file) {
    Table catalog(file, readTableDefinition(file, catalog_layout::kCatalogPage));
    CatalogColumns col(catalog.definition());
    std::vector<CatalogEntry> entries;
    catalog.forEachRow([&](RowLocation where, const std::vector<Value>& v) {
        CatalogEntry e;
        e.id = numberOr<int32_t>(v, col.id, 0);
        e.parentId = numberOr<int32_t>(v, col.parentId, 0);
        if (auto p = std::get_if<std::u16string>(&v[col.name])) e.name = *p;
        e.type = numberOr<int16_t>(v, col.type, 0);
        e.flags = static_cast<uint32_t>(numberOr<int32_t>(v, col.flags, 0));
        e.dateCreate = dateOf(v, col.dateCreate);
        e.dateUpdate = dateOf(v, col.dateUpdate);
        e.owner = bytesOf(v, col.owner);
        e.properties = bytesOf(v, col.lvProp);
        e.location = where;
        entries.push_back(std::move(e));
    });
    return entries;
}

}  // namespace jet
