// What an Error says, and that passwords leave the driver's messages.
#include "odbc/error.h"

#include <gtest/gtest.h>

#include <string>

#include "odbc/diagnostics.h"

namespace odbc {
namespace {

TEST(Error, TheFirstRealErrorDecidesAndEveryMessageIsKept) {
    Error error("Die Verbindung ist fehlgeschlagen",
                {{"01000", 0, "[drv]Hinweis"}, {"08001", 101, "[drv]Anmeldung abgelehnt"}});
    EXPECT_EQ(error.sqlState(), "08001");
    EXPECT_EQ(error.number(), 101);
    EXPECT_EQ(error.description(), "[drv]Hinweis | [drv]Anmeldung abgelehnt");
    EXPECT_EQ(std::string(error.what()),
              "Die Verbindung ist fehlgeschlagen: [drv]Hinweis | [drv]Anmeldung abgelehnt "
              "(SQLSTATE 08001, Fehlernummer 101)");

    Error own("Es gibt keinen aktuellen Datensatz", "24000");
    EXPECT_EQ(own.number(), odbc::kOdbcFailureNumber);
    EXPECT_EQ(std::string(own.what()), "Es gibt keinen aktuellen Datensatz (SQLSTATE 24000)");
}

TEST(Error, RedactRemovesEveryOccurrenceOfTheSecret) {
    std::vector<DiagnosticRecord> records = {{"08001", 1, "pwd=abc; again abcabc"},
                                             {"01000", 0, "nothing here"}};
    redact(records, "abc");
    EXPECT_EQ(records[0].message, "pwd=***; again ******");
    EXPECT_EQ(records[1].message, "nothing here");
    redact(records, "");
    EXPECT_EQ(records[1].message, "nothing here");
}

}  // namespace
}  // namespace odbc
