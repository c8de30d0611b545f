// jettool create [--jet3 | --accdb[=VERSION]] FILE [--schema DDL-FILE]: a new, empty Jet 4
// database (with --jet3 an Access 97 one, with --accdb an Access 2010 .accdb one, with
// --accdb=16 or 17 an Access 2016 or 2019 one, whose tables may hold BigInt and, in 17,
// extended Date/Time columns); with --schema, the
// tables of an Access SQL DDL script (what `mdb-schema FILE access` prints, plus indexes) are
// created in it. The script is read in full before the file is made, so a faulty script
// leaves no file behind; a table that cannot be created stops the run with the tables before
// it stored.
#include <fstream>
#include <iostream>
#include <optional>
#include <ostream>
#include <sstream>

#include "jet/base/text.h"
#include "jet/dao/dao_database.h"
#include "jet/dao/ddl_parser.h"
#include "jet/dao/table_creator.h"
#include "jet/ddl/blank_database.h"
#include "jet/ddl/blank_database_97.h"
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

// The ACE version an --accdb option names; nullopt when `variant` is no such option.
std::optional<jet::FormatVersion> aceVersion(const std::string& variant) {
    if (variant == "--accdb" || variant == "--accdb=14") return jet::FormatVersion::Ace14;
    if (variant == "--accdb=15") return jet::FormatVersion::Ace15;
    if (variant == "--accdb=16") return jet::FormatVersion::Ace16;
    if (variant == "--accdb=17") return jet::FormatVersion::Ace17;
    return std::nullopt;
}

}  // namespace

int runCreate(const std::vector<std::string>& given, std::ostream& out) {
    const std::string variant = !given.empty() && given[0].rfind("--", 0) == 0 ? given[0] : "";
    const std::optional<jet::FormatVersion> ace = aceVersion(variant);
    if (!variant.empty() && variant != "--jet3" && !ace) return 2;
    const std::vector<std::string> args(given.begin() + (variant.empty() ? 0 : 1), given.end());
    if (args.size() != 1 && !(args.size() == 3 && args[1] == "--schema")) return 2;
    std::vector<jet::NewTable> tables;
    if (args.size() == 3) tables = readSchema(args[2]);
    if (variant == "--jet3")
        jet::createBlankDatabase97(args[0]);
    else if (ace)
        jet::createBlankAceDatabase(args[0], *ace);
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
