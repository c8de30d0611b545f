// The database file as numbered pages of its format's size. The only place that touches the file.
//
// A file opened for writing is held exclusively: a second opener, in this process or another,
// is refused. A read-only opener shares the file with other readers but not with a writer.
//
// Pages are cached. A page changed through writablePage() is dirty until flush() writes it;
// dirty pages are never dropped from the cache. Clean pages are dropped only by trimCache(),
// least recently used first, so a ByteView or pointer into a page stays valid until the next
// trimCache() call: callers trim at points where they hold no page, such as between rows.
//
// Every flush is all or nothing (see journal.h): a writer killed in the middle of one leaves a
// journal that the next opener rolls back. A flush that fails (a full disk, an I/O error) is
// rolled back at once; the file then stays as it was after the last completed flush, and this
// object refuses further changes.
//
// Threads: one thread at a time; nothing here locks. A background sync runs on a thread of its
// own, which only syncs the file (background_sync.h).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "jet/base/bytes.h"
#include "jet/format/format.h"
#include "jet/page/journal.h"

namespace jet {

class BackgroundSync;

enum class OpenMode { ReadOnly, Exclusive };

class PageFile {
  public:
    // Rolls back the journal a killed writer left, then opens the file. Throws Error
    // (FileNotFound, FileAccessDenied, FileInUse, IoFailure).
    PageFile(const std::string& path, OpenMode mode);
    // Dirty pages not flushed are lost: a writer flushes before it lets go.
    ~PageFile();
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    const std::string& path() const { return path_; }
    OpenMode mode() const { return mode_; }
    // The file's format, chosen from page 0 when it was opened (Jet 4 for an empty file).
    const Format& format() const { return format_; }
    uint32_t pageSize() const { return pageSize_; }
    // Pages in the file, appended ones included.
    uint32_t pageCount() const { return pageCount_; }

    // The page's bytes. Throws when the page lies past the end.
    ByteView page(uint32_t number);

    // The page's bytes for changing; marks the page dirty. REQUIRES: opened Exclusive.
    uint8_t* writablePage(uint32_t number);

    // Appends a zero-filled page and returns its number. Throws DatabaseFull when the file
    // would pass its page limit. REQUIRES: opened Exclusive.
    uint32_t appendPage();

    // The most pages the file may grow to: the format's limit unless lowered, which lets the
    // behaviour at the limit be exercised without a 2 GiB file.
    uint32_t pageLimit() const { return pageLimit_; }
    void setPageLimit(uint32_t pages) { pageLimit_ = std::min(pages, format_.limits.maxPages); }

    // Writes every dirty page to the file (in page order), then marks them clean. Throws
    // Error when a write fails; the file is rolled back to the last completed flush then.
    // Every few dozen megabytes flushed, a sync starts on a thread of its own (see
    // background_sync.h), so that sync() finds little left to wait for.
    void flush();
    // Makes what flush() wrote durable. Throws Error (IoFailure) when this sync or a background
    // sync since the last call failed.
    void sync();

    // Lets go of the file and its lock; dirty pages not flushed are dropped. Any later use
    // throws ObjectClosed.
    void close();

    size_t dirtyPageCount() const { return dirty_.size(); }
    // Whether opening this file rolled back an interrupted flush.
    bool recovered() const { return recovered_; }
    // When the cache holds more than `keepPages` pages, drops the clean pages used least
    // recently until it holds three quarters of that: the pages a run keeps coming back to
    // (usage maps, the upper index levels, the page being filled) stay.
    void trimCache(size_t keepPages = kDefaultCachePages);

    static constexpr size_t kDefaultCachePages = 2048;  // 8 MiB of Jet 4 pages

  private:
    struct CachedPage {
        std::unique_ptr<uint8_t[]> bytes;
        bool dirty = false;
        uint64_t lastUse = 0;  // useClock_ when last looked up
    };
    CachedPage& load(uint32_t number);
    CachedPage& find(uint32_t number);  // load() past the recent pages
    CachedPage& remember(uint32_t number, CachedPage& page);
    void forgetRecent() { recent_.fill({}); }
    CachedPage& cached(uint32_t number, std::unique_ptr<uint8_t[]> bytes);
    void forgetCache();
    std::unique_ptr<uint8_t[]> freshBuffer();
    void requireWritable() const;
    void recoverBeforeOpen();
    void writeDirtyPages();
    void startWriteBack(size_t written);
    void writePages(size_t first, size_t count);
    void rollBackFailedFlush();

    std::string path_;
    OpenMode mode_;
    int fd_ = -1;
    uint32_t pageCount_ = 0;
    uint32_t pageCountOnDisk_ = 0;  // as of the last completed flush
    Format format_ = kJet4Format;
    uint32_t pageSize_ = kJet4PageSize;
    uint32_t pageLimit_ = kJet4Format.limits.maxPages;
    std::unique_ptr<Journal> journal_;  // writers only
    bool recovered_ = false;
    bool failed_ = false;                             // a flush failed and was rolled back
    std::unordered_map<uint32_t, CachedPage> cache_;  // elements stay in place until erased
    // The pages looked up last, newest replacing oldest: a row touches the same few pages (its
    // data page, a leaf of each index, usage maps, the table's definition) again and again,
    // and a look here is cheaper than one in cache_. The entries point into cache_, whose
    // elements stay in place; every drop from cache_ clears them.
    struct RecentPage {
        uint32_t number = 0;
        CachedPage* page = nullptr;
    };
    static constexpr size_t kRecentPages = 8;
    std::array<RecentPage, kRecentPages> recent_{};
    size_t nextRecent_ = 0;
    uint64_t useClock_ = 0;
    // Buffers of dropped pages, reused: a page-sized allocation per page read or appended
    // would make the allocator sort its free lists again and again.
    std::vector<std::unique_ptr<uint8_t[]>> spare_;
    std::vector<uint32_t> dirty_;  // in the order first changed; each page once
    size_t notWrittenBack_ = 0;    // bytes flushed since the kernel was last asked to write
    size_t notSynced_ = 0;         // bytes flushed since a sync was last started
    // Started with the first background sync; gone before the file is closed.
    std::unique_ptr<BackgroundSync> backgroundSync_;
};

// Throws DatabaseFull for `file`, naming its format's size limit.
[[noreturn]] void throwDatabaseFull(const PageFile& file);

}  // namespace jet
