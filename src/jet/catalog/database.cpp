#include "jet/catalog/database.h"

#include "jet/base/code_page_text.h"
#include "jet/base/text.h"
#include "jet/catalog/calculated_columns.h"

namespace jet {

Database::Database(const std::string& path, OpenMode mode)
    : file_(std::make_unique<PageFile>(path, mode)) {
    if (file_->pageCount() < 3)
        throw Error(ErrorCode::UnsupportedFormat,
                    "Nicht erkennbares Datenbankformat '" + path + "': die Datei ist zu kurz.");
    header_ = readHeader(file_->page(0), path);
    // Text and its index keys need the code page; an unknown one is refused before anything
    // is written (codePageText throws).
    if (file_->format().text == TextCodec::CodePage && mode == OpenMode::Exclusive)
        codePageText(file_->format().codePage);
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
    return Table(*file_, readTableDefinitionOf(*file_, entry));
}

}  // namespace jet
