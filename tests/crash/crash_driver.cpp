// crash_driver DSN TARGET SAFE: one transfer run from DSN into the Access file TARGET, safe mode
// on when SAFE is 1, with a window that shows nothing. scripts/crashtest kills it at random
// moments. Every list line goes to stdout at once, prefixed with the microseconds since the
// start, so the harness can aim its kills at the phases of a run (relation removal, rows, swap).
// Exit status: 0 for a completed run, 1 for a run that ended in a failure, 2 for bad arguments.
#include <chrono>
#include <cstdio>
#include <string>

#include "engine/crm_tables.h"
#include "engine/preset_window.h"
#include "engine/transfer_run.h"
#include "jet/base/text.h"
#include "jet/dao/dao_database.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "Aufruf: crash_driver DSN ZIEL.mdb SICHER(0|1)\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    engine::PresetSettings settings;
    settings.dataSource = jet::fromUtf8(argv[1]);
    settings.accessPath = jet::fromUtf8(argv[2]);
    settings.safeMode = std::string(argv[3]) == "1";
    engine::PresetWindow window(settings, [start](std::u16string_view line) {
        const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
        std::printf("%lld\t%s\n", static_cast<long long>(elapsed.count()),
                    jet::toUtf8(line).c_str());
        std::fflush(stdout);
    });
    jet::dao::DBEngine dbEngine;
    try {
        engine::RunTransfer(window, dbEngine);
    } catch (const engine::RunFailure& failure) {
        std::fprintf(stderr, "Fehler %d: %s\n", failure.number,
                     jet::toUtf8(failure.description).c_str());
        return 1;
    }
    return 0;
}
