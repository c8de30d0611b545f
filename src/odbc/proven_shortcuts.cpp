#include "odbc/proven_shortcuts.h"

namespace odbc {

KnownDriver identifyDriver(std::string_view file) {
    auto has = [file](std::string_view part) { return file.find(part) != std::string_view::npos; };
    if (has("sqlite3odbc")) return KnownDriver::Sqlite;
    if (has("psqlodbcw")) return KnownDriver::PostgresUnicode;
    if (has("psqlodbca")) return KnownDriver::PostgresAnsi;
    if (has("maodbc")) return KnownDriver::MariaDb;
    if (has("tdsodbc")) return KnownDriver::FreeTds;
    return KnownDriver::Other;
}

ProvenShortcuts provenShortcuts(KnownDriver driver) {
    switch (driver) {
        case KnownDriver::Sqlite:
            return {.boundColumns = true,
                    .rowArrays = true,
                    .getDataOnBoundColumns = true,
                    .readAhead = true,
                    .datesAsText = true,
                    .integersAs64Bit = true};
        case KnownDriver::PostgresUnicode:
        case KnownDriver::PostgresAnsi:
            return {.boundColumns = true,
                    .rowArrays = true,
                    .getDataInRowArrays = true,
                    .getDataOnBoundColumns = true,
                    .readAhead = true,
                    .textAsUtf8 = driver == KnownDriver::PostgresAnsi,
                    .datesAsText = true};
        case KnownDriver::MariaDb:
            return {.boundColumns = true,
                    .rowArrays = true,
                    .getDataOnBoundColumns = true,
                    .readAhead = true,
                    .textAsUtf8 = true,
                    .datesAsText = true,
                    .bitAsTinyint = true,
                    .besideOtherConnections = true};
        case KnownDriver::FreeTds:
            return {.boundColumns = true, .rowArrays = true, .readAhead = true};
        case KnownDriver::Other:
            break;
    }
    return {};
}

}  // namespace odbc
