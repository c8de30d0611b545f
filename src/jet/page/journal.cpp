#include "jet/page/journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "jet/base/errors.h"
#include "jet/base/system_error_text.h"

namespace jet {

namespace {

using namespace journal_layout;

[[noreturn]] void throwJournalFailure(const std::string& path, const std::string& what, int err) {
    throw Error(ErrorCode::IoFailure, what + " des Journals '" + path +
                                          "' ist fehlgeschlagen: " + systemErrorText(err) + ".");
}

void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void put64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t get32(const uint8_t* p) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}
uint64_t get64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

constexpr uint64_t kChecksumPrime = 0x100000001b3ull;

// A page's bytes as the machine's words: the checksum stays with the machine that wrote it.
uint64_t wordAt(const uint8_t* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// FNV-style multiply over 64-bit words in eight interleaved lanes (a flush checksums every
// saved page, so the checksum must cost far less than the writes): enough to tell a completely
// written journal from one cut short. One record at a time, so writing and reading take the
// same steps.
uint64_t checksumRecord(uint64_t hash, const uint8_t* record, size_t pageSize) {
    constexpr size_t kLanes = 8;
    uint64_t lane[kLanes];
    for (size_t k = 0; k < kLanes; ++k) lane[k] = hash + k;
    lane[0] ^= get32(record);
    const uint8_t* page = record + kRecordHeader;
    for (size_t i = 0; i < pageSize; i += 8 * kLanes) {
        for (size_t k = 0; k < kLanes; ++k)
            lane[k] = (lane[k] ^ wordAt(page + i + 8 * k)) * kChecksumPrime;
    }
    for (size_t k = 0; k < kLanes; ++k) hash = (hash ^ lane[k] ^ (lane[k] >> 29)) * kChecksumPrime;
    return hash;
}

// The checksum of journals with the first magic.
uint64_t checksumRecordFirst(uint64_t hash, const uint8_t* record, size_t pageSize) {
    constexpr size_t kLanes = 4;
    uint64_t lane[kLanes] = {hash ^ get32(record), hash + 1, hash + 2, hash + 3};
    const uint8_t* page = record + kRecordHeader;
    for (size_t i = 0; i < pageSize; i += 8 * kLanes) {
        for (size_t k = 0; k < kLanes; ++k) {
            lane[k] = (lane[k] ^ wordAt(page + i + 8 * k)) * kChecksumPrime;
            lane[k] ^= lane[k] >> 29;
        }
    }
    for (size_t k = 0; k < kLanes; ++k) hash = (hash ^ lane[k]) * kChecksumPrime;
    return hash;
}

constexpr uint64_t kChecksumStart = 0xcbf29ce484222325ull;

// False when the file ends before `size` bytes; throws on an I/O error.
bool readFully(int fd, uint8_t* data, size_t size, uint64_t offset, const std::string& path) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::pread(fd, data + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throwJournalFailure(path, "Das Lesen", errno);
        if (n == 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Returns 0 or the errno of the failed write (ENOSPC for a write that made no progress).
int writeFully(int fd, const uint8_t* data, size_t size, uint64_t offset) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return ENOSPC;
        done += static_cast<size_t>(n);
    }
    return 0;
}

struct Header {
    uint32_t pageCount = 0;
    uint32_t records = 0;
    uint64_t checksum = 0;
};

void encodeHeader(const Header& h, uint8_t* out) {
    std::memcpy(out, kMagic, sizeof kMagic);
    put32(out + 8, h.pageCount);
    put32(out + 12, h.records);
    put64(out + 16, h.checksum);
    std::memset(out + 24, 0, kHeaderSize - 24);
}

}  // namespace

Journal::Journal(std::string databasePath, size_t pageSize)
    : path_(pathFor(databasePath)), pageSize_(pageSize) {}

Journal::~Journal() {
    if (fd_ >= 0) ::close(fd_);
}

std::string Journal::pathFor(const std::string& databasePath) {
    return databasePath + "-journal";
}

bool Journal::exists(const std::string& databasePath) {
    struct stat st {};
    return ::stat(pathFor(databasePath).c_str(), &st) == 0;
}

void Journal::open() {
    if (fd_ >= 0) return;
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) throwJournalFailure(path_, "Das Anlegen", errno);
}

void Journal::save(uint32_t page, const uint8_t* bytes) {
    if (buffer_.size() < kHeaderSize) buffer_.resize(kHeaderSize);
    uint8_t number[kRecordHeader];
    put32(number, page);
    buffer_.insert(buffer_.end(), number, number + kRecordHeader);
    buffer_.insert(buffer_.end(), bytes, bytes + pageSize_);
}

void Journal::begin(int databaseFd, uint32_t pageCountOnDisk, std::span<const uint32_t> pages) {
    open();
    if (buffer_.size() < kHeaderSize) buffer_.resize(kHeaderSize);
    // One write puts a void header and the records in place, a second makes the header valid:
    // records being rewritten never pass for a valid journal.
    std::memset(buffer_.data(), 0, kHeaderSize);
    for (uint32_t page : pages) {
        if (page >= pageCountOnDisk) continue;
        const size_t at = buffer_.size();
        buffer_.resize(at + kRecordHeader + pageSize_);
        uint8_t* record = buffer_.data() + at;
        put32(record, page);
        if (!readFully(databaseFd, record + kRecordHeader, pageSize_, uint64_t{page} * pageSize_,
                       path_))
            throwCorrupt(page, "die Datei endet mitten in der Seite");
    }
    Header h{pageCountOnDisk, 0, kChecksumStart};
    for (size_t at = kHeaderSize; at < buffer_.size(); at += kRecordHeader + pageSize_) {
        h.checksum = checksumRecord(h.checksum, buffer_.data() + at, pageSize_);
        ++h.records;
    }
    if (int err = writeFully(fd_, buffer_.data(), buffer_.size(), 0))
        throwJournalFailure(path_, "Das Schreiben", err);
    uint8_t header[kHeaderSize];
    encodeHeader(h, header);
    if (int err = writeFully(fd_, header, sizeof header, 0))
        throwJournalFailure(path_, "Das Schreiben", err);
}

void Journal::commit() {
    buffer_.resize(kHeaderSize);
    if (fd_ < 0) return;
    const uint8_t voidMagic[sizeof kMagic] = {};
    if (int err = writeFully(fd_, voidMagic, sizeof voidMagic, 0))
        throwJournalFailure(path_, "Das Abschließen", err);
}

void Journal::remove() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (::unlink(path_.c_str()) != 0 && errno != ENOENT)
        throwJournalFailure(path_, "Das Löschen", errno);
}

bool Journal::recover(const std::string& databasePath, int databaseFd, size_t pageSize) {
    const std::string path = pathFor(databasePath);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return false;
        throwJournalFailure(path, "Das Öffnen", errno);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    uint8_t header[kHeaderSize];
    bool valid = readFully(fd, header, sizeof header, 0, path);
    const bool first = valid && std::memcmp(header, kMagicFirst, sizeof kMagicFirst) == 0;
    valid = valid && (first || std::memcmp(header, kMagic, sizeof kMagic) == 0);
    const auto checksum = first ? checksumRecordFirst : checksumRecord;
    const Header h{get32(header + 8), get32(header + 12), get64(header + 16)};
    const size_t recordSize = kRecordHeader + pageSize;
    std::vector<uint8_t> records;
    if (valid) {
        records.resize(size_t{h.records} * recordSize);
        valid = readFully(fd, records.data(), records.size(), kHeaderSize, path);
        uint64_t sum = kChecksumStart;
        for (size_t i = 0; valid && i < h.records; ++i)
            sum = checksum(sum, records.data() + i * recordSize, pageSize);
        valid = valid && sum == h.checksum;
    }
    if (valid) {
        for (size_t i = 0; i < h.records; ++i) {
            const uint8_t* record = records.data() + i * recordSize;
            if (int err = writeFully(databaseFd, record + kRecordHeader, pageSize,
                                     uint64_t{get32(record)} * pageSize))
                throwJournalFailure(path, "Das Zurückschreiben", err);
        }
        if (::ftruncate(databaseFd, static_cast<off_t>(uint64_t{h.pageCount} * pageSize)) != 0 ||
            ::fdatasync(databaseFd) != 0)
            throwJournalFailure(path, "Das Zurückschreiben", errno);
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        throwJournalFailure(path, "Das Löschen", errno);
    return valid;
}

}  // namespace jet
