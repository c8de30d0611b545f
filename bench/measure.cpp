#include "bench/measure.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace bench {

double peakRssMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

double fileMb(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<double>(size) / 1e6;
}

void printBench(const Figures& f) {
    const double rate = f.seconds > 0 ? static_cast<double>(f.rows) / f.seconds : 0;
    std::printf("BENCH %s/%s rows_per_s=%.0f", f.source.c_str(), f.benchCase.c_str(), rate);
    if (f.ratio) std::printf(" ratio=%.2f", *f.ratio);
    std::printf(" rss_mb=%.1f", peakRssMb());
    if (f.fileMb) std::printf(" file_mb=%.1f", *f.fileMb);
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace bench
