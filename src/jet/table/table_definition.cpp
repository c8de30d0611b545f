#include "jet/table/table_definition.h"

#include <unordered_set>

#include "jet/base/text.h"

namespace jet {

using namespace tdef_layout;

bool isKnownColumnType(uint8_t code) {
    return (code >= 1 && code <= 12) || code == 15 || code == 16;
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
        if (page.u8(0) != kPageType) throwCorrupt(next, "Tabellendefinition erwartet");
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
    const ByteView& bytes;
    size_t at;

    std::u16string name() {
        uint16_t length = bytes.u16(at);
        ByteView text = bytes.sub(at + 2, length);
        at += 2 + size_t{length};
        return decodeUcs2(text.span());
    }
};

ColumnDef readColumn(const ByteView& b, size_t at) {
    ColumnDef c;
    c.typeCode = b.u8(at + column_block::kType);
    c.number = b.u16(at + column_block::kNumber);
    c.varIndex = b.u16(at + column_block::kVarIndex);
    c.displayIndex = b.u16(at + column_block::kDisplayIndex);
    if (c.typeCode == uint8_t(ColumnType::Decimal)) {
        c.precision = b.u8(at + column_block::kPrecision);
        c.scale = b.u8(at + column_block::kScale);
    } else {
        c.sortLcid = b.u16(at + column_block::kSortLcid);
        c.sortVersion = b.u8(at + column_block::kSortVersion);
    }
    c.flags = b.u8(at + column_block::kFlags);
    c.extFlags = b.u8(at + column_block::kExtFlags);
    c.fixedOffset = b.u16(at + column_block::kFixedOffset);
    c.length = b.u16(at + column_block::kLength);
    return c;
}

void checkCounts(uint32_t page, uint16_t columns, uint32_t logical, uint32_t real) {
    // Jet allows 255 columns and 32 indexes; anything far beyond is a broken definition.
    if (columns > 4096 || logical > 1024 || real > 1024)
        throwCorrupt(page, "unmögliche Anzahl von Spalten oder Indizes");
}

}  // namespace

RealIndexDef readRealIndexBlock(const ByteView& b, size_t at) {
    RealIndexDef r;
    for (size_t slot = 0; slot < real_index_block::kSlotCount; ++slot) {
        const size_t field =
            at + real_index_block::kColumnSlots + slot * real_index_block::kSlotSize;
        uint16_t column = b.u16(field + real_index_block::kSlotColumn);
        if (column == real_index_block::kUnusedSlot) continue;
        r.columns.push_back(
            IndexColumn{column, (b.u8(field + real_index_block::kSlotOrder) & 0x01) != 0});
    }
    r.usageMap = readMapRef(b, at + real_index_block::kUsageMap);
    r.rootPage = b.u32(at + real_index_block::kRootPage);
    r.unknownWord = b.u32(at + real_index_block::kUnknownWord);
    r.flags = b.u8(at + real_index_block::kFlags);
    return r;
}

LogicalIndexDef readLogicalIndexBlock(const ByteView& b, size_t at) {
    LogicalIndexDef l;
    l.number = b.u32(at + logical_index_block::kNumber);
    l.realIndex = b.u32(at + logical_index_block::kRealIndex);
    l.foreignKeyRole = b.u8(at + logical_index_block::kForeignKeyRole);
    l.otherIndex = b.i32(at + logical_index_block::kOtherIndex);
    l.otherTablePage = b.u32(at + logical_index_block::kOtherTablePage);
    l.updateAction = b.u8(at + logical_index_block::kUpdateAction);
    l.deleteAction = b.u8(at + logical_index_block::kDeleteAction);
    l.kind = b.u8(at + logical_index_block::kKind);
    return l;
}

TableDefinition readTableDefinition(PageFile& file, uint32_t firstPage) {
    TableDefinition t;
    t.firstPage = firstPage;
    std::vector<uint8_t> buffer = readChain(file, firstPage, t.pages);
    ByteView b({buffer.data(), buffer.size()}, firstPage);
    t.length = b.u32(kLength);
    t.rowCount = b.u32(kRowCount);
    t.autoNumber = b.u32(kAutoNumber);
    t.tableType = b.u8(kTableType);
    t.maxColumns = b.u16(kMaxColumns);
    t.varColumns = b.u16(kVarColumns);
    uint16_t columnCount = b.u16(kColumnCount);
    uint32_t logicalCount = b.u32(kLogicalIndexCount);
    uint32_t realCount = b.u32(kRealIndexCount);
    checkCounts(firstPage, columnCount, logicalCount, realCount);
    t.ownedPages = readMapRef(b, kOwnedPagesMap);
    t.freeSpacePages = readMapRef(b, kFreeSpaceMap);

    size_t at = kBlocks;
    t.realIndexes.resize(realCount);
    for (auto& r : t.realIndexes) {
        r.statisticEntries = b.u32(at + kStatisticEntries);
        r.distinctKeys = b.u32(at + kDistinctKeysInBlock);
        at += kRealIndexCountBlock;
    }
    for (uint16_t i = 0; i < columnCount; ++i, at += column_block::kBlockSize)
        t.columns.push_back(readColumn(b, at));
    Cursor cursor{b, at};
    for (auto& c : t.columns) c.name = cursor.name();
    at = cursor.at;
    for (auto& r : t.realIndexes) {
        RealIndexDef parsed = readRealIndexBlock(b, at);
        parsed.statisticEntries = r.statisticEntries;
        parsed.distinctKeys = r.distinctKeys;
        r = std::move(parsed);
        at += real_index_block::kBlockSize;
    }
    for (uint32_t i = 0; i < logicalCount; ++i, at += logical_index_block::kBlockSize)
        t.logicalIndexes.push_back(readLogicalIndexBlock(b, at));
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
