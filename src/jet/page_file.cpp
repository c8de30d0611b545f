#include "jet/page_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
    throw Error(ErrorCode::IoFailure,
                "Die Datei '" + path + "' kann nicht geöffnet werden: " + std::strerror(err) + ".");
}

[[noreturn]] void throwIoFailure(const std::string& path, const std::string& what, int err) {
    throw Error(ErrorCode::IoFailure,
                what + " der Datei '" + path + "' ist fehlgeschlagen: " + std::strerror(err) + ".");
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
    pageCount_ = static_cast<uint32_t>(
        std::min<uint64_t>(static_cast<uint64_t>(st.st_size) / kPageSize, kMaxPages));
}

PageFile::~PageFile() {
    if (fd_ >= 0) ::close(fd_);
}

void PageFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    cache_.clear();
    dirty_.clear();
    dirtySet_.clear();
}

uint8_t* PageFile::load(uint32_t number) {
    if (fd_ < 0) throw Error(ErrorCode::ObjectClosed, "Die Datei '" + path_ + "' ist geschlossen.");
    auto found = cache_.find(number);
    if (found != cache_.end()) return found->second.get();
    if (number >= pageCount_)
        throwCorrupt(number, "Verweis auf eine Seite hinter dem Dateiende (" +
                                 std::to_string(pageCount_) + " Seiten)");
    auto buffer = std::make_unique<uint8_t[]>(kPageSize);
    size_t done = 0;
    while (done < kPageSize) {
        ssize_t n = ::pread(fd_, buffer.get() + done, kPageSize - done,
                            static_cast<off_t>(uint64_t{number} * kPageSize + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throwIoFailure(path_, "Das Lesen von Seite " + std::to_string(number), errno);
        if (n == 0) throwCorrupt(number, "die Datei endet mitten in der Seite");
        done += static_cast<size_t>(n);
    }
    auto* bytes = buffer.get();
    cache_.emplace(number, std::move(buffer));
    return bytes;
}

ByteView PageFile::page(uint32_t number) {
    return ByteView({load(number), kPageSize}, number);
}

void PageFile::requireWritable() const {
    if (mode_ != OpenMode::Exclusive)
        throw Error(ErrorCode::FileAccessDenied,
                    "Die Datei '" + path_ + "' ist nur zum Lesen geöffnet.");
}

uint8_t* PageFile::writablePage(uint32_t number) {
    requireWritable();
    uint8_t* bytes = load(number);
    if (dirtySet_.insert(number).second) dirty_.push_back(number);
    return bytes;
}

uint32_t PageFile::appendPage() {
    requireWritable();
    if (pageCount_ >= kMaxPages)
        throw Error(ErrorCode::DatabaseFull,
                    "Die Datenbank '" + path_ + "' hat die Höchstgröße von 2 GB erreicht.");
    uint32_t number = pageCount_++;
    cache_[number] = std::make_unique<uint8_t[]>(kPageSize);  // zero-filled
    writablePage(number);
    return number;
}

void PageFile::flush() {
    if (dirty_.empty()) return;
    std::sort(dirty_.begin(), dirty_.end());
    for (uint32_t number : dirty_) {
        const uint8_t* bytes = cache_.at(number).get();
        size_t done = 0;
        while (done < kPageSize) {
            ssize_t n = ::pwrite(fd_, bytes + done, kPageSize - done,
                                 static_cast<off_t>(uint64_t{number} * kPageSize + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0)
                throwIoFailure(path_, "Das Schreiben von Seite " + std::to_string(number),
                               n < 0 ? errno : ENOSPC);
            done += static_cast<size_t>(n);
        }
    }
    dirty_.clear();
    dirtySet_.clear();
}

void PageFile::sync() {
    if (mode_ == OpenMode::Exclusive && ::fdatasync(fd_) != 0)
        throwIoFailure(path_, "Das Sichern", errno);
}

void PageFile::trimCache(size_t keepPages) {
    if (cache_.size() <= keepPages) return;
    for (auto it = cache_.begin(); it != cache_.end() && cache_.size() > keepPages;) {
        if (dirtySet_.count(it->first))
            ++it;
        else
            it = cache_.erase(it);
    }
}

}  // namespace jet
