#include "jet/table/table_definition_writer.h"

#include <algorithm>

namespace jet {

using namespace tdef_layout;

namespace {

// Access stores "General" (0x0409) as the sort order of every column that is not a decimal.
inline constexpr uint16_t kDefaultSortLcid = 0x0409;

class Buffer {
  public:
    explicit Buffer(size_t size) : bytes_(size, 0) {}
    void u8(uint8_t v) { bytes_.push_back(v); }
    void u16(uint16_t v) {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    void name(const std::u16string& text) {
        // Names are stored as plain UTF-16LE, never compressed.
        u16(static_cast<uint16_t>(text.size() * 2));
        for (char16_t c : text) u16(static_cast<uint16_t>(c));
    }
    // Appends `size` zero bytes and returns them, for a block filled by its offsets. The
    // pointer lasts until the next append.
    uint8_t* block(size_t size) {
        bytes_.resize(bytes_.size() + size, 0);
        return bytes_.data() + bytes_.size() - size;
    }
    std::vector<uint8_t> take() { return std::move(bytes_); }

  private:
    std::vector<uint8_t> bytes_;
};

void putMapRef(uint8_t* out, MapRef m) {
    out[kMapRefRow] = m.row;
    out[kMapRefPage] = static_cast<uint8_t>(m.page);
    putU16(out + kMapRefPage + 1, static_cast<uint16_t>(m.page >> 8));
}

void writeColumn(Buffer& b, const ColumnDef& c) {
    uint8_t* out = b.block(column_block::kBlockSize);
    out[column_block::kType] = c.typeCode;
    putU32(out + column_block::kMagic, kMagicValue);
    putU16(out + column_block::kNumber, c.number);
    putU16(out + column_block::kVarIndex, c.varIndex);
    putU16(out + column_block::kDisplayIndex, c.displayIndex);
    if (c.typeCode == uint8_t(ColumnType::Decimal)) {
        out[column_block::kPrecision] = c.precision;
        out[column_block::kScale] = c.scale;
    } else {
        putU16(out + column_block::kSortLcid, c.sortLcid);
        out[column_block::kSortVersion] = c.sortVersion;
    }
    out[column_block::kFlags] = c.flags;
    out[column_block::kExtFlags] = c.extFlags;
    putU16(out + column_block::kFixedOffset, c.fixedOffset);
    putU16(out + column_block::kLength, c.length);
}

void writeRealIndex(Buffer& b, const RealIndexDef& r) {
    uint8_t* out = b.block(real_index_block::kBlockSize);
    putU32(out + real_index_block::kMagic, real_index_block::kMagicValue);
    for (size_t slot = 0; slot < real_index_block::kSlotCount; ++slot) {
        uint8_t* field = out + real_index_block::kColumnSlots + slot * real_index_block::kSlotSize;
        const bool used = slot < r.columns.size();
        putU16(field + real_index_block::kSlotColumn,
               used ? r.columns[slot].columnNumber : real_index_block::kUnusedSlot);
        field[real_index_block::kSlotOrder] = used && r.columns[slot].ascending ? 1 : 0;
    }
    putMapRef(out + real_index_block::kUsageMap, r.usageMap);
    putU32(out + real_index_block::kRootPage, r.rootPage);
    putU32(out + real_index_block::kUnknownWord, r.unknownWord);
    out[real_index_block::kFlags] = r.flags;
}

void writeLogicalIndex(Buffer& b, const LogicalIndexDef& l) {
    uint8_t* out = b.block(logical_index_block::kBlockSize);
    putU32(out + logical_index_block::kMagic, tdef_layout::kMagicValue);
    putU32(out + logical_index_block::kNumber, l.number);
    putU32(out + logical_index_block::kRealIndex, l.realIndex);
    out[logical_index_block::kForeignKeyRole] = l.foreignKeyRole;
    putU32(out + logical_index_block::kOtherIndex, static_cast<uint32_t>(l.otherIndex));
    putU32(out + logical_index_block::kOtherTablePage, l.otherTablePage);
    out[logical_index_block::kUpdateAction] = l.updateAction;
    out[logical_index_block::kDeleteAction] = l.deleteAction;
    out[logical_index_block::kKind] = l.kind;
}

void requireWritable(const TableDefinition& t) {
    if (t.columns.size() > 0xFFFF || t.realIndexes.size() > 1024 || t.logicalIndexes.size() > 1024)
        throw Error(ErrorCode::InvalidArgument, "Zu viele Spalten oder Indizes in der Tabelle.");
    for (const auto& r : t.realIndexes)
        if (r.columns.size() > real_index_block::kSlotCount)
            throw Error(ErrorCode::InvalidArgument, "Ein Index kann höchstens 10 Felder umfassen.");
}

void writeHeader(Buffer& b, const TableDefinition& t) {
    uint8_t* out = b.block(kBlocks);
    out[0] = kPageType;
    out[kPageMarker] = kPageMarkerValue;
    // The free space and the next page are set per page when the buffer is split, the length
    // once the buffer is complete.
    putU32(out + kMagic, kMagicValue);
    putU32(out + kRowCount, t.rowCount);
    putU32(out + kAutoNumber, t.autoNumber);
    out[kHeaderUnknownAt] = kHeaderUnknownFirstValue;
    out[kTableType] = t.tableType;
    putU16(out + kMaxColumns, t.maxColumns);
    putU16(out + kVarColumns, t.varColumns);
    putU16(out + kColumnCount, static_cast<uint16_t>(t.columns.size()));
    putU32(out + kLogicalIndexCount, static_cast<uint32_t>(t.logicalIndexes.size()));
    putU32(out + kRealIndexCount, static_cast<uint32_t>(t.realIndexes.size()));
    putMapRef(out + kOwnedPagesMap, t.ownedPages);
    putMapRef(out + kFreeSpaceMap, t.freeSpacePages);
}

void writeIndexCounts(Buffer& b, const RealIndexDef& r) {
    uint8_t* out = b.block(kRealIndexCountBlock);
    putU32(out + kStatisticEntries, r.statisticEntries);
    putU32(out + kDistinctKeysInBlock, r.distinctKeys);
}

void writeColumnMaps(Buffer& b, const ColumnDef& c) {
    uint8_t* out = b.block(column_maps::kSize);
    putU16(out + column_maps::kColumnNumber, c.number);
    putMapRef(out + column_maps::kOwnedPages, *c.longValueOwnedMap);
    putMapRef(out + column_maps::kFreeSpace, c.longValueFreeMap.value_or(MapRef{}));
}

}  // namespace

std::vector<uint8_t> encodeTableDefinition(const TableDefinition& t) {
    requireWritable(t);
    Buffer b(0);
    writeHeader(b, t);
    for (const auto& r : t.realIndexes) writeIndexCounts(b, r);
    for (const auto& c : t.columns) writeColumn(b, c);
    for (const auto& c : t.columns) b.name(c.name);
    for (const auto& r : t.realIndexes) writeRealIndex(b, r);
    for (const auto& l : t.logicalIndexes) writeLogicalIndex(b, l);
    for (const auto& l : t.logicalIndexes) b.name(l.name);
    for (const auto& c : t.columns)
        if (c.longValueOwnedMap) writeColumnMaps(b, c);
    b.u16(column_maps::kEnd);
    std::vector<uint8_t> bytes = b.take();
    putU32(bytes.data() + kLength, static_cast<uint32_t>(bytes.size()));
    return bytes;
}

std::vector<std::vector<uint8_t>> tableDefinitionPages(const std::vector<uint8_t>& logical) {
    std::vector<std::vector<uint8_t>> pages;
    size_t at = 0;
    while (at < logical.size() || pages.empty()) {
        std::vector<uint8_t> page(kPageSize, 0);
        size_t header = pages.empty() ? 0 : kContinuationHeader;
        size_t take = std::min(logical.size() - at, kPageSize - header);
        std::copy_n(logical.begin() + static_cast<std::ptrdiff_t>(at), take,
                    page.begin() + static_cast<std::ptrdiff_t>(header));
        page[0] = kPageType;
        page[kPageMarker] = kPageMarkerValue;
        // Access counts the free space as if each page kept some bytes in reserve.
        size_t used = header + take + kPageReserve;
        putU16(page.data() + kFreeSpaceField,
               static_cast<uint16_t>(used >= kPageSize ? 0 : kPageSize - used));
        putU32(page.data() + kNextPage, 0);
        pages.push_back(std::move(page));
        at += take;
    }
    return pages;
}

void writeTableDefinition(PageFile& file, PageAllocator& allocator, TableDefinition& t) {
    std::vector<uint8_t> logical = encodeTableDefinition(t);
    std::vector<uint32_t> chain = t.pages;
    if (chain.empty()) chain.push_back(t.firstPage != 0 ? t.firstPage : allocator.allocate());
    ByteView first = file.page(chain.front());
    if (first.u8(0) == kPageType && first.u32(kMagic) == kMagicValue)
        std::copy_n(first.data() + kHeaderUnknownAt, kHeaderUnknownSize,
                    logical.begin() + kHeaderUnknownAt);

    std::vector<std::vector<uint8_t>> images = tableDefinitionPages(logical);
    while (chain.size() < images.size()) chain.push_back(allocator.allocate());
    for (size_t i = images.size(); i < chain.size(); ++i) allocator.release(chain[i]);
    chain.resize(images.size());
    size_t remaining = logical.size();
    for (size_t i = 0; i < images.size(); ++i) {
        if (i + 1 < images.size()) putU32(images[i].data() + kNextPage, chain[i + 1]);
        // Past the definition's end a page keeps what it held, as Access leaves it.
        size_t header = i == 0 ? 0 : kContinuationHeader;
        size_t used = header + std::min(remaining, kPageSize - header);
        remaining -= used - header;
        std::copy_n(images[i].begin(), used, file.writablePage(chain[i]));
    }
    t.firstPage = chain.front();
    t.pages = std::move(chain);
    t.length = static_cast<uint32_t>(logical.size());
}

}  // namespace jet
