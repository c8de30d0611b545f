// Reading a table's rows: its data pages in the order of its usage map, each live row decoded.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "jet/base/value.h"
#include "jet/page/page_file.h"
#include "jet/table/row_format.h"
#include "jet/table/table_definition.h"

namespace jet {

// The address of a row: the page and its slot. Indexes point at rows by this address.
struct RowLocation {
    uint32_t page = 0;
    uint8_t row = 0;
    bool operator==(const RowLocation&) const = default;
    auto operator<=>(const RowLocation&) const = default;
};

class Table {
  public:
    Table(PageFile& file, TableDefinition definition);

    const TableDefinition& definition() const { return definition_; }

    // The table's data pages: those in its owned-pages map that are data pages of this table.
    std::vector<uint32_t> dataPages() const;

    // Calls `visit` for each live row in the order the rows lie in the file: page by page,
    // slot by slot. A row that was moved when it grew is met at its new place; `where` is
    // that place. `values` is indexed by column number and valid until `visit` returns.
    using RowVisitor = std::function<void(RowLocation where, const std::vector<Value>& values)>;
    void forEachRow(const RowVisitor& visit) const;

    // Calls `visit` for each live row by its row id, the address indexes point at: a moved
    // row is met at its original slot, with the values read from its new place.
    void forEachRowById(const RowVisitor& visit) const;

    // The live row at `where`, following a moved row's pointer. Throws when there is none.
    std::vector<Value> readRow(RowLocation where) const;

    // The stored bytes of the row at `where` after following a moved row's pointer.
    ByteView rowBytes(RowLocation where) const;

  private:
    void decode(ByteView row, std::vector<Value>& values) const;

    PageFile& file_;
    TableDefinition definition_;
    RowFormat format_;
};

}  // namespace jet
