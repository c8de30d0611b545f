// The DAO face of a database: DBEngine::OpenDatabase and Idle, the TableDefs and Relations
// collections, OpenRecordset, Execute ("DELETE FROM"), Close.
//
// Threads: a DBEngine, its databases and everything taken from them belong to one thread at a
// time; nothing here locks. The transfer uses them from the window's thread only.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "jet/catalog/database.h"
#include "jet/dao/dao_recordset.h"
#include "jet/dao/dao_relation.h"
#include "jet/dao/dao_table_def.h"
#include "jet/index/table_inserter.h"
#include "jet/page/page_allocator.h"

namespace jet::dao {

struct TableState;  // dao_table_state.h

inline constexpr int32_t dbRefreshCache = 8;

class Database;

// The tables of a database as they were when the collection was taken. Appending, deleting and
// renaming tables do not disturb a walk over it; Delete and Append also bring this collection
// up to date. Its TableDef references stay valid as long as the collection lives.
class TableDefs {
  public:
    TableDefs(std::shared_ptr<const std::vector<TableDef>> tables, Database* owner)
        : tables_(std::move(tables)), owner_(owner) {}
    int32_t Count() const { return static_cast<int32_t>(tables_->size()); }
    // Throws ItemNotFound past the end.
    const TableDef& Item(int32_t index) const;
    // By name, ignoring case. Throws ItemNotFound when there is no such table.
    const TableDef& Item(std::u16string_view name) const;
    const TableDef* find(std::u16string_view name) const;
    auto begin() const { return tables_->begin(); }
    auto end() const { return tables_->end(); }

    // TableDefs.Delete: the table `name` (ignoring case) with its catalog rows, and every page
    // of it freed for reuse. Throws ItemNotFound when there is no such table, TableInUse while
    // a recordset on it is open; a refused deletion leaves the file as it was.
    void Delete(std::u16string_view name);
    // TableDefs.Append: stores the unattached `definition` as a new, empty table; `definition`
    // is the stored table from then on. Throws TableExists, and InvalidArgument for a
    // definition without fields.
    void Append(TableDef& definition);

  private:
    std::shared_ptr<const std::vector<TableDef>> tables_;
    Database* owner_;
};

class DBEngine;

class Database {
  public:
    Database(const std::string& path, OpenMode mode);
    // Writes what is pending, as Close does; a failure there is lost, so callers Close first.
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Every table of the file, system tables included, in catalog order, as it is now.
    TableDefs GetTableDefs() { return TableDefs(tableDefs_, this); }
    Relations GetRelations() { return Relations(relations_, this); }
    // CreateTableDef(name): an unattached definition for TableDefs::Append.
    std::unique_ptr<TableDef> CreateTableDef(std::u16string_view name);
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
    // flush() when it is worth a write of its own: the last one is kRefreshInterval old or
    // kRefreshPages pages wait. Every write rewrites, and first journals, the pages each new
    // row touches (the last data page, the index leaves it went into, the usage maps, the
    // counts); done every hundred rows that was a third of the writing. The file stays
    // complete at every write; what a caller needs on disk now it gets from flush().
    void refreshCache();
    static constexpr std::chrono::milliseconds kRefreshInterval{50};
    static constexpr size_t kRefreshPages = 512;
    // Writes everything and releases the file. Further use throws ObjectClosed.
    void Close();

    // Structure changes behind the collections. Each writes its pages and leaves the
    // catalog, the table list and the relations as the file now has them. Each checks every
    // refusal before its first write (TableInUse for a table an open recordset uses, the
    // UnsupportedFormat of an index key that cannot be formed, DatabaseFull, names): a
    // refused change leaves the file as it was.
    void deleteTable(std::u16string_view name);
    void appendTable(TableDef& definition);
    void renameTable(int32_t catalogId, std::u16string_view newName);
    void deleteRelation(std::u16string_view name);
    // Throws, writing nothing, what deleting the table `name` and then giving `staging` that
    // name would throw: a swap checked this way does not drop the old table and then stop.
    void checkTableReplacement(std::u16string_view name, const TableDef& staging);
    // The inserter of any table, system tables included, shared with recordsets.
    TableInserter& inserterFor(const TableDef& table);
    TableInserter& inserterFor(std::u16string_view tableName);
    PageAllocator& allocator() { return allocator_; }

  private:
    struct Deletion;
    // The checks of deleteTable and renameTable; they write nothing. checkRename returns the
    // catalog row to change, none when the name stays; `replacedId` is a table about to be
    // deleted, whose name does not count as taken.
    Deletion checkDeletion(std::u16string_view name);
    std::optional<RowLocation> checkRename(int32_t catalogId, std::u16string_view newName,
                                           int32_t replacedId = 0);
    TableState& tableState(const TableDef& table);
    // Re-reads the catalog, the table definitions and the relations after a change.
    void reload();
    // Writes the counts of the system tables' inserters and drops them (structure changes).
    void settleSystemTables();
    // The table `name`, ignoring case. Throws ObjectNotFound.
    const TableDef& tableNamed(std::u16string_view name) const;
    void requireOpen() const;
    void forgetEngine();

    jet::Database storage_;
    std::shared_ptr<const std::vector<TableDef>> tableDefs_;
    std::vector<Relationship> relations_;
    PageAllocator allocator_;
    std::map<uint32_t, std::unique_ptr<TableState>> tables_;  // by first TDEF page
    bool closed_ = false;
    DBEngine* engine_ = nullptr;
    std::chrono::steady_clock::time_point lastFlush_ = std::chrono::steady_clock::now();
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

    // With dbRefreshCache every open database writes its changed pages when that is due
    // (Database::refreshCache), so the files on disk are complete and consistent and at most
    // a moment behind; without it only the cache is trimmed.
    void Idle(int32_t action = 0);

  private:
    friend class Database;
    std::vector<Database*> open_;
};

}  // namespace jet::dao
