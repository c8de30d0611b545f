// jettool create [--accdb] FILE [--schema DDL-FILE]: a new, empty Jet 4 database, or with
// --accdb an Access 2010 (.accdb) one; with --schema, the
// tables of an Access SQL DDL script (what `mdb-schema FILE access` prints, plus indexes) are
// created in it. The script is read in full before the file is made, so a faulty script
// leaves no file behind; a table that cannot be created stops the run with the tables before
// it stored.
#include <fstream>
#include <iostream>
#include <ostream>
#include <sstream>

#include "jet/base/text.h"
#include "jet/dao/dao_database.h"
#include "jet/dao/ddl_parser.h"
#include "jet/dao/table_creator.h"
#include "jet/ddl/blank_database.h"
#include "tools/jettool/command.h"

namespace jettool {

namespace {

std::vector<jet::NewTable> readSchema(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw jet::Error(jet::ErrorCode::FileNotFound,
                         "Die Datei '" + path + "' kann nicht gelesen werden.");
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return jet::parseDdl(text.str());
    } catch (const jet::Error& e) {
        throw jet::Error(jet::ErrorCode(e.number()), path + ", " + e.description());
    }
}

}  // namespace

int runCreate(const std::vector<std::string>& given, std::ostream& out) {
    const bool ace = !given.empty() && given[0] == "--accdb";
    const std::vector<std::string> args(given.begin() + (ace ? 1 : 0), given.end());
    if (args.size() != 1 && !(args.size() == 3 && args[1] == "--schema")) return 2;
    std::vector<jet::NewTable> tables;
    if (args.size() == 3) tables = readSchema(args[2]);
    if (ace)
        jet::createBlankAceDatabase(args[0]);
    else
        jet::createBlankDatabase(args[0]);
    if (tables.empty()) return 0;
    jet::dao::DBEngine engine;
    auto db = engine.OpenDatabase(args[0], true);
    for (const jet::NewTable& t : tables) {
        jet::createTable(*db, t);
        db->storage().reloadCatalog();
        out << "Tabelle " << jet::toUtf8(t.name) << " angelegt.\n";
    }
    db->Close();
    return 0;
}

}  // namespace jettool
