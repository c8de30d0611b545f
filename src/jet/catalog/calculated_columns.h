// Calculated columns (ACE 14 and later) store the type of their values not in their
// definition but in the column property ResultType; the definition's type code may name
// another type. Readers of such a table's rows first put the result types in place here.
#pragma once

#include "jet/catalog/catalog.h"
#include "jet/catalog/properties.h"
#include "jet/page/page_file.h"
#include "jet/table/table_definition.h"

namespace jet {

// Sets the typeCode of each calculated column of `table` to the type its ResultType property
// in `properties` names, keeping the stored code in definitionTypeCode. A column without the
// property, or with a type this engine does not know, keeps its code.
void applyCalculatedResultTypes(TableDefinition& table, const PropertySet& properties);

// The definition of the table `entry` names, with the result types of its calculated columns
// in place (its property blob is only parsed when it has such columns). Throws Error as
// readTableDefinition and parsePropertyBlob do.
TableDefinition readTableDefinitionOf(PageFile& file, const CatalogEntry& entry);

}  // namespace jet
