#include "jet/check/check.h"

#include <iostream>
#include <ostream>

#include "jet/catalog/database.h"
#include "tools/jettool/command.h"

namespace jettool {

int runCheck(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 1) {
        std::cerr << "Aufruf: jettool check DATEI\n";
        return 2;
    }
    jet::Database database(args[0], jet::OpenMode::ReadOnly);
    const std::vector<jet::CheckFault> faults = jet::checkDatabase(database);
    for (const auto& fault : faults) out << "Seite " << fault.page << ": " << fault.message << "\n";
    if (faults.empty()) {
        out << "OK\n";
        return 0;
    }
    out << faults.size() << " Fehler gefunden\n";
    return 1;
}

}  // namespace jettool
