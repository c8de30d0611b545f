// A leaf page's entries read where they lie: the ends from the entry mask, each entry compared
// without restoring its shared prefix, and a new entry put in place by moving the bytes after
// it, so that an insert costs the entry and the bytes behind it instead of the whole page.
//
// The page keeps the prefix it has. That stays the prefix Access gives the page (see
// index_page_image.h) as long as the entries do not fit whole and the new entry shares it;
// anything else (a page without prefix growing past its capacity, a new first or last entry
// that shares less, a page that overflows) is left to the caller, who rebuilds or splits it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "jet/base/bytes.h"
#include "jet/index/index_tree.h"
#include "jet/table/table.h"

namespace jet {

class LeafEntries {
  public:
    // Reads the entry ends and the prefix of a leaf page; the page must stay in place while
    // this is used. Throws when they are malformed.
    void read(const IndexPageLayout& layout, ByteView page);
    // Points at the page read last, now at `page`'s place in memory (it may have been loaded
    // anew); what was read and inserted since stays.
    void rebase(ByteView page);

    size_t size() const { return count_; }
    size_t prefix() const { return prefix_; }
    size_t storedBytes() const { return count_ == 0 ? 0 : ends_[count_ - 1]; }
    // The entries without prefix compression.
    size_t fullBytes() const { return count_ == 0 ? 0 : storedBytes() + prefix_ * (count_ - 1); }

    // Like compareKeys(key, key of entry i).
    int compareKey(size_t i, std::span<const uint8_t> key) const;
    // Like compareEntries(key, row, entry i).
    int compare(size_t i, std::span<const uint8_t> key, RowLocation row) const;
    bool keyEquals(size_t i, std::span<const uint8_t> key) const { return compareKey(i, key) == 0; }
    RowLocation row(size_t i) const;
    // Entry i's key restored in full into `out`.
    void key(size_t i, std::vector<uint8_t>& out) const;

    // First entry not less than (key, row); size() when every entry is less.
    size_t lowerBound(std::span<const uint8_t> key, RowLocation row) const;
    // The same, found with two comparisons when `hint` is the answer (an entry of a run
    // going in right after the one before it); any hint gives the right answer.
    size_t lowerBoundFrom(std::span<const uint8_t> key, RowLocation row, size_t hint) const;
    // First entry whose key is not less than `key`.
    size_t lowerBoundKey(std::span<const uint8_t> key) const;

    // Puts the entry (key, row) before entry `at` on `page`, which must be the page read, and
    // keeps the entry mask and free space right. Returns false, changing nothing, when the page
    // must be rebuilt or split instead.
    bool insert(uint8_t* page, size_t at, std::span<const uint8_t> key, RowLocation row);

  private:
    size_t begin(size_t i) const { return i == 0 ? 0 : ends_[i - 1]; }
    // Bytes entry i leaves out: the prefix, taken from the first entry.
    size_t skipped(size_t i) const { return i == 0 ? 0 : prefix_; }
    size_t fullLength(size_t i) const { return ends_[i] - begin(i) + skipped(i); }
    // Byte j of entry i restored in full.
    uint8_t fullByte(size_t i, size_t j) const {
        return j < skipped(i) ? entries_[j] : entries_[begin(i) + j - skipped(i)];
    }
    bool sharesPrefix(std::span<const uint8_t> key) const;

    const IndexPageLayout* layout_ = nullptr;  // of the page read last
    const uint8_t* entries_ = nullptr;
    uint32_t page_ = 0;
    size_t prefix_ = 0;
    // End of each entry, counted from the first entry's start. An entry ends at each bit of
    // the mask at most, so the mask's bits bound the count.
    std::array<uint16_t, index_page_layout::kMaxEntryMaskSize * 8> ends_;
    size_t count_ = 0;
};

}  // namespace jet
