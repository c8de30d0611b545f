// The writer alone: prepared rows through the Jet recordset as the transfer drives it (AddNew,
// one Value per field, Update; Idle every 10 rows, with dbRefreshCache every 100).
//
//   bench_writer --mdb FILE --case NAME [--rows N]
//   bench_writer --schema none|pk|pk_text     prints the DDL of the target table
//
// FILE holds an empty table Bench (bench/bench_rows.h). The rows are those the sources hold,
// prepared a batch at a time while the clock stands still, so preparing them neither costs time
// in the figure nor memory that grows with N.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_rows.h"
#include "bench/measure.h"
#include "jet/base/errors.h"
#include "jet/dao/dao_database.h"

namespace {

constexpr int64_t kBatchRows = 4096;

struct Options {
    std::string mdb;
    std::string benchCase = "writer";
    int64_t rows = 1000000;
};

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--mdb")) o.mdb = argv[i + 1];
        if (!std::strcmp(argv[i], "--case")) o.benchCase = argv[i + 1];
        if (!std::strcmp(argv[i], "--rows")) o.rows = std::stoll(argv[i + 1]);
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && !std::strcmp(argv[1], "--schema")) {
        std::fputs(bench::benchSchema(argv[2]).c_str(), stdout);
        return 0;
    }
    const Options options = parse(argc, argv);
    if (options.mdb.empty()) {
        std::fprintf(stderr, "Aufruf: bench_writer --mdb DATEI [--case NAME] [--rows N]\n");
        return 2;
    }
    std::vector<std::array<jet::Value, 10>> batch(kBatchRows);
    try {
        jet::dao::DBEngine engine;
        auto db = engine.OpenDatabase(options.mdb, true);
        auto recordset = db->OpenRecordset(bench::kTableName);
        std::vector<jet::dao::RecordsetField*> fields;
        for (const char16_t* name : bench::kColumnNames) fields.push_back(&recordset->Fields(name));

        double seconds = 0;
        for (int64_t first = 1; first <= options.rows; first += kBatchRows) {
            const int64_t end = std::min(first + kBatchRows, options.rows + 1);
            for (int64_t i = first; i < end; ++i)
                batch[static_cast<size_t>(i - first)] = bench::benchRow(i);
            bench::Stopwatch clock;
            for (int64_t position = first; position < end; ++position) {
                const auto& row = batch[static_cast<size_t>(position - first)];
                recordset->AddNew();
                for (size_t c = 0; c < fields.size(); ++c) fields[c]->SetValue(row[c]);
                recordset->Update();
                if (position % 100 == 0)
                    engine.Idle(jet::dao::dbRefreshCache);
                else if (position % 10 == 0)
                    engine.Idle();
            }
            seconds += clock.seconds();
        }
        bench::Stopwatch closing;
        recordset->Close();
        db->Close();
        seconds += closing.seconds();
        bench::printBench(
            {"memory", options.benchCase, options.rows, seconds, {}, bench::fileMb(options.mdb)});
    } catch (const jet::Error& e) {
        std::fprintf(stderr, "Fehler %d: %s\n", e.number(), e.description().c_str());
        return 1;
    }
    return 0;
}
