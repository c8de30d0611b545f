// The layout of one stored row (Jet 4):
//   u16 column count | fixed area | variable data | u16 end of data | variable offsets, last
//   first | u16 variable count | null mask (1 bit per column number, 1 = not null)
// Tables without variable columns have neither the offsets nor the two counts around them.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/base/bytes.h"
#include "jet/base/value.h"
#include "jet/format/row_layout.h"
#include "jet/page/page_file.h"
#include "jet/table/table_definition.h"

namespace jet {

// Where one column's bytes lie in a row; `present` is false for NULL.
struct FieldSpan {
    bool present = false;
    ByteView bytes;
};

// Splits rows of one table into their fields, by column number.
class RowFormat {
  public:
    explicit RowFormat(const TableDefinition& table);

    // The fields of `row`, indexed by column number (sized to the table's highest column
    // number + 1). Boolean columns: present = the value. Throws on a malformed row.
    void split(ByteView row, std::vector<FieldSpan>& out) const;

  private:
    const TableDefinition& table_;
    size_t slots_ = 0;  // column numbers reach 0xFFFF, so one more needs a wider type
};

// Decodes a field's bytes into the column's value, reading long values through `file`.
Value decodeField(PageFile& file, const ColumnDef& column, const FieldSpan& field);

}  // namespace jet
