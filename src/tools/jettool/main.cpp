// jettool: inspect and change Access files (.mdb of Access 97 and 2000, .accdb) on Linux.
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "jet/base/errors.h"
#include "tools/jettool/command.h"

namespace {

void usage() {
    std::cerr
        << "Aufruf: jettool tables DATEI\n"
           "        jettool schema DATEI [TABELLE]\n"
           "        jettool export DATEI TABELLE\n"
           "        jettool check DATEI\n"
           "        jettool import DATEI TABELLE CSV-DATEI\n"
           "        jettool exec DATEI \"DELETE FROM tabelle\"\n"
           "        jettool drop DATEI TABELLE\n"
           "        jettool rename DATEI ALT NEU\n"
           "        jettool drop-relations DATEI\n"
           "        jettool copy-structure DATEI TABELLE NEUER-NAME\n"
           "        jettool create [--jet3 | --accdb[=14|15|16|17]] DATEI [--schema DDL-DATEI]\n"
           "        jettool recover DATEI\n";
}

}  // namespace

int main(int argc, char** argv) {
    using Command = int (*)(const std::vector<std::string>&, std::ostream&);
    const std::map<std::string, Command> commands = {{"tables", jettool::runTables},
                                                     {"schema", jettool::runSchema},
                                                     {"export", jettool::runExport},
                                                     {"check", jettool::runCheck},
                                                     {"import", jettool::runImport},
                                                     {"exec", jettool::runExec},
                                                     {"drop", jettool::runDrop},
                                                     {"rename", jettool::runRename},
                                                     {"drop-relations", jettool::runDropRelations},
                                                     {"copy-structure", jettool::runCopyStructure},
                                                     {"create", jettool::runCreate},
                                                     {"recover", jettool::runRecover}};
    if (argc < 2 || !commands.count(argv[1])) {
        usage();
        return 2;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    try {
        return commands.at(argv[1])(args, std::cout);
    } catch (const jet::Error& e) {
        std::cout.flush();
        std::cerr << "Fehler " << e.number() << ": " << e.description() << "\n";
        return 1;
    }
}
