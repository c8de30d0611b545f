// Putting a filled staging table in the place of its Access table once its copy succeeded.
#pragma once

#include <string_view>

#include "engine/run_context.h"
#include "jet/dao/dao_database.h"

namespace engine {

// Does nothing when the abort flag or `tableFailed` is set, when Check_Safety is not checked
// now, or when there is no `staging` (the table was filled in place). Otherwise writes the
// "Lösche: [" line, deletes the Access table `tableName`, writes the "Benenne [" line and gives
// `staging` the name as the server spells it. Acting only on a staging table made for this
// table, it never deletes a table whose rows were copied into it directly.
// Throws jet::Error from the deletion and the renaming; everything either of them would refuse
// is refused before the deletion, so then both tables stay as they were.
void ReplaceWithStaging(RunContext& run, jet::dao::Database& db, jet::dao::TableDef* staging,
                        std::u16string_view tableName, bool tableFailed);

}  // namespace engine
