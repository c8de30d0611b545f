#include "jet/page_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace jet {

namespace {

[[noreturn]] void throwOpenFailure(const std::string& path, int err) {
    if (err == ENOENT || err == ENOTDIR)
        throw Error(ErrorCode::FileNotFound, "Datei '" + path + "' nicht gefunden.");
    if (err == EACCES || err == EPERM || err == EROFS)
        throw Error(ErrorCode::FileAccessDenied,
                    "Die Datei '" + path + "' kann nicht geöffnet werden: Zugriff verweigert.");
    throw Error(ErrorCode::IoFailure, "Die Datei '" + path +
                                          "' kann nicht geöffnet werden: " + std::strerror(err) +
                                          ".");
}

}  // namespace

PageFile::PageFile(const std::string& path, OpenMode mode) : path_(path), mode_(mode) {
    fd_ = ::open(path.c_str(), (mode == OpenMode::Exclusive ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd_ < 0) throwOpenFailure(path, errno);
    // flock locks belong to the open file description, so a second open in this same process
    // conflicts just like one in another process.
    if (::flock(fd_, (mode == OpenMode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd_);
        if (err == EWOULDBLOCK)
            throw Error(ErrorCode::FileInUse, "Datei '" + path +
                                                  "' konnte nicht verwendet werden; sie wird "
                                                  "bereits von einem anderen Programm verwendet.");
        throwOpenFailure(path, err);
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        int err = errno;
        ::close(fd_);
        throwOpenFailure(path, err);
    }
    pageCount_ = static_cast<uint32_t>(static_cast<uint64_t>(st.st_size) / kPageSize);
}

PageFile::~PageFile() {
    if (fd_ >= 0) ::close(fd_);
}

ByteView PageFile::page(uint32_t number) {
    auto found = cache_.find(number);
    if (found != cache_.end()) return ByteView({found->second.get(), kPageSize}, number);
    if (number >= pageCount_)
        throwCorrupt(number, "Verweis auf eine Seite hinter dem Dateiende (" +
                                 std::to_string(pageCount_) + " Seiten)");
    auto buffer = std::make_unique<uint8_t[]>(kPageSize);
    size_t done = 0;
    while (done < kPageSize) {
        ssize_t n = ::pread(fd_, buffer.get() + done, kPageSize - done,
                            static_cast<off_t>(uint64_t{number} * kPageSize + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            throw Error(ErrorCode::IoFailure, "Seite " + std::to_string(number) + " der Datei '" +
                                                  path_ + "' kann nicht gelesen werden.");
        done += static_cast<size_t>(n);
    }
    auto* bytes = buffer.get();
    cache_.emplace(number, std::move(buffer));
    return ByteView({bytes, kPageSize}, number);
}

}  // namespace jet
