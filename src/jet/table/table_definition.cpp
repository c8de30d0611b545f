#include "jet/table/table_definition.h"

#include <unordered_set>

#include "jet/base/code_page_text.h"
#include "jet/base/text.h"
#include "jet/format/page_layout.h"

namespace jet {

using namespace tdef_layout;

bool isKnownColumnType(uint8_t code) {
    return (code >= 1 && code <= 12) || code == 15 || code == 16 || (code >= 18 && code <= 20);
}

const char* columnTypeName(uint8_t code) {
    switch (code) {
        case 1:
            return "Boolean";
        case 2:
            return "Byte";
        case 3:
            return "Integer";
        case 4:
            return "Long";
        case 5:
            return "Currency";
        case 6:
            return "Single";
        case 7:
            return "Double";
        case 8:
            return "DateTime";
        case 9:
            return "Binary";
        case 10:
            return "Text";
        case 11:
            return "OLE";
        case 12:
            return "Memo";
        case 15:
            return "GUID";
        case 16:
            return "Decimal";
        case 18:
            return "Complex";
        case 19:
            return "BigInt";
        case 20:
            return "DateTimeExtended";
        default:
            return "Unknown";
    }
}

const ColumnDef* TableDefinition::columnByNumber(uint16_t number) const {
    for (const auto& c : columns)
        if (c.number == number) return &c;
    return nullptr;
}

namespace {

// The logical TDEF buffer: the first page whole, then each continuation page after its header.
std::vector<uint8_t> readChain(PageFile& file, uint32_t firstPage, std::vector<uint32_t>& pages) {
    std::vector<uint8_t> buffer;
    std::unordered_set<uint32_t> seen;
    uint32_t next = firstPage;
    while (next != 0) {
        if (!seen.insert(next).second) throwCorrupt(next, "Schleife in der Tabellendefinition");
        ByteView page = file.page(next);
        if (page.u8(page_layout::kPageType) != kPageType)
            throwCorrupt(next, "Tabellendefinition erwartet");
        size_t skip = pages.empty() ? 0 : kContinuationHeader;
        buffer.insert(buffer.end(), page.data() + skip, page.data() + page.size());
        pages.push_back(next);
        next = page.u32(kNextPage);
    }
    return buffer;
}

MapRef readMapRef(const ByteView& b, size_t at) {
    return MapRef{b.u8(at + kMapRefRow), b.u24(at + kMapRefPage)};
}

// A cursor over the variable-length part of the definition.
struct Cursor {
    const Format& format;
    const ByteView& bytes;
    size_t at;

    std::u16string name() {
        const size_t size = storedNameSize(format.tdef, bytes, at);
        const size_t prefix = format.tdef.nameLengthSize;
        ByteView text = bytes.sub(at + prefix, size - prefix);
        at += size;
        return decodeStoredName(format, text);
    }
};

ColumnDef readColumn(const TdefColumnBlock& block, const ByteView& b, size_t at) {
    ColumnDef c;
    c.typeCode = b.u8(at + block.type);
    c.number = b.u16(at + block.number);
    c.varIndex = b.u16(at + block.varIndex);
    c.displayIndex = b.u16(at + block.displayIndex);
    if (c.typeCode == uint8_t(ColumnType::Decimal) && block.precision != kAbsent) {
        c.precision = b.u8(at + block.precision);
        c.scale = b.u8(at + block.scale);
    } else {
        c.sortLcid = b.u16(at + block.sortLcid);
        if (block.sortVersion != kAbsent) c.sortVersion = b.u8(at + block.sortVersion);
    }
    if (block.codePage != kAbsent) c.codePage = b.u16(at + block.codePage);
    if (block.unknownWord != kAbsent) c.unknownWord = b.u16(at + block.unknownWord);
    c.flags = b.u8(at + block.flags);
    if (block.extFlags != kAbsent) c.extFlags = b.u8(at + block.extFlags);
    c.fixedOffset = b.u16(at + block.fixedOffset);
    c.length = b.u16(at + block.length);
    return c;
}

void checkCounts(uint32_t page, uint16_t columns, uint32_t logical, uint32_t real) {
    // Jet allows 255 columns and 32 indexes; anything far beyond is a broken definition.
    if (columns > 4096 || logical > 1024 || real > 1024)
        throwCorrupt(page, "unmögliche Anzahl von Spalten oder Indizes");
}

}  // namespace

size_t storedNameSize(const TdefLayout& layout, const ByteView& b, size_t at) {
    const size_t length = layout.nameLengthSize == 1 ? b.u8(at) : b.u16(at);
    return layout.nameLengthSize + length;
}

std::u16string decodeStoredName(const Format& format, const ByteView& text) {
    if (format.text == TextCodec::Ucs2Compressed) return decodeUcs2(text.span());
    return codePageText(format.codePage).decode(text.span());
}

RealIndexDef readRealIndexBlock(const TdefLayout& layout, const ByteView& b, size_t at) {
    using namespace real_index_block;
    const TdefRealIndexBlock& block = layout.realIndex;
    RealIndexDef r;
    for (size_t slot = 0; slot < kSlotCount; ++slot) {
        const size_t field = at + block.columnSlots + slot * kSlotSize;
        uint16_t column = b.u16(field + kSlotColumn);
        if (column == kUnusedSlot) continue;
        r.columns.push_back(IndexColumn{column, (b.u8(field + kSlotOrder) & 0x01) != 0});
    }
    r.usageMap = readMapRef(b, at + block.usageMap);
    r.rootPage = b.u32(at + block.rootPage);
    if (block.unknownWord != kAbsent) r.unknownWord = b.u32(at + block.unknownWord);
    r.flags = b.u8(at + block.flags);
    return r;
}

LogicalIndexDef readLogicalIndexBlock(const TdefLayout& layout, const ByteView& b, size_t at) {
    const TdefLogicalIndexBlock& block = layout.logicalIndex;
    LogicalIndexDef l;
    l.number = b.u32(at + block.number);
    l.realIndex = b.u32(at + block.realIndex);
    l.foreignKeyRole = b.u8(at + block.foreignKeyRole);
    l.otherIndex = b.i32(at + block.otherIndex);
    l.otherTablePage = b.u32(at + block.otherTablePage);
    l.updateAction = b.u8(at + block.updateAction);
    l.deleteAction = b.u8(at + block.deleteAction);
    l.kind = b.u8(at + block.kind);
    return l;
}

TableDefinition readTableDefinition(PageFile& file, uint32_t firstPage) {
    const Format& format = file.format();
    const TdefLayout& layout = format.tdef;
    TableDefinition t;
    t.firstPage = firstPage;
    std::vector<uint8_t> buffer = readChain(file, firstPage, t.pages);
    ByteView b({buffer.data(), buffer.size()}, firstPage);
    t.length = b.u32(kLength);
    t.rowCount = b.u32(layout.rowCount);
    t.autoNumber = b.u32(layout.autoNumber);
    t.tableType = b.u8(layout.tableType);
    t.maxColumns = b.u16(layout.maxColumns);
    t.varColumns = b.u16(layout.varColumns);
    uint16_t columnCount = b.u16(layout.columnCount);
    uint32_t logicalCount = b.u32(layout.logicalIndexCount);
    uint32_t realCount = b.u32(layout.realIndexCount);
    checkCounts(firstPage, columnCount, logicalCount, realCount);
    t.ownedPages = readMapRef(b, layout.ownedPagesMap);
    t.freeSpacePages = readMapRef(b, layout.freeSpaceMap);

    size_t at = layout.blocks;
    t.realIndexes.resize(realCount);
    for (auto& r : t.realIndexes) {
        r.statisticEntries = b.u32(at + kStatisticEntries);
        r.distinctKeys = b.u32(at + kDistinctKeysInBlock);
        at += layout.realIndexCountBlock;
    }
    for (uint16_t i = 0; i < columnCount; ++i, at += layout.column.blockSize) {
        t.columns.push_back(readColumn(layout.column, b, at));
        t.columns.back().legacyDecimalKey = format.legacyDecimalKeys;
    }
    Cursor cursor{format, b, at};
    for (auto& c : t.columns) c.name = cursor.name();
    at = cursor.at;
    for (auto& r : t.realIndexes) {
        RealIndexDef parsed = readRealIndexBlock(layout, b, at);
        parsed.statisticEntries = r.statisticEntries;
        parsed.distinctKeys = r.distinctKeys;
        r = std::move(parsed);
        at += layout.realIndex.blockSize;
    }
    for (uint32_t i = 0; i < logicalCount; ++i, at += layout.logicalIndex.blockSize)
        t.logicalIndexes.push_back(readLogicalIndexBlock(layout, b, at));
    cursor.at = at;
    for (auto& l : t.logicalIndexes) {
        l.name = cursor.name();
        if (l.realIndex >= realCount)
            throwCorrupt(firstPage, "Index '" + toUtf8(l.name) + "' verweist auf keinen Index");
    }
    at = cursor.at;
    // Long-value columns' own page maps, up to the closing FF FF.
    while (at + 2 <= b.size() && b.u16(at) != column_maps::kEnd) {
        uint16_t number = b.u16(at + column_maps::kColumnNumber);
        t.longValueMapOrder.push_back(number);
        for (auto& c : t.columns) {
            if (c.number != number) continue;
            c.longValueOwnedMap = readMapRef(b, at + column_maps::kOwnedPages);
            c.longValueFreeMap = readMapRef(b, at + column_maps::kFreeSpace);
        }
        at += column_maps::kSize;
    }
    return t;
}

}  // namespace jet
