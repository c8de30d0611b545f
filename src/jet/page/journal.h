// The rollback journal that makes every flush of a database file all or nothing.
//
// Before flush() overwrites pages that are already in the file, their old bytes go into
// "<file>-journal", followed by a header that makes the journal valid; only then are the
// database pages written, and when every one of them is written the journal is voided. A
// process killed anywhere in between leaves a valid journal: the next opener rolls it back,
// putting the old bytes back and cutting off the pages appended since, so the file is as it was
// after the last completed flush. A journal whose header was never completed is void.
//
// Against a killed process this needs no fsync: the operating system keeps what was written.
// Durability against power loss comes from PageFile::sync, called where the caller wants it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace jet {

namespace journal_layout {
inline constexpr char kMagic[8] = {'J', 'E', 'T', 'J', 'R', 'N', 'L', '2'};
// Journals of the first builds: the same layout with a slower checksum; still rolled back.
inline constexpr char kMagicFirst[8] = {'J', 'E', 'T', 'J', 'R', 'N', 'L', '1'};
inline constexpr size_t kHeaderSize = 32;   // magic, page count, record count, checksum
inline constexpr size_t kRecordHeader = 4;  // the page number before the page's bytes
}  // namespace journal_layout

class Journal {
  public:
    // Journals the pages of `databasePath`, each `pageSize` bytes.
    Journal(std::string databasePath, size_t pageSize);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    static std::string pathFor(const std::string& databasePath);

    // Keeps `bytes`, the caller's copy of what `page` holds in the file, for the next begin():
    // a page saved this way need not be read back from the file.
    void save(uint32_t page, const uint8_t* bytes);
    // Saves the current bytes of `pages` (read from `databaseFd`; those at or past
    // `pageCountOnDisk` are new and need none), adds those given to save(), and makes the
    // journal valid. Throws Error (IoFailure, also for a full disk) with the journal void and
    // the file untouched.
    void begin(int databaseFd, uint32_t pageCountOnDisk, std::span<const uint32_t> pages);
    // Voids the journal: the flush is complete. Saved pages are forgotten.
    void commit();
    // Deletes the journal file; for a clean close.
    void remove();

    // Rolls back a valid journal of `databasePath`, whose pages are `pageSize` bytes, into
    // `databaseFd` (opened for writing and locked exclusively) and deletes it. Returns whether
    // there was anything to roll back. Throws Error when the roll-back itself fails; the journal
    // then stays for the next try.
    static bool recover(const std::string& databasePath, int databaseFd, size_t pageSize);
    // Whether a journal file lies beside `databasePath`, valid or not.
    static bool exists(const std::string& databasePath);

  private:
    void open();
    std::string path_;
    size_t pageSize_;
    int fd_ = -1;
    // The journal's bytes of one flush: room for the header, then the records. Kept for the
    // next flush.
    std::vector<uint8_t> buffer_;
};

}  // namespace jet
