// What every benchmark reports: elapsed time, peak memory, file size, and the BENCH line that
// scripts read.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace bench {

class Stopwatch {
  public:
    Stopwatch() : start_(std::chrono::steady_clock::now()) {}
    double seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

  private:
    std::chrono::steady_clock::time_point start_;
};

// The process's peak resident memory so far (VmHWM), in MB.
double peakRssMb();

// The size of `path` in MB (10^6 bytes); 0 when it cannot be read.
double fileMb(const std::string& path);

struct Figures {
    std::string source;  // "sqlite", "postgres", "mariadb", "memory"
    std::string benchCase;
    int64_t rows = 0;
    double seconds = 0;
    std::optional<double> ratio;   // against the same source's fetch rate
    std::optional<double> fileMb;  // the .mdb after the run
};

// Prints `BENCH <source>/<case> rows_per_s=<n> [ratio=<r>] rss_mb=<n> [file_mb=<n>]`.
void printBench(const Figures& figures);

}  // namespace bench
