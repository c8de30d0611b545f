// The whole pipeline: one transfer run of the table Bench from an ODBC source into an .mdb, with
// a window that only answers and records, as an unattended run has it.
//
//   bench_transfer --dsn NAME --mdb FILE --case NAME --source LABEL [--user U --password P]
//                  [--safe] [--fetch-rate ROWS_PER_S]
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "bench/measure.h"
#include "engine/preset_window.h"
#include "engine/transfer_run.h"
#include "jet/base/text.h"
#include "jet/dao/dao_database.h"

namespace {

struct Options {
    std::string dsn, mdb, benchCase = "transfer", source = "odbc", user, password;
    bool safe = false;
    double fetchRate = 0;
};

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--safe") {
            o.safe = true;
            continue;
        }
        if (i + 1 >= argc) break;
        const std::string value = argv[++i];
        if (flag == "--dsn") o.dsn = value;
        if (flag == "--mdb") o.mdb = value;
        if (flag == "--case") o.benchCase = value;
        if (flag == "--source") o.source = value;
        if (flag == "--user") o.user = value;
        if (flag == "--password") o.password = value;
        if (flag == "--fetch-rate") o.fetchRate = std::stod(value);
    }
    return o;
}

int64_t rowsIn(const std::string& mdb) {
    jet::dao::DBEngine engine;
    auto db = engine.OpenDatabase(mdb, false, true);
    return db->GetTableDefs().Item(u"Bench").definition().rowCount;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    const Options options = parse(argc, argv);
    if (options.dsn.empty() || options.mdb.empty()) {
        std::fprintf(stderr,
                     "Aufruf: bench_transfer --dsn NAME --mdb DATEI [--case NAME] "
                     "[--source NAME] [--safe] [--fetch-rate N]\n");
        return 2;
    }
    engine::PresetWindow window({jet::fromUtf8(options.dsn), jet::fromUtf8(options.mdb), u"Bench",
                                 jet::fromUtf8(options.user), jet::fromUtf8(options.password),
                                 engine::ServerOption::Opt_MS, options.safe});
    jet::dao::DBEngine engine;
    bench::Stopwatch clock;
    try {
        engine::RunTransfer(window, engine);
    } catch (const engine::RunFailure& failure) {
        std::fprintf(stderr, "Fehler %d: %s\n", failure.number,
                     jet::toUtf8(failure.description).c_str());
        return 1;
    }
    const double seconds = clock.seconds();
    const int64_t rows = rowsIn(options.mdb);
    bench::Figures figures{
        options.source, options.benchCase, rows, seconds, {}, bench::fileMb(options.mdb)};
    if (options.fetchRate > 0)
        figures.ratio = static_cast<double>(rows) / seconds / options.fetchRate;
    bench::printBench(figures);
    return 0;
}
