// A new, empty Jet 4 database, made from the format alone (no template file).
//
// The file is what Access 2000 makes of a new blank database, as far as Jet is concerned:
// page 0 (Jet 4, code page 1252, sort order General, today's creation date, no password, no
// encoding key), the global usage map on page 1, the system tables MSysObjects (TDEF on page
// 2), MSysACEs, MSysQueries and MSysRelationships with their indexes, and the catalog: the
// containers Tables, Databases and Relationships, Access's containers (DataAccessPages, Forms,
// Modules, Reports, Scripts, SysRel), the database object MSysDb with AccessVersion "08.50",
// the system tables' own rows, and the permission rows of Access's default workgroup (the
// Admin user owns what it creates).
//
// Left out, because Access writes them itself when it first opens the file, as it does for
// databases that DAO or ADOX created: the table MSysAccessObjects with Access's own storage of
// forms and modules, and the SummaryInfo/UserDefined documents.
#pragma once

#include <string>

#include "jet/format/format.h"

namespace jet {

// Writes the database at `path`. Throws Error: DatabaseExists when there is a file (or
// anything else) at `path` already, which stays untouched; FileAccessDenied or IoFailure when
// the file cannot be written, in which case no half-made file is left behind.
void createBlankDatabase(const std::string& path);

// The same for an Access 2010 file (.accdb, ACE version 14): "Standard ACE DB" on page 0, the
// General sort order (sort version 1) in the header and on every text column, AccessVersion
// "09.50". The ACE system tables (MSysComplexColumns and its MSysComplexType_* templates,
// MSysNavPane*, MSysResources, MSysAccessStorage) are not made: attachment and multi-value
// columns are not written here, and the others belong to Access's user interface. `version`
// picks the version byte on page 0: 14 (Access 2010) to 17 (Access 2019 and later); only the
// column types a version allows differ (BigInt from 16, extended Date/Time from 17). Throws
// as createBlankDatabase, and InvalidArgument for another version.
void createBlankAceDatabase(const std::string& path, FormatVersion version = FormatVersion::Ace14);

}  // namespace jet
