// Deleting and renaming tables, deleting relationships.
//
// Catalog rows change through the system tables' own inserters, so that their indexes and
// counts follow. Deleted catalog rows and their long values (the property blobs) give their
// space back at once: otherwise a file whose tables are replaced on every run would grow
// with each one. The system tables' cached inserters are dropped afterwards, because their
// long-value writers may hold a page that went back to the allocator.
#include <algorithm>
#include <functional>

#include "jet/base/object_names.h"
#include "jet/base/text.h"
#include "jet/catalog/system_table_row.h"
#include "jet/dao/dao_database.h"
#include "jet/dao/dao_table_state.h"
#include "jet/ddl/relationship_drop.h"
#include "jet/ddl/table_drop.h"
#include "jet/table/row_release.h"

namespace jet::dao {

namespace {

constexpr std::u16string_view kCatalog = u"MSysObjects";
constexpr std::u16string_view kAccessEntries = u"MSysACEs";
constexpr std::u16string_view kRelationships = u"MSysRelationships";

const CatalogEntry* tableWithId(jet::Database& storage, int32_t id) {
    for (const CatalogEntry& e : storage.catalog())
        if (e.isTable() && e.id == id) return &e;
    return nullptr;
}

bool takesPartInRelationship(const std::vector<Relationship>& relations,
                             std::u16string_view table) {
    for (const Relationship& r : relations)
        if (equalIgnoringCase(r.table, table) || equalIgnoringCase(r.referencedTable, table))
            return true;
    return false;
}

// Deletes a system table's row with its index entries, and gives its bytes and its long
// values back.
void deleteSystemRow(Database& db, std::u16string_view table, RowLocation id) {
    TableInserter& inserter = db.inserterFor(table);
    PageFile& file = db.storage().file();
    const std::vector<RowLocation> places = placesOfRow(file, id);
    const std::vector<RowLocation> longValues = longValueRowsOfRow(file, inserter.table(), id);
    inserter.deleteRow(id);
    reclaimDeletedRows(file, places);
    releaseLongValueRows(file, db.allocator(), inserter.table(), longValues);
}

// Changes a system table's row through `change` (values by column number); the long values
// it had before are given back, as the update writes them anew.
void updateSystemRow(Database& db, std::u16string_view table, RowLocation id,
                     const std::function<void(std::vector<Value>&)>& change) {
    TableInserter& inserter = db.inserterFor(table);
    PageFile& file = db.storage().file();
    std::vector<Value> values = Table(file, inserter.table()).readRow(id);
    change(values);
    const std::vector<RowLocation> longValues = longValueRowsOfRow(file, inserter.table(), id);
    inserter.updateRow(id, values);
    releaseLongValueRows(file, db.allocator(), inserter.table(), longValues);
}

// The rows of the system table `table` for which `match` holds, by row id.
std::vector<RowLocation> systemRowsWhere(
    Database& db, std::u16string_view table,
    const std::function<bool(const TableDefinition&, const std::vector<Value>&)>& match) {
    std::vector<RowLocation> rows;
    if (!db.storage().findTable(table)) return rows;
    TableInserter& inserter = db.inserterFor(table);
    Table(db.storage().file(), inserter.table())
        .forEachRowById([&](RowLocation where, const std::vector<Value>& values) {
            if (match(inserter.table(), values)) rows.push_back(where);
        });
    return rows;
}

// The row id of the catalog row of object `id`. The catalog lists rows where they lie, and a
// row that grew when it was changed lies elsewhere than its id says.
RowLocation catalogRowOf(Database& db, int32_t id) {
    auto rows = systemRowsWhere(db, kCatalog, [&](const auto& t, const auto& values) {
        return valueOr<int32_t>(values, columnNumberOf(t, u"Id"), 0) == id;
    });
    if (rows.size() != 1)
        throwCorrupt(catalog_layout::kCatalogPage,
                     "Objekt " + std::to_string(id) + " nicht genau einmal im Katalog");
    return rows.front();
}

void deleteAccessEntries(Database& db, int32_t objectId) {
    auto rows = systemRowsWhere(db, kAccessEntries, [&](const auto& t, const auto& values) {
        return valueOr<int32_t>(values, columnNumberOf(t, u"ObjectId"), 0) == objectId;
    });
    for (RowLocation row : rows) deleteSystemRow(db, kAccessEntries, row);
}

// Points the relationships naming table `from` at `to`.
void renameInRelationships(Database& db, std::u16string_view from, std::u16string_view to) {
    for (std::u16string_view column : {u"szObject", u"szReferencedObject"}) {
        auto rows = systemRowsWhere(db, kRelationships, [&](const auto& t, const auto& values) {
            return equalIgnoringCase(valueOr<std::u16string>(values, columnNumberOf(t, column), {}),
                                     from);
        });
        for (RowLocation row : rows)
            updateSystemRow(db, kRelationships, row, [&](std::vector<Value>& values) {
                const int number = columnNumberOf(db.inserterFor(kRelationships).table(), column);
                values[static_cast<size_t>(number)] = std::u16string(to);
            });
    }
}

}  // namespace

void Database::settleSystemTables() {
    for (std::u16string_view name : {kCatalog, kAccessEntries, kRelationships}) {
        const CatalogEntry* entry = storage_.findTable(name);
        if (!entry) continue;
        auto state = tables_.find(static_cast<uint32_t>(entry->id));
        if (state == tables_.end()) continue;
        state->second->inserter.writeCounts();
        tables_.erase(state);
    }
}

void Database::deleteTable(std::u16string_view name) {
    requireOpen();
    const TableDef* table = TableDefs(tableDefs_, nullptr).find(name);
    if (!table) throwItemNotFound("'" + toUtf8(name) + "'");
    const CatalogEntry* entry = tableWithId(storage_, table->catalogId());
    if (!entry) throwObjectNotFound(toUtf8(name));
    if (entry->isSystem())
        throw Error(ErrorCode::NotSupported,
                    "Die Systemtabelle '" + toUtf8(entry->name) + "' kann nicht gelöscht werden.");
    if (takesPartInRelationship(relations_, entry->name))
        throw Error(ErrorCode::InRelationship,
                    "Die Tabelle '" + toUtf8(entry->name) +
                        "' kann nicht gelöscht werden, weil sie an einer oder mehreren "
                        "Beziehungen beteiligt ist.");
    const int32_t id = entry->id;
    const RowLocation catalogRow = catalogRowOf(*this, id);

    TableState& state = tableState(*table);
    state.inserter.deleteAll();
    const TableDefinition emptied = state.definition;
    tables_.erase(emptied.firstPage);

    deleteSystemRow(*this, kCatalog, catalogRow);
    deleteAccessEntries(*this, id);
    releaseTableStorage(storage_.file(), allocator_, emptied);
    settleSystemTables();
    reload();
}

void Database::renameTable(int32_t catalogId, std::u16string_view newName) {
    requireOpen();
    const CatalogEntry* entry = tableWithId(storage_, catalogId);
    if (!entry) throwObjectNotFound(std::to_string(catalogId));
    checkObjectName(newName);
    if (entry->name == newName) return;
    for (const CatalogEntry& e : storage_.catalog())
        if (e.parentId == catalog_layout::kTablesContainer && e.id != catalogId &&
            equalIgnoringCase(e.name, newName))
            throw Error(ErrorCode::TableExists,
                        "Die Tabelle '" + toUtf8(newName) + "' ist bereits vorhanden.");
    const std::u16string oldName = entry->name;
    updateSystemRow(*this, kCatalog, catalogRowOf(*this, catalogId),
                    [&](std::vector<Value>& values) {
                        const int number = columnNumberOf(inserterFor(kCatalog).table(), u"Name");
                        values[static_cast<size_t>(number)] = std::u16string(newName);
                    });
    renameInRelationships(*this, oldName, newName);
    settleSystemTables();
    reload();
}

void Database::deleteRelation(std::u16string_view name) {
    requireOpen();
    auto found = std::find_if(relations_.begin(), relations_.end(), [&](const Relationship& r) {
        return equalIgnoringCase(r.name, name);
    });
    if (found == relations_.end()) throwItemNotFound("'" + toUtf8(name) + "'");
    const Relationship relationship = *found;

    const TableDefs tables(tableDefs_, nullptr);
    const TableDef* foreignKey = tables.find(relationship.table);
    const TableDef* referenced = tables.find(relationship.referencedTable);
    if (foreignKey && referenced) {
        // The definitions are edited on disk: their counts go there first, and the tables'
        // inserters, which know the old index numbers, are dropped after.
        for (auto& [page, state] : tables_) state->inserter.writeCounts();
        std::vector<const TableDefinition*> all;
        for (const TableDef& t : tables) all.push_back(&t.definition());
        for (uint32_t page :
             removeForeignKeyIndexes(storage_.file(), allocator_, all, relationship,
                                     foreignKey->definition(), referenced->definition()))
            tables_.erase(page);
    }
    auto rows = systemRowsWhere(*this, kRelationships, [&](const auto& t, const auto& values) {
        return valueOr<std::u16string>(values, columnNumberOf(t, u"szRelationship"), {}) ==
               relationship.name;
    });
    for (RowLocation row : rows) deleteSystemRow(*this, kRelationships, row);
    for (const CatalogEntry& e : storage_.catalog()) {
        if (e.type != catalog_layout::kTypeRelationship ||
            e.parentId != catalog_layout::kRelationshipsContainer ||
            !equalIgnoringCase(e.name, relationship.name))
            continue;
        const int32_t id = e.id;
        deleteSystemRow(*this, kCatalog, catalogRowOf(*this, id));
        deleteAccessEntries(*this, id);
        break;
    }
    settleSystemTables();
    reload();
}

void TableDef::SetName(std::u16string_view name) {
    if (!stored_) {
        name_ = name;
        return;
    }
    if (!owner_) throw Error(ErrorCode::NotSupported, "Die Tabelle ist schreibgeschützt.");
    owner_->renameTable(catalogId_, name);
    name_ = name;
}

}  // namespace jet::dao
