// A new, empty Access 97 (Jet 3) database, made from the format alone (no template file).
//
// The file is what Access 97 makes of a new blank database, as far as Jet is concerned: page 0
// (Jet 3, 2 KB pages, code page 1252, sort order General, no password, no encoding key), the
// global usage map on page 1, the system tables MSysObjects, MSysACEs, MSysQueries and
// MSysRelationships on pages 2-17 with their indexes, laid out as Access 97 lays them out, and
// the catalog: the containers Tables, Databases and Relationships, Access's containers (Forms,
// Reports, Scripts, Modules, SysRel), the database object MSysDb with AccessVersion "07.53",
// the system tables' own rows, and the permission rows of Access 97's default workgroup.
//
// Left out, as in the Jet 4 maker, because Access writes them itself when it first opens the
// file: its tables MSysModules and MSysModules2 and the SummaryInfo/UserDefined documents
// (Access's containers keep the ids Access 97 gives them, after those two's). DataAccessPages is no Access 97
// container; Access 2000 and later add it when they open the file.
#pragma once

#include <string>

namespace jet {

// Writes the database at `path`. Throws Error: DatabaseExists when there is a file (or
// anything else) at `path` already, which stays untouched; FileAccessDenied or IoFailure when
// the file cannot be written, in which case no half-made file is left behind.
void createBlankDatabase97(const std::string& path);

}  // namespace jet
