// The tables this engine reads but does not change. Access 2007 and later keep the values of an
// attachment or multi-value column (and a memo's version history) in a hidden table of their
// own, reached through MSysComplexColumns; Access 2010 and later store a calculated column's
// result wrapped with the expression's result type. Neither is written here, so a table holding
// such a column is refused for every change of its rows, and for a copy of its structure,
// before anything is written.
#pragma once

#include "jet/format/format.h"
#include "jet/table/table_definition.h"

namespace jet {

// Returns when the rows of `table`, a table of a file of `format`, may be changed. Throws
// Error NotSupported, naming the first column that forbids it, otherwise.
void requireWritableTable(const Format& format, const TableDefinition& table);

}  // namespace jet
