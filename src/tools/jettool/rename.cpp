// jettool rename FILE OLD NEW: gives the table OLD (ignoring case) the name NEW.
#include <iostream>
#include <ostream>

#include "jet/base/text.h"
#include "jet/dao/dao_database.h"
#include "tools/jettool/command.h"

namespace jettool {

int runRename(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 3) {
        std::cerr << "Aufruf: jettool rename DATEI ALT NEU\n";
        return 2;
    }
    jet::dao::DBEngine engine;
    auto db = engine.OpenDatabase(args[0], true);
    jet::dao::TableDef table = db->GetTableDefs().Item(jet::fromUtf8(args[1]));
    table.SetName(jet::fromUtf8(args[2]));
    db->Close();
    out << "Tabelle '" << jet::toUtf8(table.Name()) << "' umbenannt.\n";
    return 0;
}

}  // namespace jettool
