// jettool drop FILE TABLE: deletes the table (ignoring case) with every page of it.
#include <iostream>
#include <ostream>

#include "jet/base/text.h"
#include "jet/dao/dao_database.h"
#include "tools/jettool/command.h"

namespace jettool {

int runDrop(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 2) {
        std::cerr << "Aufruf: jettool drop DATEI TABELLE\n";
        return 2;
    }
    jet::dao::DBEngine engine;
    auto db = engine.OpenDatabase(args[0], true);
    db->GetTableDefs().Delete(jet::fromUtf8(args[1]));
    db->Close();
    out << "Tabelle '" << args[1] << "' gelöscht.\n";
    return 0;
}

}  // namespace jettool
