// The data source's tables, as RDO's rdoTables: the tables and views of the connection's
// current database, read with SQLTables, without the server's own schemas and databases.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace odbc {

struct ConnectionState;

class Table {
  public:
    Table(std::string name, std::string schema)
        : name_(std::move(name)), schema_(std::move(schema)) {}
    // UTF-8, spelt as the server spells it.
    const std::string& name() const { return name_; }
    // The schema (owner) it belongs to; empty where the source has none (SQLite).
    const std::string& schema() const { return schema_; }

  private:
    std::string name_;
    std::string schema_;
};

class TableList {
  public:
    // Made by Connection::tables(), which reads the list on first use.
    explicit TableList(std::shared_ptr<ConnectionState> connection);

    // Reads the list again from the server. Throws Error.
    void refresh();

    size_t count() const { return tables_.size(); }
    // 0-based, in the order the driver lists them. Throws Error 07009 when out of range.
    const Table& item(size_t index) const;

  private:
    std::shared_ptr<ConnectionState> connection_;
    std::vector<Table> tables_;
};

}  // namespace odbc
