#include "jet/table/table_definition_writer.h"

#include <algorithm>

#include "jet/base/code_page_text.h"
#include "jet/base/text.h"
#include "jet/format/page_layout.h"

namespace jet {

using namespace tdef_layout;

namespace {

class Buffer {
  public:
    explicit Buffer(const Format& format) : format_(format) {}
    void u8(uint8_t v) { bytes_.push_back(v); }
    void u16(uint16_t v) {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    // Jet 4 stores names as plain UTF-16LE, never compressed, behind a u16 byte count; Jet 3
    // as code-page bytes behind a u8 count.
    void name(const std::u16string& text) {
        if (format_.text == TextCodec::Ucs2Compressed) {
            u16(static_cast<uint16_t>(text.size() * 2));
            for (char16_t c : text) u16(static_cast<uint16_t>(c));
            return;
        }
        std::vector<uint8_t> bytes;
        if (auto bad = codePageText(format_.codePage).encode(text, bytes))
            throw Error(ErrorCode::InvalidArgument,
                        "Der Name „" + toUtf8(text) +
                            "“ ist ungültig: " + unencodableDescription(*bad, format_.codePage));
        if (bytes.size() > 0xFF)
            throw Error(ErrorCode::InvalidArgument, "Der Name „" + toUtf8(text) + "“ ist zu lang.");
        u8(static_cast<uint8_t>(bytes.size()));
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    }
    // Appends `size` zero bytes and returns them, for a block filled by its offsets. The
    // pointer lasts until the next append.
    uint8_t* block(size_t size) {
        bytes_.resize(bytes_.size() + size, 0);
        return bytes_.data() + bytes_.size() - size;
    }
    std::vector<uint8_t> take() { return std::move(bytes_); }

  private:
    const Format& format_;
    std::vector<uint8_t> bytes_;
};

// Fields a version lacks are not written.
void putU8At(uint8_t* out, size_t at, uint8_t value) {
    if (at != kAbsent) out[at] = value;
}
void putU16At(uint8_t* out, size_t at, uint16_t value) {
    if (at != kAbsent) putU16(out + at, value);
}
void putU32At(uint8_t* out, size_t at, uint32_t value) {
    if (at != kAbsent) putU32(out + at, value);
}

void putMapRef(uint8_t* out, MapRef m) {
    out[kMapRefRow] = m.row;
    out[kMapRefPage] = static_cast<uint8_t>(m.page);
    putU16(out + kMapRefPage + 1, static_cast<uint16_t>(m.page >> 8));
}

void writeColumn(Buffer& b, const TdefColumnBlock& block, const ColumnDef& c) {
    uint8_t* out = b.block(block.blockSize);
    out[block.type] = c.storedTypeCode();
    putU32At(out, block.magic, kMagicValue);
    putU16(out + block.number, c.number);
    putU16(out + block.varIndex, c.varIndex);
    putU16(out + block.displayIndex, c.displayIndex);
    if (c.storedTypeCode() == uint8_t(ColumnType::Decimal) && block.precision != kAbsent) {
        out[block.precision] = c.precision;
        out[block.scale] = c.scale;
    } else {
        putU16(out + block.sortLcid, c.sortLcid);
        putU8At(out, block.sortVersion, c.sortVersion);
    }
    putU16At(out, block.codePage, c.codePage);
    out[block.flags] = c.flags;
    putU8At(out, block.extFlags, c.extFlags);
    putU16(out + block.fixedOffset, c.fixedOffset);
    putU16(out + block.length, c.length);
    putU16At(out, block.unknownWord, c.unknownWord);
}

void writeRealIndex(Buffer& b, const TdefRealIndexBlock& block, const RealIndexDef& r) {
    using namespace real_index_block;
    uint8_t* out = b.block(block.blockSize);
    putU32At(out, block.magic, real_index_block::kMagicValue);
    for (size_t slot = 0; slot < kSlotCount; ++slot) {
        uint8_t* field = out + block.columnSlots + slot * kSlotSize;
        const bool used = slot < r.columns.size();
        putU16(field + kSlotColumn, used ? r.columns[slot].columnNumber : kUnusedSlot);
        field[kSlotOrder] = used && r.columns[slot].ascending ? 1 : 0;
    }
    putMapRef(out + block.usageMap, r.usageMap);
    putU32(out + block.rootPage, r.rootPage);
    putU32At(out, block.unknownWord, r.unknownWord);
    out[block.flags] = r.flags;
}

void writeLogicalIndex(Buffer& b, const TdefLogicalIndexBlock& block, const LogicalIndexDef& l) {
    uint8_t* out = b.block(block.blockSize);
    putU32At(out, block.magic, tdef_layout::kMagicValue);
    putU32(out + block.number, l.number);
    putU32(out + block.realIndex, l.realIndex);
    out[block.foreignKeyRole] = l.foreignKeyRole;
    putU32(out + block.otherIndex, static_cast<uint32_t>(l.otherIndex));
    putU32(out + block.otherTablePage, l.otherTablePage);
    out[block.updateAction] = l.updateAction;
    out[block.deleteAction] = l.deleteAction;
    out[block.kind] = l.kind;
}

void requireWritable(const TableDefinition& t) {
    if (t.columns.size() > 0xFFFF || t.realIndexes.size() > 1024 || t.logicalIndexes.size() > 1024)
        throw Error(ErrorCode::InvalidArgument, "Zu viele Spalten oder Indizes in der Tabelle.");
    for (const auto& r : t.realIndexes)
        if (r.columns.size() > real_index_block::kSlotCount)
            throw Error(ErrorCode::InvalidArgument, "Ein Index kann höchstens 10 Felder umfassen.");
}

void writeHeader(Buffer& b, const TdefLayout& layout, const TableDefinition& t) {
    uint8_t* out = b.block(layout.blocks);
    out[page_layout::kPageType] = kPageType;
    out[page_layout::kMarker] = kPageMarkerValue;
    // The free space and the next page are set per page when the buffer is split, the length
    // once the buffer is complete.
    putU32At(out, layout.magic, kMagicValue);
    putU32(out + layout.rowCount, t.rowCount);
    putU32(out + layout.autoNumber, t.autoNumber);
    putU8At(out, layout.headerUnknownAt, kHeaderUnknownFirstValue);
    out[layout.tableType] = t.tableType;
    putU16(out + layout.maxColumns, t.maxColumns);
    putU16(out + layout.varColumns, t.varColumns);
    putU16(out + layout.columnCount, static_cast<uint16_t>(t.columns.size()));
    putU32(out + layout.logicalIndexCount, static_cast<uint32_t>(t.logicalIndexes.size()));
    putU32(out + layout.realIndexCount, static_cast<uint32_t>(t.realIndexes.size()));
    putMapRef(out + layout.ownedPagesMap, t.ownedPages);
    putMapRef(out + layout.freeSpaceMap, t.freeSpacePages);
}

void writeIndexCounts(Buffer& b, const TdefLayout& layout, const RealIndexDef& r) {
    uint8_t* out = b.block(layout.realIndexCountBlock);
    putU32(out + kStatisticEntries, r.statisticEntries);
    putU32(out + kDistinctKeysInBlock, r.distinctKeys);
}

void writeColumnMaps(Buffer& b, const ColumnDef& c) {
    uint8_t* out = b.block(column_maps::kSize);
    putU16(out + column_maps::kColumnNumber, c.number);
    putMapRef(out + column_maps::kOwnedPages, *c.longValueOwnedMap);
    putMapRef(out + column_maps::kFreeSpace, c.longValueFreeMap.value_or(MapRef{}));
}

// The long-value columns in the order their maps were stored, when that order still names
// exactly them; else in column order.
std::vector<const ColumnDef*> columnsWithMaps(const TableDefinition& t) {
    std::vector<const ColumnDef*> inColumnOrder;
    for (const auto& c : t.columns)
        if (c.longValueOwnedMap) inColumnOrder.push_back(&c);
    std::vector<const ColumnDef*> stored;
    for (uint16_t number : t.longValueMapOrder) {
        const ColumnDef* c = t.columnByNumber(number);
        if (!c || !c->longValueOwnedMap) return inColumnOrder;
        stored.push_back(c);
    }
    return stored.size() == inColumnOrder.size() ? stored : inColumnOrder;
}

}  // namespace

std::vector<uint8_t> encodeTableDefinition(const Format& format, const TableDefinition& t) {
    const TdefLayout& layout = format.tdef;
    requireWritable(t);
    Buffer b(format);
    writeHeader(b, layout, t);
    for (const auto& r : t.realIndexes) writeIndexCounts(b, layout, r);
    for (const auto& c : t.columns) writeColumn(b, layout.column, c);
    for (const auto& c : t.columns) b.name(c.name);
    for (const auto& r : t.realIndexes) writeRealIndex(b, layout.realIndex, r);
    for (const auto& l : t.logicalIndexes) writeLogicalIndex(b, layout.logicalIndex, l);
    for (const auto& l : t.logicalIndexes) b.name(l.name);
    for (const ColumnDef* c : columnsWithMaps(t)) writeColumnMaps(b, *c);
    b.u16(column_maps::kEnd);
    std::vector<uint8_t> bytes = b.take();
    putU32(bytes.data() + kLength, static_cast<uint32_t>(bytes.size()));
    return bytes;
}

std::vector<std::vector<uint8_t>> tableDefinitionPages(const Format& format,
                                                       const std::vector<uint8_t>& logical) {
    const size_t pageSize = format.pageSize;
    std::vector<std::vector<uint8_t>> pages;
    size_t at = 0;
    while (at < logical.size() || pages.empty()) {
        std::vector<uint8_t> page(pageSize, 0);
        size_t header = pages.empty() ? 0 : kContinuationHeader;
        size_t take = std::min(logical.size() - at, pageSize - header);
        std::copy_n(logical.begin() + static_cast<std::ptrdiff_t>(at), take,
                    page.begin() + static_cast<std::ptrdiff_t>(header));
        page[page_layout::kPageType] = kPageType;
        page[page_layout::kMarker] = kPageMarkerValue;
        // Access counts the free space as if each page kept some bytes in reserve.
        size_t used = header + take + kPageReserve;
        putU16At(page.data(), format.tdef.freeSpaceField,
                 static_cast<uint16_t>(used >= pageSize ? 0 : pageSize - used));
        putU16At(page.data(), format.tdef.signature, kSignatureValue);
        putU32(page.data() + kNextPage, 0);
        pages.push_back(std::move(page));
        at += take;
    }
    return pages;
}

void writeTableDefinition(PageFile& file, PageAllocator& allocator, TableDefinition& t) {
    const Format& format = file.format();
    const TdefLayout& layout = format.tdef;
    std::vector<uint8_t> logical = encodeTableDefinition(format, t);
    std::vector<uint32_t> chain = t.pages;
    if (chain.empty()) chain.push_back(t.firstPage != 0 ? t.firstPage : allocator.allocate());
    ByteView first = file.page(chain.front());
    if (layout.headerUnknownAt != kAbsent && first.u8(page_layout::kPageType) == kPageType &&
        first.u32(layout.magic) == kMagicValue)
        std::copy_n(first.data() + layout.headerUnknownAt, layout.headerUnknownSize,
                    logical.begin() + static_cast<std::ptrdiff_t>(layout.headerUnknownAt));

    std::vector<std::vector<uint8_t>> images = tableDefinitionPages(format, logical);
    while (chain.size() < images.size()) chain.push_back(allocator.allocate());
    for (size_t i = images.size(); i < chain.size(); ++i) allocator.release(chain[i]);
    chain.resize(images.size());
    size_t remaining = logical.size();
    for (size_t i = 0; i < images.size(); ++i) {
        if (i + 1 < images.size()) putU32(images[i].data() + kNextPage, chain[i + 1]);
        // Past the definition's end a page keeps what it held, as Access leaves it.
        size_t header = i == 0 ? 0 : kContinuationHeader;
        size_t used = header + std::min(remaining, size_t{format.pageSize} - header);
        remaining -= used - header;
        std::copy_n(images[i].begin(), used, file.writablePage(chain[i]));
    }
    t.firstPage = chain.front();
    t.pages = std::move(chain);
    t.length = static_cast<uint32_t>(logical.size());
}

}  // namespace jet
