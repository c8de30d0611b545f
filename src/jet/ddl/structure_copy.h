// A stored table's structure as a NewTable: what a copy of it is made from.
#pragma once

#include <string>
#include <vector>

#include "jet/catalog/properties.h"
#include "jet/ddl/new_table.h"
#include "jet/table/table_definition.h"

namespace jet {

// A stored column as a new one: type, length, flags (AutoNumber, hyperlink), compression,
// precision and scale, with `properties` (its stored ones, unknown ones byte for byte).
NewColumn newColumnOf(const ColumnDef& column, std::vector<Property> properties);

// The table's indexes, foreign-key ones left out (they belong to relationships), in the
// order of their logical numbers, as Access numbered them.
std::vector<NewIndex> indexesOf(const TableDefinition& table);

// The table's own properties for a copy: all of them, unknown ones byte for byte, except the
// two that identify the stored object itself (GUID, and NameMap, which holds its name and its
// columns' GUIDs): a copy sharing them would be the same object to Access.
std::vector<Property> tablePropertiesForCopy(const PropertySet& properties);

// The whole structure of a stored table under the name `name`: every column in stored order
// with every stored property, every index but foreign-key ones, the table's properties.
NewTable structureOf(const TableDefinition& table, const PropertySet& properties,
                     std::u16string name);

}  // namespace jet
