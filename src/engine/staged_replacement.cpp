#include "engine/staged_replacement.h"

#include <string>

namespace engine {

void ReplaceWithStaging(RunContext& run, jet::dao::Database& db, jet::dao::TableDef* staging,
                        std::u16string_view tableName, bool tableFailed) {
    if (run.window.abortRequested() || tableFailed) {
        return;
    }
    if (!run.safeMode() || staging == nullptr) {
        return;
    }
    const std::u16string name(tableName);
    // Both steps are checked before the first: a swap that cannot complete keeps the old table.
    db.checkTableReplacement(name, *staging);
    run.log.AddActivityLine(u"\tLösche: [" + name + u"]", false);
    db.GetTableDefs().Delete(name);
    run.log.AddActivityLine(u"\tBenenne [" + staging->Name() + u"] in [" + name + u"] um.", false);
    staging->SetName(name);
}

}  // namespace engine
