// Access SQL DDL → the tables it defines, ready for the table creator.
//
// The dialect is what mdbtools' mdb-schema prints for its "access" backend, plus the index
// statements of Jet SQL:
//
//   CREATE TABLE name (
//       column type [(size[, scale])] [NOT NULL | NULL] [DEFAULT value] [WITH COMP[RESSION]]
//              [[CONSTRAINT name] {PRIMARY KEY | UNIQUE}],
//       ...
//       [, CONSTRAINT name {PRIMARY KEY | UNIQUE} (column, ...)] ... )
//   CREATE [UNIQUE] INDEX name ON table (column [ASC | DESC], ...)
//          [WITH {PRIMARY | DISALLOW NULL | IGNORE NULL}]
//   DROP TABLE name
//
// Statements end with ';' (the last one may go without). Names are bare or in brackets.
// "--" starts a comment running to the end of the line, "/* ... */" one running to "*/".
// The text is UTF-8, as mdb-schema writes it.
//
// Types take Access's own names (those of the table designer and mdb-schema: "Long Integer",
// "Integer" for the 16-bit one, "Memo/Hyperlink", "Replication ID", "Numeric (18, 0)", ...)
// and the usual Jet SQL synonyms (LONG, SHORT, VARCHAR, COUNTER, YESNO, ...).
//
// Columns get what Jet's own DDL gives them: no Unicode compression unless WITH COMPRESSION
// says so, no AllowZeroLength property (so it is false); NOT NULL becomes the Required
// property and DEFAULT the DefaultValue expression. A DROP TABLE of a table the same script
// created removes it; any other DROP TABLE has nothing to drop in a new database and is
// skipped.
#pragma once

#include <string_view>
#include <vector>

#include "jet/ddl/new_table.h"

namespace jet {

// The tables the statements create, in the order of their CREATE TABLE. Throws Error with a
// German description that starts with "Zeile N: " naming the line at fault: DdlSyntax for
// text that does not parse, DuplicateFieldName, TableExists, ItemNotFound and
// InvalidArgument for statements that parse but cannot be carried out.
std::vector<NewTable> parseDdl(std::string_view utf8Text);

}  // namespace jet
