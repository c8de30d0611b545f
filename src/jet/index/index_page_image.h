// The entries of one index page as the index writer holds them while changing the page: full
// entries (nothing left out for the shared prefix) one after another in a flat buffer, and the
// page layout written from them.
//
// The shared prefix follows Access: a page whose entries fit whole is written without one;
// otherwise the prefix is the bytes that the first and the last entry's keys have in common.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "jet/base/bytes.h"
#include "jet/format/index_page_layout.h"
#include "jet/index/index_tree.h"
#include "jet/table/table.h"

namespace jet {

// A sequence of full entries: key, row pointer and, in node entries, the child page.
class EntryList {
  public:
    explicit EntryList(bool leaf) : pointers_(pointerSize(leaf)) {}

    static size_t pointerSize(bool leaf) {
        return index_page_layout::kRowPointerSize +
               (leaf ? 0 : index_page_layout::kChildPointerSize);
    }

    bool leaf() const { return pointers_ == pointerSize(true); }
    size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    void clear() {
        bytes_.clear();
        ends_.clear();
    }

    std::span<const uint8_t> entry(size_t i) const {
        const size_t begin = i == 0 ? 0 : ends_[i - 1];
        return {bytes_.data() + begin, ends_[i] - begin};
    }
    std::span<const uint8_t> key(size_t i) const {
        std::span<const uint8_t> e = entry(i);
        return e.first(e.size() - pointers_);
    }
    RowLocation row(size_t i) const;
    uint32_t child(size_t i) const;
    // Bytes of entries [begin, end) stored whole.
    size_t fullBytes(size_t begin, size_t end) const {
        return (end == 0 ? 0 : ends_[end - 1]) - (begin == 0 ? 0 : ends_[begin - 1]);
    }

    // Adds an entry before entry `at` (at == size() appends). `child` is ignored in leaves.
    void insert(size_t at, std::span<const uint8_t> key, RowLocation row, uint32_t child = 0);
    void append(std::span<const uint8_t> key, RowLocation row, uint32_t child = 0) {
        insert(size(), key, row, child);
    }
    // Replaces the contents with the entries of an index page of this kind, restored in full.
    // Throws when they are malformed.
    void readPage(const IndexPageLayout& layout, ByteView page);

    // First entry not less than (key, row); size() when every entry is less.
    size_t lowerBound(std::span<const uint8_t> key, RowLocation row) const;
    // First entry whose key is not less than `key`.
    size_t lowerBoundKey(std::span<const uint8_t> key) const;

  private:
    size_t pointers_;
    std::vector<uint8_t> bytes_;
    std::vector<uint32_t> ends_;  // end of each entry in bytes_
};

// The first of the positions 0 .. count-1 at which `reached` holds, or count, by binary
// search. REQUIRES: `reached` is false before that position and true from it on.
template <typename Reached>
size_t firstPosition(size_t count, Reached reached) {
    size_t low = 0, high = count;
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        if (reached(mid))
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

// Key order of the tree, then the row pointer: <0, 0 or >0 like memcmp.
int compareKeys(std::span<const uint8_t> a, std::span<const uint8_t> b);
int compareEntries(std::span<const uint8_t> keyA, RowLocation rowA, std::span<const uint8_t> keyB,
                   RowLocation rowB);

// Bytes the two keys have in common from the start.
size_t commonPrefix(std::span<const uint8_t> a, std::span<const uint8_t> b);

// The prefix length Access gives entries [begin, end) of a page laid out as `layout`.
size_t pagePrefix(const IndexPageLayout& layout, const EntryList& list, size_t begin, size_t end);
// Bytes entries [begin, end) take on a page with `prefix` left out of all but the first.
size_t storedBytes(const EntryList& list, size_t begin, size_t end, size_t prefix);

// The fields of an index page besides its entries.
struct IndexPageHeader {
    bool leaf = true;
    uint32_t tablePage = 0;
    uint32_t prevPage = 0;
    uint32_t nextPage = 0;
    uint32_t childTail = 0;
};

// Writes a whole index page: header, entries [begin, end) of `list` with `prefix`, the entry
// mask and free space; the rest of the page is zeroed. REQUIRES: the entries fit with the
// prefix, which their keys share.
void writeIndexPage(const IndexPageLayout& layout, uint8_t* page, const IndexPageHeader& header,
                    const EntryList& list, size_t begin, size_t end, size_t prefix);

// The first or last entry of a page, restored in full, into `out`; false for an empty page.
bool readFirstEntry(const IndexPageLayout& layout, ByteView page, std::vector<uint8_t>& out);
bool readLastEntry(const IndexPageLayout& layout, ByteView page, std::vector<uint8_t>& out);

// Sets the entry-mask bit for an entry ending `end` bytes into the entries.
inline void markEntryEnd(const IndexPageLayout& layout, uint8_t* page, size_t end) {
    page[layout.entryMask + end / 8] |= static_cast<uint8_t>(1u << (end % 8));
}

// Writes a row pointer (3-byte page, row) big-endian at `out`.
inline void putRowPointer(uint8_t* out, RowLocation row) {
    out[0] = static_cast<uint8_t>(row.page >> 16);
    out[1] = static_cast<uint8_t>(row.page >> 8);
    out[2] = static_cast<uint8_t>(row.page);
    out[3] = row.row;
}

}  // namespace jet
