#include "jet/index/index_page_image.h"

#include <algorithm>
#include <cstring>

#include "jet/format/page_layout.h"

namespace jet {

using namespace index_page_layout;

namespace {

uint32_t bigEndian(const uint8_t* p, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) v = v << 8 | p[i];
    return v;
}

void putBigEndian32(uint8_t* out, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// Calls `visit(end)` for each entry end the mask marks, ascending.
template <typename Visit>
void forEachEntryEnd(const IndexPageLayout& layout, ByteView page, Visit visit) {
    const uint8_t* mask = page.sub(layout.entryMask, layout.entryMaskSize).data();
    for (size_t byte = 0; byte < layout.entryMaskSize; ++byte) {
        unsigned bits = mask[byte];
        while (bits != 0) {
            const unsigned bit = static_cast<unsigned>(__builtin_ctz(bits));
            visit(byte * 8 + bit);
            bits &= bits - 1;
        }
    }
}

// The last two entry ends the mask marks (0 where there are fewer); false for an empty page.
bool lastEntryEnds(const IndexPageLayout& layout, ByteView page, size_t& beforeLast, size_t& last) {
    const uint8_t* mask = page.sub(layout.entryMask, layout.entryMaskSize).data();
    size_t found = 0;
    size_t ends[2] = {0, 0};
    for (size_t byte = layout.entryMaskSize; byte-- > 0 && found < 2;) {
        for (size_t bit = 8; bit-- > 0 && found < 2;)
            if (mask[byte] >> bit & 1) ends[found++] = byte * 8 + bit;
    }
    last = ends[0];
    beforeLast = found == 2 ? ends[1] : 0;
    return found > 0;
}

// 0 for an empty page.
size_t firstEntryEnd(const IndexPageLayout& layout, ByteView page) {
    const uint8_t* mask = page.sub(layout.entryMask, layout.entryMaskSize).data();
    for (size_t byte = 0; byte < layout.entryMaskSize; ++byte)
        if (mask[byte] != 0) return byte * 8 + static_cast<size_t>(__builtin_ctz(mask[byte]));
    return 0;
}

}  // namespace

RowLocation EntryList::row(size_t i) const {
    std::span<const uint8_t> e = entry(i);
    const uint8_t* p = e.data() + (e.size() - pointers_);
    return {bigEndian(p, 3), p[3]};
}

uint32_t EntryList::child(size_t i) const {
    std::span<const uint8_t> e = entry(i);
    return bigEndian(e.data() + e.size() - kChildPointerSize, kChildPointerSize);
}

void EntryList::insert(size_t at, std::span<const uint8_t> key, RowLocation row, uint32_t child) {
    const size_t length = key.size() + pointers_;
    const size_t offset = at == 0 ? 0 : ends_[at - 1];
    bytes_.insert(bytes_.begin() + static_cast<ptrdiff_t>(offset), length, 0);
    uint8_t* out = bytes_.data() + offset;
    if (!key.empty()) std::memcpy(out, key.data(), key.size());
    putRowPointer(out + key.size(), row);
    if (pointers_ > kRowPointerSize) putBigEndian32(out + key.size() + kRowPointerSize, child);
    ends_.insert(ends_.begin() + static_cast<ptrdiff_t>(at), static_cast<uint32_t>(offset));
    for (size_t i = at; i < ends_.size(); ++i) ends_[i] += static_cast<uint32_t>(length);
}

size_t EntryList::lowerBound(std::span<const uint8_t> k, RowLocation r) const {
    return firstPosition(size(),
                         [&](size_t i) { return compareEntries(key(i), row(i), k, r) >= 0; });
}

size_t EntryList::lowerBoundKey(std::span<const uint8_t> k) const {
    return firstPosition(size(), [&](size_t i) { return compareKeys(key(i), k) >= 0; });
}

int compareKeys(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    const size_t n = std::min(a.size(), b.size());
    if (n != 0) {
        const int c = std::memcmp(a.data(), b.data(), n);
        if (c != 0) return c;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

int compareEntries(std::span<const uint8_t> keyA, RowLocation rowA, std::span<const uint8_t> keyB,
                   RowLocation rowB) {
    if (int c = compareKeys(keyA, keyB); c != 0) return c;
    return rowA < rowB ? -1 : rowB < rowA ? 1 : 0;
}

size_t commonPrefix(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

size_t pagePrefix(const IndexPageLayout& layout, const EntryList& list, size_t begin, size_t end) {
    if (end - begin < 2 || list.fullBytes(begin, end) <= layout.entryCapacity) return 0;
    return std::min(commonPrefix(list.key(begin), list.key(end - 1)), layout.maxPrefix());
}

size_t storedBytes(const EntryList& list, size_t begin, size_t end, size_t prefix) {
    if (begin == end) return 0;
    return list.fullBytes(begin, end) - prefix * (end - begin - 1);
}

void writeIndexPage(const IndexPageLayout& layout, uint8_t* page, const IndexPageHeader& header,
                    const EntryList& list, size_t begin, size_t end, size_t prefix) {
    page[page_layout::kPageType] = header.leaf ? kLeafPageType : kNodePageType;
    page[page_layout::kMarker] = kPageMarker;
    putU32(page + kTableDefinition, header.tablePage);
    if (layout.unknown8 != 0) putU32(page + layout.unknown8, 0);
    putU32(page + layout.prevPage, header.prevPage);
    putU32(page + layout.nextPage, header.nextPage);
    putU32(page + layout.childTail, header.childTail);
    layout.putPrefix(page, prefix);
    page[layout.nodeMarker] = header.leaf ? 0 : kNodeMarkerValue;
    std::memset(page + layout.entryMask, 0, layout.entryMaskSize);
    size_t at = 0;
    for (size_t i = begin; i < end; ++i) {
        std::span<const uint8_t> e = list.entry(i);
        const size_t skip = i == begin ? 0 : prefix;
        std::memcpy(page + layout.entries + at, e.data() + skip, e.size() - skip);
        at += e.size() - skip;
        markEntryEnd(layout, page, at);
    }
    std::memset(page + layout.entries + at, 0, layout.entryCapacity - at);
    putU16(page + kFreeSpace, static_cast<uint16_t>(layout.entryCapacity - at));
}

void EntryList::readPage(const IndexPageLayout& layout, ByteView page) {
    clear();
    forEachEntryEnd(layout, page, [&](size_t end) { ends_.push_back(static_cast<uint32_t>(end)); });
    if (ends_.empty()) return;
    const size_t prefix = layout.prefixOf(page.data());
    if (ends_.back() > layout.entryCapacity)
        throwCorrupt(page.page(), "Indexeintrag über das Seitenende");
    if (ends_.front() < std::max(prefix, size_t{1}))
        throwCorrupt(page.page(), "gemeinsamer Anfang länger als der erste Indexeintrag");
    bytes_.resize(ends_.back() + prefix * (ends_.size() - 1));
    const uint8_t* stored = page.sub(layout.entries, layout.entryCapacity).data();
    uint8_t* out = bytes_.data();
    size_t start = 0, at = 0;
    for (size_t i = 0; i < ends_.size(); ++i) {
        // Each entry after the first gets the shared prefix back from the first.
        const size_t skip = i == 0 ? 0 : prefix;
        const size_t length = ends_[i] - start;
        if (skip + length < pointers_) throwCorrupt(page.page(), "Indexeintrag zu kurz");
        std::memcpy(out + at, stored, skip);
        std::memcpy(out + at + skip, stored + start, length);
        at += skip + length;
        start = ends_[i];
        ends_[i] = static_cast<uint32_t>(at);
    }
}

bool readFirstEntry(const IndexPageLayout& layout, ByteView page, std::vector<uint8_t>& out) {
    const size_t end = firstEntryEnd(layout, page);
    if (end == 0) return false;
    const uint8_t* entries = page.sub(layout.entries, layout.entryCapacity).data();
    out.assign(entries, entries + end);
    return true;
}

bool readLastEntry(const IndexPageLayout& layout, ByteView page, std::vector<uint8_t>& out) {
    size_t beforeLast = 0, last = 0;
    if (!lastEntryEnds(layout, page, beforeLast, last)) return false;
    const uint8_t* entries = page.sub(layout.entries, layout.entryCapacity).data();
    if (beforeLast == 0) {  // the only entry is stored whole
        out.assign(entries, entries + last);
        return true;
    }
    const size_t prefixLength = layout.prefixOf(page.data());
    if (prefixLength > firstEntryEnd(layout, page))
        throwCorrupt(page.page(), "gemeinsamer Anfang länger als der erste Indexeintrag");
    out.assign(entries, entries + prefixLength);
    out.insert(out.end(), entries + beforeLast, entries + last);
    return true;
}

}  // namespace jet
