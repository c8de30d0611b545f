// Deleting and renaming tables, deleting relationships.
//
// Catalog rows change through the system tables' own inserters, so that their indexes and
// counts follow. Deleted catalog rows and their long values (the property blobs) give their
// space back at once: otherwise a file whose tables are replaced on every run would grow
// with each one. The system tables' cached inserters are dropped afterwards, because their
// long-value writers may hold a page that went back to the allocator.
//
// Each change first checks everything that could refuse it (names, open recordsets, the index
// keys of every system-table row it adds, deletes or changes, room in the file) and only then
// writes: a refused change leaves every page as it was, in the cache as on disk.
#include <algorithm>
#include <functional>
#include <optional>

#include "jet/base/object_names.h"
#include "jet/base/text.h"
#include "jet/catalog/system_table_row.h"
#include "jet/dao/dao_database.h"
#include "jet/dao/dao_table_state.h"
#include "jet/ddl/relationship_drop.h"
#include "jet/ddl/table_drop.h"
#include "jet/table/row_release.h"
#include "jet/table/table_writer.h"

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

std::vector<RowLocation> accessEntryRows(Database& db, int32_t objectId) {
    return systemRowsWhere(db, kAccessEntries, [&](const auto& t, const auto& values) {
        return valueOr<int32_t>(values, columnNumberOf(t, u"ObjectId"), 0) == objectId;
    });
}

void deleteAccessEntries(Database& db, int32_t objectId) {
    for (RowLocation row : accessEntryRows(db, objectId)) deleteSystemRow(db, kAccessEntries, row);
}

// A change of a system-table row that sets the text column `column` to `text`.
std::function<void(std::vector<Value>&)> setText(Database& db, std::u16string_view table,
                                                 std::u16string_view column,
                                                 std::u16string_view text) {
    const int number = columnNumberOf(db.inserterFor(table).table(), column);
    return [number, value = std::u16string(text)](std::vector<Value>& values) {
        values[static_cast<size_t>(number)] = value;
    };
}

// Refuses (writing nothing) when deleting the system-table row `id` would: its index keys
// cannot be formed.
void requireDeletable(Database& db, std::u16string_view table, RowLocation id) {
    TableInserter& inserter = db.inserterFor(table);
    inserter.requireKeys(Table(db.storage().file(), inserter.table()).readRow(id));
}

// Refuses (writing nothing) when updateSystemRow(db, table, id, change) would: the keys the
// row has or gets cannot be formed. Returns the pages the update may take at most.
size_t requireChangeable(Database& db, std::u16string_view table, RowLocation id,
                         const std::function<void(std::vector<Value>&)>& change) {
    TableInserter& inserter = db.inserterFor(table);
    std::vector<Value> values = Table(db.storage().file(), inserter.table()).readRow(id);
    inserter.requireKeys(values);
    change(values);
    inserter.requireKeys(values);
    return pagesForRow(db.storage().file().format(), values);
}

// The relationship rows whose `column` names the table `name`.
std::vector<RowLocation> relationshipRowsNaming(Database& db, std::u16string_view column,
                                                std::u16string_view name) {
    return systemRowsWhere(db, kRelationships, [&](const auto& t, const auto& values) {
        return equalIgnoringCase(valueOr<std::u16string>(values, columnNumberOf(t, column), {}),
                                 name);
    });
}

constexpr std::u16string_view kRelationshipTableColumns[] = {u"szObject", u"szReferencedObject"};

// Refuses (writing nothing) when renameInRelationships(db, from, to) would. Returns the pages
// it may take at most.
size_t requireRenamableInRelationships(Database& db, std::u16string_view from,
                                       std::u16string_view to) {
    size_t pages = 0;
    for (std::u16string_view column : kRelationshipTableColumns)
        for (RowLocation row : relationshipRowsNaming(db, column, from))
            pages +=
                requireChangeable(db, kRelationships, row, setText(db, kRelationships, column, to));
    return pages;
}

// Points the relationships naming table `from` at `to`.
void renameInRelationships(Database& db, std::u16string_view from, std::u16string_view to) {
    for (std::u16string_view column : kRelationshipTableColumns)
        for (RowLocation row : relationshipRowsNaming(db, column, from))
            updateSystemRow(db, kRelationships, row, setText(db, kRelationships, column, to));
}

[[noreturn]] void throwInUse(std::u16string_view table) {
    throw Error(ErrorCode::TableInUse,
                "Die Tabelle '" + toUtf8(table) +
                    "' kann nicht gesperrt werden, da sie bereits von einem geöffneten "
                    "Recordset verwendet wird.");
}

// The catalog entry of the relationship `name`, if it has one.
const CatalogEntry* relationshipObject(jet::Database& storage, std::u16string_view name) {
    for (const CatalogEntry& e : storage.catalog())
        if (e.type == catalog_layout::kTypeRelationship &&
            e.parentId == catalog_layout::kRelationshipsContainer &&
            equalIgnoringCase(e.name, name))
            return &e;
    return nullptr;
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

// What deleteTable acts on once checkDeletion let it.
struct Database::Deletion {
    const TableDef* table = nullptr;
    int32_t id = 0;
    RowLocation catalogRow;
};

Database::Deletion Database::checkDeletion(std::u16string_view name) {
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
    auto state = tables_.find(table->definition().firstPage);
    if (state != tables_.end() && state->second->usedByRecordset()) throwInUse(entry->name);
    const Deletion deletion{table, entry->id, catalogRowOf(*this, entry->id)};
    // The catalog row goes after the rows, so its keys are checked before the rows go.
    requireDeletable(*this, kCatalog, deletion.catalogRow);
    for (RowLocation row : accessEntryRows(*this, deletion.id))
        requireDeletable(*this, kAccessEntries, row);
    return deletion;
}

void Database::deleteTable(std::u16string_view name) {
    const Deletion deletion = checkDeletion(name);
    TableState& state = tableState(*deletion.table);
    state.inserter.deleteAll();
    const TableDefinition emptied = state.definition;
    tables_.erase(emptied.firstPage);

    deleteSystemRow(*this, kCatalog, deletion.catalogRow);
    deleteAccessEntries(*this, deletion.id);
    releaseTableStorage(storage_.file(), allocator_, emptied);
    settleSystemTables();
    reload();
}

std::optional<RowLocation> Database::checkRename(int32_t catalogId, std::u16string_view newName,
                                                 int32_t replacedId) {
    requireOpen();
    const CatalogEntry* entry = tableWithId(storage_, catalogId);
    if (!entry) throwObjectNotFound(std::to_string(catalogId));
    checkObjectName(newName);
    if (entry->name == newName) return std::nullopt;
    for (const CatalogEntry& e : storage_.catalog())
        if (e.parentId == catalog_layout::kTablesContainer && e.id != catalogId &&
            e.id != replacedId && equalIgnoringCase(e.name, newName))
            throw Error(ErrorCode::TableExists,
                        "Die Tabelle '" + toUtf8(newName) + "' ist bereits vorhanden.");
    const RowLocation row = catalogRowOf(*this, catalogId);
    size_t pages =
        requireChangeable(*this, kCatalog, row, setText(*this, kCatalog, u"Name", newName));
    pages += requireRenamableInRelationships(*this, entry->name, newName);
    requireRoomInFile(storage_.file(), pages);
    return row;
}

void Database::renameTable(int32_t catalogId, std::u16string_view newName) {
    const std::optional<RowLocation> row = checkRename(catalogId, newName);
    if (!row) return;
    const std::u16string oldName = tableWithId(storage_, catalogId)->name;
    updateSystemRow(*this, kCatalog, *row, setText(*this, kCatalog, u"Name", newName));
    renameInRelationships(*this, oldName, newName);
    settleSystemTables();
    reload();
}

void Database::checkTableReplacement(std::u16string_view name, const TableDef& staging) {
    const Deletion deletion = checkDeletion(name);
    checkRename(staging.catalogId(), name, deletion.id);
}

void Database::deleteRelation(std::u16string_view name) {
    requireOpen();
    auto found = std::find_if(relations_.begin(), relations_.end(), [&](const Relationship& r) {
        return equalIgnoringCase(r.name, name);
    });
    if (found == relations_.end()) throwItemNotFound("'" + toUtf8(name) + "'");
    const Relationship relationship = *found;
    auto rows = systemRowsWhere(*this, kRelationships, [&](const auto& t, const auto& values) {
        return valueOr<std::u16string>(values, columnNumberOf(t, u"szRelationship"), {}) ==
               relationship.name;
    });
    const CatalogEntry* object = relationshipObject(storage_, relationship.name);
    std::optional<RowLocation> objectRow;
    if (object) objectRow = catalogRowOf(*this, object->id);
    const int32_t objectId = object ? object->id : 0;
    // Every row that goes is checked before the indexes change.
    for (RowLocation row : rows) requireDeletable(*this, kRelationships, row);
    if (objectRow) {
        requireDeletable(*this, kCatalog, *objectRow);
        for (RowLocation row : accessEntryRows(*this, objectId))
            requireDeletable(*this, kAccessEntries, row);
    }

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
    for (RowLocation row : rows) deleteSystemRow(*this, kRelationships, row);
    if (objectRow) {
        // Looked up again, as the catalog row is wherever it lies now.
        deleteSystemRow(*this, kCatalog, catalogRowOf(*this, objectId));
        deleteAccessEntries(*this, objectId);
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
