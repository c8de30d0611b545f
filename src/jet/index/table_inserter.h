// Inserting a row into a table with all its indexes, and emptying a table: the storage
// operations behind a recordset's Update and "DELETE FROM".
//
// A row is checked against every unique index before anything is written, so a refused row
// leaves no trace. Then the row is stored, every real index gets its entry, and the table
// definition's counts (rows, distinct keys) follow.
#pragma once

#include <memory>
#include <vector>

#include "jet/base/value.h"
#include "jet/index/index_writer.h"
#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"
#include "jet/table/table_definition.h"
#include "jet/table/table_writer.h"

namespace jet {

class TableInserter {
  public:
    // `table` must outlive the inserter; it is changed through it (counts, AutoNumber).
    TableInserter(PageFile& file, PageAllocator& allocator, TableDefinition& table);
    ~TableInserter();

    // Stores the row. `valuesByNumber[n]` holds column number n's value in the column's own
    // type. Throws DuplicateKey (nothing stored) when a unique index has the key already,
    // IndexNull when a required index would get a NULL.
    RowLocation insert(std::span<const Value> valuesByNumber);

    // Deletes the row whose id is `where` and its entries in every index; the counts follow.
    // Throws Error when there is no live row at `where`, and (nothing changed) when one of its
    // keys cannot be formed.
    void deleteRow(RowLocation where);

    // Gives the row whose id is `where` new values; its id stays, so only the entries whose
    // key changes move. Checked like insert() before anything changes (a unique key held by
    // another row, a NULL in a required index); throws then and changes nothing.
    void updateRow(RowLocation where, std::span<const Value> valuesByNumber);

    // Deletes every row and empties every index; the AutoNumber counter stays.
    void deleteAll();

    // Forms the row's key for every index and changes nothing: throws what insert(),
    // deleteRow() and updateRow() would throw for a key that cannot be formed (a text column
    // whose sort order has no key data). A structure change calls it for each row it will add,
    // delete or change before its first write, so that a refusal leaves the file as it was.
    void requireKeys(std::span<const Value> valuesByNumber) const;

    // Writes the counts kept in memory into the table definition's page.
    void writeCounts();

    TableDefinition& table() { return table_; }

  private:
    bool indexesRow(const RealIndexDef& index, std::span<const Value> values) const;
    void keysOfChange(std::span<const Value> before, std::span<const Value> after);
    void removeEntry(size_t index, RowLocation where);
    void addEntry(size_t index, RowLocation where);

    PageFile& file_;
    TableDefinition& table_;
    TableWriter rows_;
    std::vector<std::unique_ptr<IndexWriter>> indexes_;  // by real index number
    std::vector<std::vector<uint8_t>> keys_;             // reused for each row
    std::vector<std::vector<uint8_t>> oldKeys_;          // a changed row's present keys
    std::vector<uint8_t> hadEntry_, getsEntry_;          // by index, for a changed row
};

}  // namespace jet
