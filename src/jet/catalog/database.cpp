#include "jet/catalog/database.h"

#include "jet/base/text.h"

namespace jet {

Database::Database(const std::string& path, OpenMode mode)
    : file_(std::make_unique<PageFile>(path, mode)) {
    if (file_->pageCount() < 3)
        throw Error(ErrorCode::UnsupportedFormat,
                    "Nicht erkennbares Datenbankformat '" + path + "': die Datei ist zu kurz.");
    header_ = readHeader(file_->page(0), path);
    // Refused before anything is written: Access 97 files are read, not yet changed.
    if (file_->format().version == FormatVersion::Jet3 && mode == OpenMode::Exclusive)
        throw Error(ErrorCode::UnsupportedFormat,
                    "Die Access-97-Datenbank (Jet 3) '" + path +
                        "' kann nur gelesen, noch nicht geändert werden.");
    catalog_ = readCatalog(*file_);
}

std::vector<const CatalogEntry*> Database::userTables() const {
    std::vector<const CatalogEntry*> tables;
    for (const auto& e : catalog_)
        if (e.isUserTable()) tables.push_back(&e);
    return tables;
}

const CatalogEntry* Database::findTable(std::u16string_view name) const {
    for (const auto& e : catalog_)
        if (e.isTable() && equalIgnoringCase(e.name, name)) return &e;
    return nullptr;
}

void Database::reloadCatalog() {
    catalog_ = readCatalog(*file_);
}

Table Database::openTable(std::u16string_view name) {
    const CatalogEntry* entry = findTable(name);
    if (!entry) throwObjectNotFound(toUtf8(name));
    return openTable(*entry);
}

Table Database::openTable(const CatalogEntry& entry) {
    return Table(*file_, readTableDefinition(*file_, static_cast<uint32_t>(entry.id)));
}

}  // namespace jet
