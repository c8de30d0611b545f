// Making the Access table ready to receive a server table's rows: emptied in place, or in safe
// mode left alone while an empty staging copy "new_" + name is built beside it.
#pragma once

#include <memory>
#include <string_view>

#include "engine/run_context.h"
#include "jet/dao/dao_database.h"

namespace engine {

// The staging table's name for a server table.
std::u16string StagingName(std::u16string_view tableName);

// Reads Check_Safety now. In safe mode deletes a leftover "new_" + `tableName` (failures
// ignored), builds the staging table with every field of `matched` (the four copied properties
// each tried on its own, failures ignored) and then the rest of `matched`'s structure (field
// properties, indexes, primary key, table properties), writes the "Erzeuge: [" line and
// appends it; returns the stored staging definition. Otherwise writes the "Lösche Zeilen aus "
// line, empties the table and returns nullptr.
// Throws jet::Error from CreateTableDef, CreateField, Append and the DELETE.
std::unique_ptr<jet::dao::TableDef> PrepareTargetTable(RunContext& run, jet::dao::Database& db,
                                                       const jet::dao::TableDef& matched,
                                                       std::u16string_view tableName);

}  // namespace engine
