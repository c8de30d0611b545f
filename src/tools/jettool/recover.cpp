// jettool recover FILE: rolls back the flush a killed writer left unfinished, as any opener
// would, and says whether there was one.
#include <iostream>

#include "jet/page/journal.h"
#include "jet/page/page_file.h"
#include "tools/jettool/command.h"

namespace jettool {

int runRecover(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 1) {
        std::cerr << "Aufruf: jettool recover DATEI\n";
        return 2;
    }
    const bool hadJournal = jet::Journal::exists(args[0]);
    jet::PageFile file(args[0], jet::OpenMode::Exclusive);
    if (file.recovered())
        out << "Abgebrochener Schreibvorgang zurückgenommen: " << args[0] << "\n";
    else if (hadJournal)
        out << "Ungültiges Journal entfernt, keine Änderung nötig: " << args[0] << "\n";
    else
        out << "Keine Wiederherstellung nötig: " << args[0] << "\n";
    file.close();
    return 0;
}

}  // namespace jettool
