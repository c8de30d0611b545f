// The source's own limit: every row and column of the table Bench read through our ODBC layer
// (row arrays of bound columns where the driver allows), with no Access file in the way.
//
//   bench_fetch --dsn NAME --source LABEL [--user U --password P]
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "bench/measure.h"
#include "odbc/environment.h"
#include "odbc/error.h"

namespace {

struct Options {
    std::string dsn, source = "odbc", user, password;
};

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--dsn")) o.dsn = argv[i + 1];
        if (!std::strcmp(argv[i], "--source")) o.source = argv[i + 1];
        if (!std::strcmp(argv[i], "--user")) o.user = argv[i + 1];
        if (!std::strcmp(argv[i], "--password")) o.password = argv[i + 1];
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    const Options options = parse(argc, argv);
    if (options.dsn.empty()) {
        std::fprintf(stderr,
                     "Aufruf: bench_fetch --dsn NAME [--source NAME] [--user U] [--password P]\n");
        return 2;
    }
    try {
        auto environment = odbc::createEnvironment("bench", options.user, options.password);
        auto connection = environment.openConnection(options.dsn, true);
        bench::Stopwatch clock;
        // The driver's own quote: MariaDB takes "Bench" for a string, not a name.
        const std::string& quote = connection.identifierQuote();
        auto rows = connection.openResultset("SELECT * FROM " + quote + "Bench" + quote);
        const size_t columns = rows.columnCount();
        int64_t count = 0, nulls = 0;
        for (; !rows.eof(); rows.moveNext()) {
            for (size_t c = 0; c < columns; ++c) nulls += odbc::isNull(rows.value(c));
            ++count;
        }
        rows.close();
        bench::printBench({options.source, "fetch", count, clock.seconds(), {}, {}});
        std::fprintf(stderr, "%lld Zeilen, %lld NULL-Werte\n", static_cast<long long>(count),
                     static_cast<long long>(nulls));
    } catch (const odbc::Error& e) {
        std::fprintf(stderr, "ODBC-Fehler %d [%s]: %s\n", e.number(), e.sqlState().c_str(),
                     e.description().c_str());
        return 1;
    }
    return 0;
}
