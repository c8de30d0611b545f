// Access-made fixture files and scratch copies for tests.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace jet::testing {

inline std::filesystem::path fixtureDir() {
    return std::filesystem::path(SQLVANTOR_FIXTURES) / "jet4";
}

inline std::filesystem::path fixture(const std::string& name) {
    return fixtureDir() / name;
}

// Every .mdb in `dir`, sorted; empty when the folder is missing.
inline std::vector<std::filesystem::path> mdbFilesIn(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> files;
    if (!std::filesystem::exists(dir)) return files;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().extension() == ".mdb") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Every Jet 4 fixture, sorted; empty when the folder is missing.
inline std::vector<std::filesystem::path> allFixtures() {
    return mdbFilesIn(fixtureDir());
}

// Every Access 97 (Jet 3) fixture, sorted; empty when the folder is missing.
inline std::vector<std::filesystem::path> jet3Fixtures() {
    return mdbFilesIn(std::filesystem::path(SQLVANTOR_FIXTURES) / "jet3");
}

#define REQUIRE_FIXTURE(name)                                                             \
    do {                                                                                  \
        if (!std::filesystem::exists(::jet::testing::fixture(name)))                      \
            GTEST_SKIP() << "fixture " << ::jet::testing::fixture(name) << " is missing"; \
    } while (0)

// A fixture of another folder: "jet3" (Access 97) or "ace" (Access 2007 and later).
inline std::filesystem::path fixtureOf(const std::string& kind, const std::string& name) {
    return std::filesystem::path(SQLVANTOR_FIXTURES) / kind / name;
}

#define REQUIRE_FIXTURE_OF(kind, name)                                                            \
    do {                                                                                          \
        if (!std::filesystem::exists(::jet::testing::fixtureOf(kind, name)))                      \
            GTEST_SKIP() << "fixture " << ::jet::testing::fixtureOf(kind, name) << " is missing"; \
    } while (0)

inline std::vector<uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// A directory of its own for one test, removed afterwards.
class ScratchDir {
  public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "jettest-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::filesystem::path file(const std::string& name) const { return path_ / name; }
    // A copy of a fixture (or any file) in this directory.
    std::filesystem::path copy(const std::filesystem::path& from) const {
        auto to = path_ / from.filename();
        std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::permissions(
            to, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        return to;
    }

  private:
    std::filesystem::path path_;
};

}  // namespace jet::testing
