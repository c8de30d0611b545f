// What a new table is made from, before it has pages: its columns, its indexes and its
// properties. Built by copying a stored table's structure, from DDL, or field by field
// through the DAO face; laid out and stored by the table creator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/catalog/properties.h"
#include "jet/table/table_definition.h"

namespace jet {

struct NewColumn {
    std::u16string name;
    ColumnType type = ColumnType::Text;
    uint16_t length = 0;    // bytes as Jet 4 stores them: Text 2 per character; Memo and OLE 0
    uint8_t flags = 0;      // column_flag (fixed, AutoNumber, hyperlink, ...)
    uint8_t extFlags = 0;   // column_flag::kExtCompressedUnicode for Text and Memo
    uint8_t precision = 0;  // Decimal only
    uint8_t scale = 0;      // Decimal only
    // The field's property block (AllowZeroLength, Required, DefaultValue, Format, ...), in
    // stored order; unknown ones keep their raw bytes.
    std::vector<Property> properties;
};

struct NewIndexColumn {
    std::u16string column;  // a column of the same table, by name
    bool ascending = true;
};

struct NewIndex {
    std::u16string name;
    std::vector<NewIndexColumn> columns;
    bool primaryKey = false;  // implies unique and required
    bool unique = false;
    bool ignoreNulls = false;
    bool required = false;
};

struct NewTable {
    std::u16string name;
    std::vector<NewColumn> columns;  // in display order
    std::vector<NewIndex> indexes;
    std::vector<Property> properties;  // the table's own (Description, ValidationRule, ...)
};

}  // namespace jet
