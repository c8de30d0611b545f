// libFuzzer target for the Jet 4 reader: every input is taken as a database file and opened
// read-only; its catalog is read, every table (user and system) is opened and every row read,
// by file order and by row id, and the structural check is run. Throwing jet::Error is the
// engine's answer to a malformed file and is fine; a crash, a sanitizer report, a hang or an
// exception of any other type is a finding.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "jet/base/errors.h"
#include "jet/catalog/database.h"
#include "jet/check/check.h"

namespace {

// One anonymous in-memory file for the whole run, rewritten for each input, opened by path
// through /proc like any other file.
class InputFile {
  public:
    InputFile() {
        fd_ = ::memfd_create("fuzz-input.mdb", MFD_CLOEXEC);
        if (fd_ < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }

    const std::string& write(const uint8_t* data, size_t size) {
        if (::ftruncate(fd_, 0) != 0 || ::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
            std::perror("ftruncate");
            std::abort();
        }
        size_t done = 0;
        while (done < size) {
            ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0) {
                std::perror("pwrite");
                std::abort();
            }
            done += static_cast<size_t>(n);
        }
        return path_;
    }

  private:
    int fd_ = -1;
    std::string path_;
};

// Keeps the optimizer from dropping the reads.
volatile size_t gSink = 0;

void readEverything(const std::string& path) {
    jet::Database db(path, jet::OpenMode::ReadOnly);
    size_t seen = db.userTables().size();
    for (const jet::CatalogEntry& entry : db.catalog()) {
        if (!entry.isTable()) continue;
        try {
            jet::Table table = db.openTable(entry);
            auto visit = [&](jet::RowLocation, const std::vector<jet::Value>& values) {
                seen += values.size();
            };
            table.forEachRow(visit);
            table.forEachRowById(visit);
        } catch (const jet::Error&) {
            // a broken table must not keep the others from being read
        }
    }
    seen += jet::checkDatabase(db).size();
    gSink = gSink + seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static InputFile file;
    const std::string& path = file.write(data, size);
    try {
        readEverything(path);
    } catch (const jet::Error&) {
    }
    return 0;
}
