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
#include "engine/run_window.h"
#include "engine/transfer_run.h"
#include "jet/dao_database.h"
#include "jet/text.h"

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

// The controls of a window nobody looks at; the list keeps only its length and last line.
class QuietWindow : public engine::RunWindow {
  public:
    explicit QuietWindow(const Options& o)
        : dsn_(jet::fromUtf8(o.dsn)),
          path_(jet::fromUtf8(o.mdb)),
          user_(jet::fromUtf8(o.user)),
          password_(jet::fromUtf8(o.password)),
          safe_(o.safe) {}

    std::u16string text(engine::TextBox box) const override {
        switch (box) {
            case engine::TextBox::Text1:
                return dsn_;
            case engine::TextBox::Text2:
                return path_;
            case engine::TextBox::Text3:
                return u"Bench";
            case engine::TextBox::Text4:
                return user_;
            case engine::TextBox::Text5:
                return password_;
        }
        return {};
    }
    bool isOptionSet(engine::ServerOption option) const override {
        return option == engine::ServerOption::Opt_MS;
    }
    int checkValue(engine::CheckBox box) const override {
        return box == engine::CheckBox::Check_Safety && safe_ ? 1 : 0;
    }
    void setText(engine::TextBox box, std::u16string_view text) override {
        if (box == engine::TextBox::Text1) dsn_ = text;
    }
    void setCaption(engine::StatusLabel, std::u16string_view) override {}
    void setProgressMax(engine::ProgressBar, float) override {}
    void setProgressValue(engine::ProgressBar, float) override {}
    void addListItem(std::u16string_view line) override {
        ++lines_;
        last_ = line;
    }
    void clearList() override {}
    void setStartEnabled(bool) override {}
    void setBusy(bool) override {}
    bool abortRequested() const override { return false; }
    void clearAbortRequest() override {}
    void processEvents() override {}

    const std::u16string& lastLine() const { return last_; }

  private:
    std::u16string dsn_, path_, user_, password_;
    bool safe_;
    int64_t lines_ = 0;
    std::u16string last_;
};

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
    QuietWindow window(options);
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
