// The database file as numbered 4096-byte pages. The only place that touches the file.
//
// A file opened for writing is held exclusively: a second opener, in this process or another,
// is refused. A read-only opener shares the file with other readers but not with a writer.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "jet/bytes.h"

namespace jet {

inline constexpr uint32_t kPageSize = 4096;

enum class OpenMode { ReadOnly, Exclusive };

class PageFile {
public:
    // Throws Error (FileNotFound, FileAccessDenied, FileInUse, IoFailure).
    PageFile(const std::string& path, OpenMode mode);
    ~PageFile();
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    const std::string& path() const { return path_; }
    OpenMode mode() const { return mode_; }
    uint32_t pageCount() const { return pageCount_; }

    // The page's bytes, valid while this PageFile lives. Throws when the page lies past the end.
    ByteView page(uint32_t number);

private:
    std::string path_;
    OpenMode mode_;
    int fd_ = -1;
    uint32_t pageCount_ = 0;
    std::unordered_map<uint32_t, std::unique_ptr<uint8_t[]>> cache_;
};

}  // namespace jet
