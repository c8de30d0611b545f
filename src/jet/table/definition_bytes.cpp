#include "jet/table/definition_bytes.h"

#include <algorithm>
#include <cstring>

#include "jet/base/bytes.h"
#include "jet/table/data_page_writer.h"

namespace jet {

using namespace tdef_layout;

DefinitionBytes::DefinitionBytes(PageFile& file, const TableDefinition& table)
    : firstPage_(table.firstPage), pages_(table.pages) {
    for (size_t i = 0; i < pages_.size(); ++i) {
        ByteView page = file.page(pages_[i]);
        const size_t skip = i == 0 ? 0 : kContinuationHeader;
        bytes_.insert(bytes_.end(), page.data() + skip, page.data() + page.size());
    }
    if (table.length > bytes_.size() || table.length < kBlocks)
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
    return u32At(kLogicalIndexCount);
}

uint32_t DefinitionBytes::realCount() const {
    return u32At(kRealIndexCount);
}

DefinitionBytes::Layout DefinitionBytes::layout() const {
    ByteView b({bytes_.data(), bytes_.size()}, firstPage_);
    const uint16_t columns = b.u16(kColumnCount);
    size_t at =
        kBlocks + size_t{realCount()} * kRealIndexCountBlock + columns * column_block::kBlockSize;
    for (uint16_t i = 0; i < columns; ++i) at += 2 + size_t{b.u16(at)};
    Layout out;
    out.realBlocks = at;
    out.logicalBlocks = at + size_t{realCount()} * real_index_block::kBlockSize;
    at = out.logicalBlocks + size_t{logicalCount()} * logical_index_block::kBlockSize;
    for (uint32_t i = 0; i < logicalCount(); ++i) {
        out.logicalNames.push_back(at);
        at += 2 + size_t{b.u16(at)};
    }
    return out;
}

size_t DefinitionBytes::logicalBlock(uint32_t position) const {
    return layout().logicalBlocks + size_t{position} * logical_index_block::kBlockSize;
}

LogicalIndexDef DefinitionBytes::logical(uint32_t position) const {
    return readLogicalIndexBlock(ByteView({bytes_.data(), bytes_.size()}, firstPage_),
                                 logicalBlock(position));
}

int DefinitionBytes::positionOfLogical(uint32_t number) const {
    for (uint32_t i = 0; i < logicalCount(); ++i)
        if (logical(i).number == number) return static_cast<int>(i);
    return -1;
}

RealIndexDef DefinitionBytes::real(uint32_t number) const {
    return readRealIndexBlock(ByteView({bytes_.data(), bytes_.size()}, firstPage_),
                              layout().realBlocks + size_t{number} * real_index_block::kBlockSize);
}

void DefinitionBytes::removeLogical(uint32_t number) {
    const auto position = static_cast<uint32_t>(positionOfLogical(number));
    const Layout lay = layout();
    const size_t name = lay.logicalNames[position];
    const size_t nameLength = 2 + size_t{ByteView({bytes_.data(), bytes_.size()}, 0).u16(name)};
    const auto at = [&](size_t offset) { return bytes_.begin() + static_cast<ptrdiff_t>(offset); };
    // The name lies behind the block, so it goes first.
    bytes_.erase(at(name), at(name + nameLength));
    const size_t block = lay.logicalBlocks + size_t{position} * logical_index_block::kBlockSize;
    bytes_.erase(at(block), at(block + logical_index_block::kBlockSize));
    putU32At(kLogicalIndexCount, logicalCount() - 1);
    for (uint32_t i = 0; i < logicalCount(); ++i) {
        const size_t field = logicalBlock(i) + logical_index_block::kNumber;
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
    const size_t block = layout().realBlocks + size_t{number} * real_index_block::kBlockSize;
    bytes_.erase(at(block), at(block + real_index_block::kBlockSize));
    const size_t counts = kBlocks + size_t{number} * kRealIndexCountBlock;
    bytes_.erase(at(counts), at(counts + kRealIndexCountBlock));
    putU32At(kRealIndexCount, realCount() - 1);
    for (uint32_t i = 0; i < logicalCount(); ++i) {
        const size_t field = logicalBlock(i) + logical_index_block::kRealIndex;
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
        putU32At(logicalBlock(i) + logical_index_block::kOtherIndex,
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
        const size_t part = std::min(kPageSize - header, bytes_.size() - done);
        uint8_t* page = file.writablePage(pages_[used]);
        if (used == 0) {
            std::memcpy(page, bytes_.data(), part);
        } else {
            std::memcpy(page + header, bytes_.data() + done, part);
        }
        std::memset(page + header + part, 0, kPageSize - header - part);
        const size_t filled = header + part;
        putU16(page + kFreeSpaceField,
               static_cast<uint16_t>(
                   filled + kPageReserve >= kPageSize ? 0 : kPageSize - filled - kPageReserve));
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
