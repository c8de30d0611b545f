// A transfer run against real parts: SQLite ODBC behind a test-owned DSN (or the throwaway
// PostgreSQL server), a copy of an Access-made fixture as target, the recording window, and a
// clock that always says 08.12.2026 10:00:00. The Access file is read back with jettool and
// mdb-export.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/cp1252.h"
#include "engine/crm_tables.h"
#include "engine/transfer_run.h"
#include "fake_window.h"
#include "jet/dao/dao_database.h"
#include "odbc/connection.h"
#include "temp_folder.h"

namespace engine_test {

class FixedClock : public engine::Clock {
  public:
    double secondsSinceMidnight() const override { return 36000.0; }
    engine::LocalDateTime now() const override { return {2026, 12, 8, 10, 0, 0}; }
};

inline constexpr std::u16string_view kStartLine = u"Start: 08.12.2026 // 10:00:00";
inline constexpr std::u16string_view kEndLine = u"Ende: 08.12.2026 // 10:00:00";

using Lines = std::vector<std::u16string>;

class TransferTest : public ::testing::Test {
  protected:
    TransferTest();

    // Copies the fixture (from `kind`: "jet4" or "jet3") to the test's folder as the run's
    // target; false when it is missing (the caller then skips).
    bool useFixture(const std::string& name, const std::string& kind = "jet4");
    // The same for an Access 2007+ fixture, copied as "ziel.accdb".
    bool useAceFixture(const std::string& name);
    // Makes `file` (already in the test's folder) the run's target.
    void useTarget(const std::filesystem::path& file);
    const std::filesystem::path& target() const { return target_; }

    // Runs SQL on the SQLite source behind the window's DSN.
    void source(const std::string& sql);

    // The run with the window as set up; a run ending in a failure lets it through.
    engine::RunOutcome run();

    // The log file beside the target, and the bytes a block of `lines` takes there.
    std::string logBytes() const;
    static std::string fileBlock(const Lines& lines);
    // The set-up lines before the first table and the tear-down lines after the last.
    static Lines opening();
    static Lines closing(bool aborted = false);

    // "jettool check" output (empty when clean) and mdb-export's CSV of a table.
    std::string checkTarget() const;
    std::string exportTable(const std::string& table) const;
    std::vector<std::string> tableNames() const;
    // Runs the window's table "table1" and expects the server's typed Table1 (one row of every
    // type with umlauts and the euro sign, one of NULLs) to arrive in testV2000's (or
    // testV1997's) Table1 exactly.
    void expectTypedTable1Arrives();

    TempFolder folder;
    FakeWindow window;
    FixedClock clock;
    engine::CrmTableList crmTables;
    jet::dao::DBEngine dbEngine;

  private:
    std::filesystem::path target_;
};

// Runs `command` in a shell and returns what it wrote to stdout; `status` gets its exit code.
std::string runCommand(const std::string& command, int* status = nullptr);

// Skips the test when the Jet engine cannot yet do a structure change the run needs.
#define RUN_OR_SKIP_STRUCTURE_CHANGE(call)                                              \
    do {                                                                                \
        try {                                                                           \
            call;                                                                       \
        } catch (const engine::RunFailure& failure) {                                   \
            if (failure.number == 3251)                                                 \
                GTEST_SKIP() << "structure change not available in the Jet engine yet"; \
            throw;                                                                      \
        }                                                                               \
    } while (0)

}  // namespace engine_test
