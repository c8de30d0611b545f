#include "jet/dao_database.h"

#include "jet/text.h"

namespace jet::dao {

namespace {

std::vector<TableDef> readTableDefs(jet::Database& db) {
    std::vector<TableDef> tables;
    for (const auto& entry : db.catalog()) {
        if (!entry.isTable()) continue;
        ByteView blob({entry.properties.data(), entry.properties.size()}, entry.location.page);
        tables.emplace_back(entry, readTableDefinition(db.file(), static_cast<uint32_t>(entry.id)),
                            parsePropertyBlob(blob));
    }
    return tables;
}

}  // namespace

const TableDef& TableDefs::Item(int32_t index) const {
    if (index < 0 || index >= Count())
        throw Error(ErrorCode::ItemNotFound,
                    "Element " + std::to_string(index) + " in dieser Auflistung nicht gefunden.");
    return tables_[static_cast<size_t>(index)];
}

const TableDef* TableDefs::find(std::u16string_view name) const {
    for (const auto& t : tables_)
        if (equalIgnoringCase(t.Name(), name)) return &t;
    return nullptr;
}

const TableDef& TableDefs::Item(std::u16string_view name) const {
    const TableDef* t = find(name);
    if (!t)
        throw Error(ErrorCode::ItemNotFound,
                    "Element '" + toUtf8(name) + "' in dieser Auflistung nicht gefunden.");
    return *t;
}

Database::Database(const std::string& path, OpenMode mode)
    : storage_(path, mode),
      tableDefs_(readTableDefs(storage_)),
      relations_(readRelationships(storage_)) {}

std::unique_ptr<Database> DBEngine::OpenDatabase(const std::string& path, bool exclusive,
                                                 bool readOnly) {
    // Shared writing is not offered: a writer always holds the file alone.
    OpenMode mode = readOnly && !exclusive ? OpenMode::ReadOnly : OpenMode::Exclusive;
    return std::make_unique<Database>(path, mode);
}

}  // namespace jet::dao
