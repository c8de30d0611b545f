// Index keys exactly as Access computes them: one piece per index column, joined. Each piece is
// a flag byte (0x7F ascending, 0x80 descending) and the value's sort bytes, or a single byte for
// NULL (0x00 ascending, 0xFF descending). Text follows the column's sort order: General Legacy,
// General or General 97.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "jet/base/value.h"
#include "jet/table/table_definition.h"

namespace jet {

// Appends the key piece of `value` for a column of `column`'s type. A value whose type does not
// match the column's is converted as the row decoder would have produced it; throws Error when
// the column type cannot be indexed (OLE) .
void appendColumnKey(std::vector<uint8_t>& out, const ColumnDef& column, const Value& value,
                     bool ascending);

// Appends the General Legacy key piece of a text (flag byte included).
void appendTextKey(std::vector<uint8_t>& out, std::u16string_view text, bool ascending);

// Appends the General key piece of a text (flag byte included): the sort order of Access 2010
// and later (sort version 1).
void appendTextGeneralKey(std::vector<uint8_t>& out, std::u16string_view text, bool ascending);

// Appends the General 97 key piece of a text of a Jet 3 (Access 97) database (flag byte
// included). `codePageBytes` is the value as stored: bytes of the database's code page (see
// jet/base/code_page_text.h), undefined ones included; the key is made from those bytes.
void appendText97Key(std::vector<uint8_t>& out, std::string_view codePageBytes, bool ascending);

// The whole key of a row for `index`. `valuesByNumber[n]` holds the value of column number n;
// columns the row does not have are NULL.
std::vector<uint8_t> indexKey(const TableDefinition& table, const RealIndexDef& index,
                              std::span<const Value> valuesByNumber);
// The same key into `key`, emptied first: a caller forming keys row after row keeps one
// buffer. On a throw `key` holds part of a key.
void indexKey(const TableDefinition& table, const RealIndexDef& index,
              std::span<const Value> valuesByNumber, std::vector<uint8_t>& key);

}  // namespace jet
