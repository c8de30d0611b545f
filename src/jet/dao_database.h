// The DAO face of a database: DBEngine::OpenDatabase, the TableDefs and Relations collections.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "jet/dao_relation.h"
#include "jet/dao_table_def.h"
#include "jet/database.h"

namespace jet::dao {

class TableDefs {
public:
    explicit TableDefs(std::vector<TableDef> tables) : tables_(std::move(tables)) {}

    int32_t Count() const { return static_cast<int32_t>(tables_.size()); }
    // Throws ItemNotFound past the end.
    const TableDef& Item(int32_t index) const;
    // By name, ignoring case. Throws ItemNotFound when there is no such table.
    const TableDef& Item(std::u16string_view name) const;
    const TableDef* find(std::u16string_view name) const;

    auto begin() const { return tables_.begin(); }
    auto end() const { return tables_.end(); }

private:
    std::vector<TableDef> tables_;
};

class Database {
public:
    Database(const std::string& path, OpenMode mode);

    // Every table of the file, system tables included, in catalog order.
    const TableDefs& GetTableDefs() const { return tableDefs_; }
    const Relations& GetRelations() const { return relations_; }
    const std::string& Name() const { return storage_.path(); }
    jet::Database& storage() { return storage_; }

private:
    jet::Database storage_;
    TableDefs tableDefs_;
    Relations relations_;
};

// One per process, as in DAO; it holds no state of its own.
class DBEngine {
public:
    // Opens the file for writing, refusing every other opener, unless it is asked for
    // read-only and not exclusive: then it shares the file with other readers. Throws Error
    // when the file cannot be opened.
    std::unique_ptr<Database> OpenDatabase(const std::string& path, bool exclusive,
                                           bool readOnly = false);
};

}  // namespace jet::dao
