// An open Jet 4 database: the file, its header and catalog, and its tables by name.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/catalog/catalog.h"
#include "jet/page/header.h"
#include "jet/page/page_file.h"
#include "jet/table/table.h"

namespace jet {

class Database {
  public:
    // Opens and checks the file. Throws Error (file errors, unsupported format, corruption).
    Database(const std::string& path, OpenMode mode);

    const std::string& path() const { return file_->path(); }
    PageFile& file() { return *file_; }
    const DatabaseHeader& header() const { return header_; }
    const std::vector<CatalogEntry>& catalog() const { return catalog_; }
    // Reads the catalog again, after a structure change wrote to it.
    void reloadCatalog();

    // User tables in catalog order.
    std::vector<const CatalogEntry*> userTables() const;
    // A table (user or system) by name, ignoring case; nullptr when there is none.
    const CatalogEntry* findTable(std::u16string_view name) const;
    // The table `name`, ignoring case. Throws ObjectNotFound when there is none.
    Table openTable(std::u16string_view name);
    Table openTable(const CatalogEntry& entry);

  private:
    std::unique_ptr<PageFile> file_;
    DatabaseHeader header_;
    std::vector<CatalogEntry> catalog_;
};

}  // namespace jet
