// The DAO face of a database: DBEngine::OpenDatabase and Idle, the TableDefs and Relations
// collections, OpenRecordset, Execute ("DELETE FROM"), Close.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "jet/dao_recordset.h"
#include "jet/dao_relation.h"
#include "jet/dao_table_def.h"
#include "jet/database.h"
#include "jet/page_allocator.h"
#include "jet/table_inserter.h"

namespace jet::dao {

inline constexpr int32_t dbRefreshCache = 8;

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

class DBEngine;

class Database {
  public:
    Database(const std::string& path, OpenMode mode);
    // Writes what is pending, as Close does; a failure there is lost, so callers Close first.
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Every table of the file, system tables included, in catalog order.
    const TableDefs& GetTableDefs() const { return tableDefs_; }
    const Relations& GetRelations() const { return relations_; }
    const std::string& Name() const { return storage_.path(); }
    jet::Database& storage() { return storage_; }

    // A recordset taking new rows into the table `name` (ignoring case). Only dbOpenTable is
    // offered. Throws ObjectNotFound, NotSupported.
    std::unique_ptr<Recordset> OpenRecordset(std::u16string_view name, int32_t type = dbOpenTable);

    // Runs "DELETE FROM name" (also "DELETE * FROM", the name in brackets, a closing ";").
    // Any other statement throws NotSupported naming it.
    void Execute(std::u16string_view statement);

    // Writes every changed page (with the tables' counts) to the file.
    void flush();
    // Writes everything and releases the file. Further use throws ObjectClosed.
    void Close();

  private:
    struct TableState;
    TableState& tableState(const TableDef& table);
    // The table `name`, ignoring case. Throws ObjectNotFound.
    const TableDef& tableNamed(std::u16string_view name) const;
    void requireOpen() const;

    jet::Database storage_;
    TableDefs tableDefs_;
    Relations relations_;
    PageAllocator allocator_;
    std::map<uint32_t, std::unique_ptr<TableState>> tables_;  // by first TDEF page
    bool closed_ = false;
    DBEngine* engine_ = nullptr;
    friend class DBEngine;
};

// One per process, as in DAO. It knows the databases it opened for Idle.
class DBEngine {
  public:
    DBEngine() = default;
    DBEngine(const DBEngine&) = delete;
    DBEngine& operator=(const DBEngine&) = delete;
    ~DBEngine();

    // Opens the file for writing, refusing every other opener, unless it is asked for
    // read-only and not exclusive: then it shares the file with other readers. Throws Error
    // when the file cannot be opened.
    std::unique_ptr<Database> OpenDatabase(const std::string& path, bool exclusive,
                                           bool readOnly = false);

    // With dbRefreshCache every open database writes its changed pages, so the files on disk
    // are complete and consistent; without it only the cache is trimmed.
    void Idle(int32_t action = 0);

  private:
    friend class Database;
    std::vector<Database*> open_;
};

}  // namespace jet::dao
