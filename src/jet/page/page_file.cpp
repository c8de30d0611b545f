#include "jet/page/page_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "jet/base/system_error_text.h"
#include "jet/page/background_sync.h"
#include "jet/page/header.h"

namespace jet {

namespace {

// A whole trim's pages: a row loop appends pages steadily and trims a quarter of the cache at a
// time, so buffers handed back to the allocator would mostly be fresh memory again at the next
// append, faulted in and zeroed by the system page by page.
constexpr size_t kMaxSpareBuffers = PageFile::kDefaultCachePages / 4;
// Pages one write call takes; well below any system's limit of parts (IOV_MAX).
constexpr size_t kMaxPagesPerWrite = 64;
// Written bytes after which the kernel is asked to start putting them on disk.
constexpr size_t kWriteBackBytes = size_t{8} << 20;
// Written bytes after which a sync starts beside the writer: the device's cache is emptied a
// part at a time, not all at the end of a table (about 0.1 s for 200 MB, measured here).
constexpr size_t kBackgroundSyncBytes = size_t{32} << 20;

[[noreturn]] void throwOpenFailure(const std::string& path, int err) {
    if (err == ENOENT || err == ENOTDIR)
        throw Error(ErrorCode::FileNotFound, "Datei '" + path + "' nicht gefunden.");
    if (err == EACCES || err == EPERM || err == EROFS)
        throw Error(ErrorCode::FileAccessDenied,
                    "Die Datei '" + path + "' kann nicht geöffnet werden: Zugriff verweigert.");
    throw Error(ErrorCode::IoFailure, "Die Datei '" + path + "' kann nicht geöffnet werden: " +
                                          systemErrorText(err) + ".");
}

// The format page 0 names, with its code page; Jet 4 for a file that names none (too short, no
// Jet header) or a version this engine does not know: reading its header refuses those with
// their own message.
Format formatOnDisk(int fd) {
    using namespace header_layout;
    static const char kJet[] = "Standard Jet DB";
    static const char kAce[] = "Standard ACE DB";
    uint8_t start[kCodePage + 2] = {};
    if (::pread(fd, start, sizeof start, 0) != ssize_t(sizeof start)) return kJet4Format;
    if (std::memcmp(start + kEngineName, kJet, sizeof kJet - 1) != 0 &&
        std::memcmp(start + kEngineName, kAce, sizeof kAce - 1) != 0)
        return kJet4Format;
    const Format* known = formatForVersion(start[kVersion]);
    if (!known) return kJet4Format;
    Format format = *known;
    const auto& mask = headerMask();
    const size_t at = kCodePage - kMaskedStart;
    format.codePage = static_cast<uint16_t>((start[kCodePage] ^ mask[at]) |
                                            (start[kCodePage + 1] ^ mask[at + 1]) << 8);
    return format;
}

[[noreturn]] void throwIoFailure(const std::string& path, const std::string& what, int err) {
    throw Error(ErrorCode::IoFailure, what + " der Datei '" + path +
                                          "' ist fehlgeschlagen: " + systemErrorText(err) + ".");
}

}  // namespace

void throwDatabaseFull(const PageFile& file) {
    const uint64_t bytes = uint64_t{file.format().limits.maxPages} * file.pageSize();
    throw Error(ErrorCode::DatabaseFull, "Die Datenbank '" + file.path() +
                                             "' hat die Höchstgröße von " +
                                             std::to_string(bytes >> 30) + " GB erreicht.");
}

PageFile::PageFile(const std::string& path, OpenMode mode) : path_(path), mode_(mode) {
    if (mode == OpenMode::ReadOnly && Journal::exists(path)) recoverBeforeOpen();
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
    // The version byte is never rolled back: a journal holds pages of this same format.
    format_ = formatOnDisk(fd_);
    pageSize_ = format_.pageSize;
    if (mode == OpenMode::Exclusive) {
        try {
            recovered_ = Journal::recover(path, fd_, pageSize_);
        } catch (...) {
            ::close(fd_);
            throw;
        }
        journal_ = std::make_unique<Journal>(path, pageSize_);
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        int err = errno;
        ::close(fd_);
        throwOpenFailure(path, err);
    }
    pageCount_ = static_cast<uint32_t>(
        std::min<uint64_t>(static_cast<uint64_t>(st.st_size) / pageSize_, format_.limits.maxPages));
    pageLimit_ = format_.limits.maxPages;
    pageCountOnDisk_ = pageCount_;
}

// A reader cannot roll back through its shared lock, so it does so first, holding the file
// alone for that moment as a writer would.
void PageFile::recoverBeforeOpen() {
    int fd = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM || errno == EROFS)
            throw Error(ErrorCode::FileAccessDenied,
                        "Die Datei '" + path_ +
                            "' muss nach einem abgebrochenen Schreibvorgang wiederhergestellt "
                            "werden, ist aber schreibgeschützt.");
        throwOpenFailure(path_, errno);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return;  // a writer is at work; the open below says so
    recovered_ = Journal::recover(path_, fd, formatOnDisk(fd).pageSize);
}

PageFile::~PageFile() {
    close();
}

void PageFile::close() {
    backgroundSync_.reset();  // its thread uses the descriptor
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    // Unflushed pages are dropped, so the file is as the last flush left it: the journal is
    // void and goes.
    if (journal_) {
        auto journal = std::move(journal_);
        try {
            journal->remove();
        } catch (const Error&) {
            // It is void: the next opener finds nothing to roll back and removes it.
        }
    }
    forgetCache();
}

void PageFile::forgetCache() {
    cache_.clear();
    forgetRecent();
    dirty_.clear();
}

PageFile::CachedPage& PageFile::cached(uint32_t number, std::unique_ptr<uint8_t[]> bytes) {
    CachedPage& page = cache_[number];
    page.bytes = std::move(bytes);
    page.lastUse = ++useClock_;
    return remember(number, page);
}

PageFile::CachedPage& PageFile::remember(uint32_t number, CachedPage& page) {
    recent_[nextRecent_] = {number, &page};
    nextRecent_ = (nextRecent_ + 1) % kRecentPages;
    return page;
}

PageFile::CachedPage& PageFile::load(uint32_t number) {
    for (const RecentPage& recent : recent_) {
        if (recent.page && recent.number == number) {
            recent.page->lastUse = ++useClock_;
            return *recent.page;
        }
    }
    return find(number);
}

PageFile::CachedPage& PageFile::find(uint32_t number) {
    if (fd_ < 0) throw Error(ErrorCode::ObjectClosed, "Die Datei '" + path_ + "' ist geschlossen.");
    auto found = cache_.find(number);
    if (found != cache_.end()) {
        found->second.lastUse = ++useClock_;
        return remember(number, found->second);
    }
    if (number >= pageCount_)
        throwCorrupt(number, "Verweis auf eine Seite hinter dem Dateiende (" +
                                 std::to_string(pageCount_) + " Seiten)");
    auto buffer = freshBuffer();
    size_t done = 0;
    while (done < pageSize_) {
        ssize_t n = ::pread(fd_, buffer.get() + done, pageSize_ - done,
                            static_cast<off_t>(uint64_t{number} * pageSize_ + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throwIoFailure(path_, "Das Lesen von Seite " + std::to_string(number), errno);
        if (n == 0) throwCorrupt(number, "die Datei endet mitten in der Seite");
        done += static_cast<size_t>(n);
    }
    return cached(number, std::move(buffer));
}

std::unique_ptr<uint8_t[]> PageFile::freshBuffer() {
    // Every caller fills the whole page (a read, or zeroes for a new one).
    if (spare_.empty()) return std::make_unique_for_overwrite<uint8_t[]>(pageSize_);
    auto buffer = std::move(spare_.back());
    spare_.pop_back();
    return buffer;
}

ByteView PageFile::page(uint32_t number) {
    return ByteView({load(number).bytes.get(), pageSize_}, number);
}

void PageFile::requireWritable() const {
    if (mode_ != OpenMode::Exclusive)
        throw Error(ErrorCode::FileAccessDenied,
                    "Die Datei '" + path_ + "' ist nur zum Lesen geöffnet.");
    if (failed_)
        throw Error(ErrorCode::IoFailure, "Die Datei '" + path_ +
                                              "' nimmt nach einem Schreibfehler keine "
                                              "Änderungen mehr an.");
}

uint8_t* PageFile::writablePage(uint32_t number) {
    if (mode_ != OpenMode::Exclusive || failed_) requireWritable();
    CachedPage& page = load(number);
    if (!page.dirty) {
        // A clean page holds what the file holds: the journal keeps that copy, so the flush
        // need not read it back.
        if (number < pageCountOnDisk_) journal_->save(number, page.bytes.get());
        page.dirty = true;
        dirty_.push_back(number);
    }
    return page.bytes.get();
}

uint32_t PageFile::appendPage() {
    requireWritable();
    if (pageCount_ >= pageLimit_) throwDatabaseFull(*this);
    uint32_t number = pageCount_++;
    auto buffer = freshBuffer();
    std::memset(buffer.get(), 0, pageSize_);
    cached(number, std::move(buffer));
    writablePage(number);
    return number;
}

void PageFile::flush() {
    if (dirty_.empty()) return;
    requireWritable();
    std::sort(dirty_.begin(), dirty_.end());
    journal_->begin(fd_, pageCountOnDisk_, {});  // every page's old bytes are saved already
    try {
        writeDirtyPages();
        journal_->commit();
    } catch (const Error&) {
        rollBackFailedFlush();
        throw;
    }
    for (uint32_t number : dirty_) cache_.at(number).dirty = false;
    pageCountOnDisk_ = pageCount_;
    startWriteBack(dirty_.size() * pageSize_);
    dirty_.clear();
}

// Left alone, the kernel keeps a file of a few hundred megabytes in memory until sync() and
// only then writes it all, while the writer waits. Started every few megabytes, the writing
// goes on beside the work. Only a hint: its failure changes nothing.
void PageFile::startWriteBack(size_t written) {
    notWrittenBack_ += written;
    notSynced_ += written;
    if (notWrittenBack_ < kWriteBackBytes) return;
    notWrittenBack_ = 0;
    ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
    if (notSynced_ < kBackgroundSyncBytes) return;
    notSynced_ = 0;
    if (!backgroundSync_) backgroundSync_ = std::make_unique<BackgroundSync>(fd_);
    backgroundSync_->request();
}

// Runs of neighbouring pages go out in one call each: a flush writes the pages appended since
// the last one, which lie side by side.
void PageFile::writeDirtyPages() {
    for (size_t first = 0; first < dirty_.size();) {
        size_t count = 1;
        while (first + count < dirty_.size() && count < kMaxPagesPerWrite &&
               dirty_[first + count] == dirty_[first] + count)
            ++count;
        writePages(first, count);
        first += count;
    }
}

void PageFile::writePages(size_t first, size_t count) {
    iovec parts[kMaxPagesPerWrite];
    for (size_t i = 0; i < count; ++i)
        parts[i] = {cache_.at(dirty_[first + i]).bytes.get(), pageSize_};
    const uint32_t number = dirty_[first];
    const size_t total = count * pageSize_;
    size_t done = 0;
    while (done < total) {
        // After a short write, the rest from where it stopped.
        const size_t part = done / pageSize_, within = done % pageSize_;
        iovec* rest = parts + part;
        rest->iov_base = static_cast<uint8_t*>(rest->iov_base) + within;
        rest->iov_len -= within;
        ssize_t n = ::pwritev(fd_, rest, static_cast<int>(count - part),
                              static_cast<off_t>(uint64_t{number} * pageSize_ + done));
        rest->iov_base = static_cast<uint8_t*>(rest->iov_base) - within;
        rest->iov_len += within;
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            throwIoFailure(path_, "Das Schreiben von Seite " + std::to_string(number + part),
                           n < 0 ? errno : ENOSPC);
        done += static_cast<size_t>(n);
    }
}

// The cache holds the changes that could not be written; it is dropped with them, and the
// file goes back to the last completed flush. Should the roll-back fail too, the journal stays
// for the next opener.
void PageFile::rollBackFailedFlush() {
    failed_ = true;
    forgetCache();
    pageCount_ = pageCountOnDisk_;
    try {
        Journal::recover(path_, fd_, pageSize_);
        journal_ = std::make_unique<Journal>(path_, pageSize_);
    } catch (const Error&) {
        journal_.reset();  // keeps the journal file for the next opener
    }
}

void PageFile::sync() {
    if (mode_ != OpenMode::Exclusive) return;
    const int backgroundError = backgroundSync_ ? backgroundSync_->wait() : 0;
    notSynced_ = 0;
    if (::fdatasync(fd_) != 0) throwIoFailure(path_, "Das Sichern", errno);
    if (backgroundError != 0) throwIoFailure(path_, "Das Sichern", backgroundError);
}

void PageFile::trimCache(size_t keepPages) {
    if (cache_.size() <= keepPages) return;
    std::vector<std::pair<uint64_t, uint32_t>> clean;  // last use, page number
    clean.reserve(cache_.size());
    for (const auto& [number, page] : cache_)
        if (!page.dirty) clean.emplace_back(page.lastUse, number);
    const size_t target = keepPages - keepPages / 4;
    const size_t drop = std::min(clean.size(), cache_.size() - target);
    std::nth_element(clean.begin(), clean.begin() + static_cast<std::ptrdiff_t>(drop), clean.end());
    forgetRecent();
    for (size_t i = 0; i < drop; ++i) {
        auto it = cache_.find(clean[i].second);
        if (spare_.size() < kMaxSpareBuffers) spare_.push_back(std::move(it->second.bytes));
        cache_.erase(it);
    }
}

}  // namespace jet
