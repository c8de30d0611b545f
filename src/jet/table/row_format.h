// The layout of one stored row (Jet 4):
//   u16 column count | fixed area | variable data | u16 end of data | variable offsets, last
//   first | u16 variable count | null mask (1 bit per column number, 1 = not null)
// Jet 3 has single bytes instead of the u16s, and between the offsets and the variable count
// a jump table (see RowFormat::jumpTableOffsets).
// Tables without variable columns have neither the offsets nor the two counts around them.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/base/bytes.h"
#include "jet/base/value.h"
#include "jet/format/format.h"
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
    // Rows of `table` in a file of `format`; `table` must outlive this object.
    RowFormat(const Format& format, const TableDefinition& table);

    // The fields of `row`, indexed by column number (sized to the table's highest column
    // number + 1). Boolean columns: present = the value. Throws on a malformed row.
    void split(ByteView row, std::vector<FieldSpan>& out) const;

  private:
    // Where the variable fields start: entry i is field i's start, entry `count` the end.
    struct VarOffsets {
        uint16_t count = 0;
        bool wide = false;  // Jet 4: read from the row, below `end`
        size_t end = 0;
        std::vector<uint16_t> full;  // Jet 3: worked out with the jump table
        uint16_t at(ByteView row, size_t i) const;
    };
    VarOffsets wordOffsets(ByteView row, size_t maskAt) const;
    VarOffsets jumpTableOffsets(ByteView row, size_t maskAt) const;

    const TableDefinition& table_;
    const RowLayout& layout_;
    size_t slots_ = 0;  // column numbers reach 0xFFFF, so one more needs a wider type
};

// Decodes a field's bytes into the column's value, reading long values through `file`.
Value decodeField(PageFile& file, const ColumnDef& column, const FieldSpan& field);

}  // namespace jet
