#include "jet/index/index_leaf_page.h"

#include <algorithm>
#include <cstring>

#include "jet/index/index_page_image.h"

namespace jet {

using namespace index_page_layout;

void LeafEntries::read(const IndexPageLayout& layout, ByteView page) {
    layout_ = &layout;
    page_ = page.page();
    entries_ = page.sub(layout.entries, layout.entryCapacity).data();
    prefix_ = layout.prefixOf(page.data());
    // Every insert reads a leaf this way: the mask is scanned a word at a time.
    const uint8_t* mask = page.sub(layout.entryMask, layout.entryMaskSize).data();
    size_t count = 0;
    for (size_t at = 0; at < layout.entryMaskSize; at += sizeof(uint64_t)) {
        uint64_t bits = 0;
        std::memcpy(&bits, mask + at, std::min(sizeof bits, layout.entryMaskSize - at));
        while (bits != 0) {
            const auto bit = static_cast<size_t>(__builtin_ctzll(bits));
            ends_[count++] = static_cast<uint16_t>(at * 8 + bit);
            bits &= bits - 1;
        }
    }
    count_ = count;
    if (count == 0) return;
    if (ends_[count - 1] > layout.entryCapacity)
        throwCorrupt(page_, "Indexeintrag über das Seitenende");
    if (ends_.front() < std::max(prefix_, kRowPointerSize))
        throwCorrupt(page_, "gemeinsamer Anfang länger als der erste Indexeintrag");
    if (prefix_ < kRowPointerSize - 1) {  // else every entry is long enough
        for (size_t i = 1; i < count; ++i)
            if (fullLength(i) < kRowPointerSize) throwCorrupt(page_, "Indexeintrag zu kurz");
    }
}

void LeafEntries::rebase(ByteView page) {
    if (page.page() != page_) throwCorrupt(page.page(), "andere Blattseite erwartet");
    const IndexPageLayout& layout = *layout_;
    entries_ = page.sub(layout.entries, layout.entryCapacity).data();
}

int LeafEntries::compareKey(size_t i, std::span<const uint8_t> key) const {
    const size_t length = fullLength(i) - kRowPointerSize;
    const size_t n = std::min(key.size(), length);
    // The first `skip` bytes are the first entry's, the rest entry i's own.
    const size_t skip = std::min(n, skipped(i));
    if (skip != 0) {
        if (int c = std::memcmp(key.data(), entries_, skip); c != 0) return c;
    }
    if (n > skip) {
        if (int c = std::memcmp(key.data() + skip, entries_ + begin(i), n - skip); c != 0) return c;
    }
    return key.size() < length ? -1 : key.size() > length ? 1 : 0;
}

RowLocation LeafEntries::row(size_t i) const {
    const size_t length = fullLength(i);
    uint8_t pointer[kRowPointerSize];
    for (size_t j = 0; j < kRowPointerSize; ++j)
        pointer[j] = fullByte(i, length - kRowPointerSize + j);
    return {uint32_t{pointer[0]} << 16 | uint32_t{pointer[1]} << 8 | pointer[2], pointer[3]};
}

int LeafEntries::compare(size_t i, std::span<const uint8_t> key, RowLocation row) const {
    if (int c = compareKey(i, key); c != 0) return c;
    const RowLocation other = this->row(i);
    return row < other ? -1 : other < row ? 1 : 0;
}

void LeafEntries::key(size_t i, std::vector<uint8_t>& out) const {
    const size_t length = fullLength(i) - kRowPointerSize;
    out.resize(length);
    for (size_t j = 0; j < length; ++j) out[j] = fullByte(i, j);
}

size_t LeafEntries::lowerBound(std::span<const uint8_t> key, RowLocation row) const {
    return firstPosition(size(), [&](size_t i) { return compare(i, key, row) <= 0; });
}

size_t LeafEntries::lowerBoundFrom(std::span<const uint8_t> key, RowLocation row,
                                   size_t hint) const {
    // The hint is the lower bound when the entry before it is less and the one at it is not.
    if (hint <= count_ && (hint == 0 || compare(hint - 1, key, row) > 0) &&
        (hint == count_ || compare(hint, key, row) <= 0))
        return hint;
    return lowerBound(key, row);
}

size_t LeafEntries::lowerBoundKey(std::span<const uint8_t> key) const {
    return firstPosition(size(), [&](size_t i) { return compareKey(i, key) <= 0; });
}

// The new entry may leave out the prefix only if its key starts with it; a prefix reaching
// into the row pointers (Access writes such pages) is left to a rebuild.
bool LeafEntries::sharesPrefix(std::span<const uint8_t> key) const {
    return key.size() >= prefix_ && std::memcmp(key.data(), entries_, prefix_) == 0;
}

bool LeafEntries::insert(uint8_t* page, size_t at, std::span<const uint8_t> key, RowLocation row) {
    const IndexPageLayout& layout = *layout_;
    const size_t length = key.size() + kRowPointerSize;
    if (prefix_ == 0) {
        // Entries that fit whole are stored whole; past that the page needs a prefix.
        if (fullBytes() + length > layout.entryCapacity) return false;
    } else if (count_ == 0 || !sharesPrefix(key)) {
        return false;  // an empty page with a prefix is odd: a rebuild writes it plain
    }
    // A new first entry is stored whole and the old first loses the prefix: the page grows by
    // the same bytes wherever the entry goes.
    const size_t grows = length - prefix_;
    const size_t stored = storedBytes();
    if (stored + grows > layout.entryCapacity) return false;

    uint8_t* entries = page + layout.entries;
    const size_t from = at == 0 ? std::min(prefix_, stored) : ends_[at - 1];
    const size_t to = at == 0 ? length : ends_[at - 1] + grows;
    std::memmove(entries + to, entries + from, stored - from);
    const size_t write = at == 0 ? 0 : ends_[at - 1];
    const size_t skip = at == 0 ? 0 : prefix_;
    std::memcpy(entries + write, key.data() + skip, key.size() - skip);
    putRowPointer(entries + write + key.size() - skip, row);

    // Moved first, then shifted in a forward loop the compiler can vectorise.
    const size_t count = count_ + 1;
    uint16_t* ends = ends_.data();
    std::memmove(ends + at + 1, ends + at, (count_ - at) * sizeof(uint16_t));
    for (size_t i = at + 1; i < count; ++i) ends[i] = static_cast<uint16_t>(ends[i] + grows);
    ends[at] = static_cast<uint16_t>(to);
    count_ = count;
    // The ends before the new entry stay, and so do their bits: the mask changes from there.
    // The count is kept in a local: a store into the page may alias any member, which the
    // compiler would then load again for every entry.
    uint8_t* mask = page + layout.entryMask;
    const size_t maskSize = layout.entryMaskSize;
    const size_t kept = at == 0 ? 0 : size_t{ends[at - 1]} + 1;  // bits below stay
    if (kept % 8 != 0 && kept / 8 < maskSize)
        mask[kept / 8] &= static_cast<uint8_t>((1u << (kept % 8)) - 1);
    const size_t whole = std::min((kept + 7) / 8, maskSize);
    std::memset(mask + whole, 0, maskSize - whole);
    for (size_t i = at; i < count; ++i) markEntryEnd(layout, page, ends[i]);
    putU16(page + kFreeSpace, static_cast<uint16_t>(layout.entryCapacity - ends[count - 1]));
    return true;
}

}  // namespace jet
