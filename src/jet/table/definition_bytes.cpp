#include "jet/table/definition_bytes.h"

#include <algorithm>
#include <cstring>

#include "jet/base/bytes.h"
#include "jet/table/data_page_writer.h"

namespace jet {

using namespace tdef_layout;

DefinitionBytes::DefinitionBytes(PageFile& file, const TableDefinition& table)
    : layout_(file.format().tdef), firstPage_(table.firstPage), pages_(table.pages) {
    for (size_t i = 0; i < pages_.size(); ++i) {
        ByteView page = file.page(pages_[i]);
        const size_t skip = i == 0 ? 0 : kContinuationHeader;
        bytes_.insert(bytes_.end(), page.data() + skip, page.data() + page.size());
    }
    if (table.length > bytes_.size() || table.length < layout_.blocks)
        throwCorrupt(firstPage_, "Länge der Tabellendefinition");
    bytes_.resize(table.length);
}

uint32_t DefinitionBytes::u32At(size_t at) const {
    return ByteView({bytes_.data(), bytes_.size()}, firstPage_).u32(at);
}

void DefinitionBytes::putU32At(size_t at, uint32_t value) {
    putU32(bytes_.data() + at, value);
}

uint32_t DefinitionBytes::logicalCount() const {
    return u32At(layout_.logicalIndexCount);
}

uint32_t DefinitionBytes::realCount() const {
    return u32At(layout_.realIndexCount);
}

size_t DefinitionBytes::nameSize(size_t at) const {
    return storedNameSize(layout_, ByteView({bytes_.data(), bytes_.size()}, firstPage_), at);
}

DefinitionBytes::Blocks DefinitionBytes::blocks() const {
    ByteView b({bytes_.data(), bytes_.size()}, firstPage_);
    const uint16_t columns = b.u16(layout_.columnCount);
    size_t at = layout_.blocks + size_t{realCount()} * layout_.realIndexCountBlock +
                columns * layout_.column.blockSize;
    for (uint16_t i = 0; i < columns; ++i) at += nameSize(at);
    Blocks out;
    out.realBlocks = at;
    out.logicalBlocks = at + size_t{realCount()} * layout_.realIndex.blockSize;
    at = out.logicalBlocks + size_t{logicalCount()} * layout_.logicalIndex.blockSize;
    for (uint32_t i = 0; i < logicalCount(); ++i) {
        out.logicalNames.push_back(at);
        at += nameSize(at);
    }
    return out;
}

size_t DefinitionBytes::logicalBlock(uint32_t position) const {
    return blocks().logicalBlocks + size_t{position} * layout_.logicalIndex.blockSize;
}

LogicalIndexDef DefinitionBytes::logical(uint32_t position) const {
    return readLogicalIndexBlock(layout_, ByteView({bytes_.data(), bytes_.size()}, firstPage_),
                                 logicalBlock(position));
}

int DefinitionBytes::positionOfLogical(uint32_t number) const {
    for (uint32_t i = 0; i < logicalCount(); ++i)
        if (logical(i).number == number) return static_cast<int>(i);
    return -1;
}

RealIndexDef DefinitionBytes::real(uint32_t number) const {
    return readRealIndexBlock(layout_, ByteView({bytes_.data(), bytes_.size()}, firstPage_),
                              blocks().realBlocks + size_t{number} * layout_.realIndex.blockSize);
}

void DefinitionBytes::removeLogical(uint32_t number) {
    const auto position = static_cast<uint32_t>(positionOfLogical(number));
    const Blocks lay = blocks();
    const size_t name = lay.logicalNames[position];
    const size_t nameLength = nameSize(name);
    const auto at = [&](size_t offset) { return bytes_.begin() + static_cast<ptrdiff_t>(offset); };
    // The name lies behind the block, so it goes first.
    bytes_.erase(at(name), at(name + nameLength));
    const size_t block = lay.logicalBlocks + size_t{position} * layout_.logicalIndex.blockSize;
    bytes_.erase(at(block), at(block + layout_.logicalIndex.blockSize));
    putU32At(layout_.logicalIndexCount, logicalCount() - 1);
    for (uint32_t i = 0; i < logicalCount(); ++i) {
        const size_t field = logicalBlock(i) + layout_.logicalIndex.number;
        if (u32At(field) > number) putU32At(field, u32At(field) - 1);
    }
}

bool DefinitionBytes::realInUse(uint32_t number) const {
    for (uint32_t i = 0; i < logicalCount(); ++i)
        if (logical(i).realIndex == number) return true;
    return false;
}

void DefinitionBytes::removeReal(uint32_t number) {
    const auto at = [&](size_t offset) { return bytes_.begin() + static_cast<ptrdiff_t>(offset); };
    const size_t block = blocks().realBlocks + size_t{number} * layout_.realIndex.blockSize;
    bytes_.erase(at(block), at(block + layout_.realIndex.blockSize));
    const size_t counts = layout_.blocks + size_t{number} * layout_.realIndexCountBlock;
    bytes_.erase(at(counts), at(counts + layout_.realIndexCountBlock));
    putU32At(layout_.realIndexCount, realCount() - 1);
    for (uint32_t i = 0; i < logicalCount(); ++i) {
        const size_t field = logicalBlock(i) + layout_.logicalIndex.realIndex;
        if (u32At(field) > number) putU32At(field, u32At(field) - 1);
    }
}

bool DefinitionBytes::followPartnerRemoval(uint32_t tablePage, uint32_t removed) {
    bool changed = false;
    for (uint32_t i = 0; i < logicalCount(); ++i) {
        LogicalIndexDef l = logical(i);
        if (l.kind != uint8_t(LogicalIndexKind::ForeignKey) || l.otherTablePage != tablePage ||
            l.otherIndex < 0 || static_cast<uint32_t>(l.otherIndex) <= removed)
            continue;
        putU32At(logicalBlock(i) + layout_.logicalIndex.otherIndex,
                 static_cast<uint32_t>(l.otherIndex - 1));
        changed = true;
    }
    return changed;
}

void DefinitionBytes::write(PageFile& file, PageAllocator& allocator) {
    putU32At(kLength, static_cast<uint32_t>(bytes_.size()));
    size_t done = 0;
    size_t used = 0;  // pages of the chain that hold part of the definition
    while (done < bytes_.size()) {
        if (used == pages_.size()) throwCorrupt(firstPage_, "Tabellendefinition wurde länger");
        const size_t header = used == 0 ? 0 : kContinuationHeader;
        const size_t pageSize = file.pageSize();
        const size_t part = std::min(pageSize - header, bytes_.size() - done);
        uint8_t* page = file.writablePage(pages_[used]);
        if (used == 0) {
            std::memcpy(page, bytes_.data(), part);
        } else {
            std::memcpy(page + header, bytes_.data() + done, part);
        }
        std::memset(page + header + part, 0, pageSize - header - part);
        const size_t filled = header + part;
        if (layout_.freeSpaceField != kAbsent)
            putU16(page + layout_.freeSpaceField,
                   static_cast<uint16_t>(
                       filled + kPageReserve >= pageSize ? 0 : pageSize - filled - kPageReserve));
        done += part;
        ++used;
    }
    // The first page's header came from the bytes; only the chain's end can move.
    const uint32_t last = pages_[used - 1];
    putU32(file.writablePage(last) + kNextPage, 0);
    for (size_t i = used; i < pages_.size(); ++i) releaseDataPage(file, allocator, pages_[i]);
    pages_.resize(used);
}

}  // namespace jet
