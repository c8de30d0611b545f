#include "jet/catalog/system_table_layout.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "jet/format/format.h"

namespace jet {

namespace {

// Flags Jet gives the columns of its own tables: replication bit set, plus fixed where the
// type is fixed; the owner and SID binaries carry 0x20 as well.
constexpr uint8_t kSysFixed =
    column_flag::kReplication | column_flag::kUpdatable | column_flag::kFixed;
constexpr uint8_t kSysVariable = column_flag::kReplication | column_flag::kUpdatable;
constexpr uint8_t kSysSid = 0x20 | kSysVariable;
constexpr uint8_t kSysTableType = 0x53;
// Jet's index flags; 0x80 is on every index Jet 4 makes.
constexpr uint8_t kIndexJet4 = 0x80;
// Non-foreign-key logical indexes carry 4 in both action bytes.
constexpr uint8_t kNoAction = 4;

struct ColumnSpec {
    const char16_t* name;
    ColumnType type;
    uint16_t number;
    uint16_t length;  // Text: bytes; Memo/OLE: 0
    uint8_t flags;
};

struct RealIndexSpec {
    std::vector<uint16_t> columns;  // all ascending
    uint8_t flags;
};

struct LogicalIndexSpec {
    const char16_t* name;
    uint32_t number;
    uint32_t realIndex;
    LogicalIndexKind kind;
};

struct TableSpec {
    std::vector<ColumnSpec> columns;  // display order
    std::vector<RealIndexSpec> realIndexes;
    std::vector<LogicalIndexSpec> logicalIndexes;  // stored order
};

using T = ColumnType;

const TableSpec& objectsSpec() {
    static const TableSpec layout{
        {{u"Connect", T::Memo, 9, 0, kSysVariable},
         {u"Database", T::Memo, 8, 0, kSysVariable},
         {u"DateCreate", T::DateTime, 4, 8, kSysFixed},
         {u"DateUpdate", T::DateTime, 5, 8, kSysFixed},
         {u"Flags", T::Long, 7, 4, kSysFixed},
         {u"ForeignName", T::Text, 10, 510, kSysVariable},
         {u"Id", T::Long, 0, 4, kSysFixed},
         {u"Lv", T::OLE, 13, 0, kSysVariable},
         {u"LvExtra", T::OLE, 16, 0, kSysVariable},
         {u"LvModule", T::OLE, 15, 0, kSysVariable},
         {u"LvProp", T::OLE, 14, 0, kSysVariable},
         {u"Name", T::Text, 2, 510, kSysVariable},
         {u"Owner", T::Binary, 6, 510, kSysSid},
         {u"ParentId", T::Long, 1, 4, kSysFixed},
         {u"RmtInfoLong", T::OLE, 12, 0, kSysVariable},
         {u"RmtInfoShort", T::Binary, 11, 510, kSysVariable},
         {u"Type", T::Integer, 3, 2, kSysFixed}},
        {{{1, 2}, kIndexJet4 | index_flag::kUnique}, {{0}, kIndexJet4 | index_flag::kUnique}},
        {{u"Id", 1, 1, LogicalIndexKind::PrimaryKey},
         {u"ParentIdName", 0, 0, LogicalIndexKind::Normal}}};
    return layout;
}

const TableSpec& acesSpec() {
    static const TableSpec layout{{{u"ACM", T::Long, 2, 4, kSysFixed},
                                   {u"FInheritable", T::Boolean, 3, 1, kSysFixed},
                                   {u"ObjectId", T::Long, 0, 4, kSysFixed},
                                   {u"SID", T::Binary, 1, 510, kSysSid}},
                                  {{{0}, kIndexJet4 | index_flag::kRequired}},
                                  {{u"ObjectId", 0, 0, LogicalIndexKind::Normal}}};
    return layout;
}

const TableSpec& queriesSpec() {
    static const TableSpec layout{{{u"Attribute", T::Byte, 1, 1, kSysFixed},
                                   {u"Expression", T::Memo, 5, 0, kSysVariable},
                                   {u"Flag", T::Integer, 6, 2, kSysFixed},
                                   {u"LvExtra", T::Long, 7, 4, kSysFixed},
                                   {u"Name1", T::Text, 3, 510, kSysVariable},
                                   {u"Name2", T::Text, 4, 510, kSysVariable},
                                   {u"ObjectId", T::Long, 0, 4, kSysFixed},
                                   {u"Order", T::Binary, 2, 510, kSysVariable}},
                                  {{{0, 1, 2}, kIndexJet4 | index_flag::kUnique}},
                                  {{u"ObjectIdAttribute", 0, 0, LogicalIndexKind::PrimaryKey}}};
    return layout;
}

const TableSpec& relationshipsSpec() {
    static const TableSpec layout{{{u"ccolumn", T::Long, 2, 4, kSysFixed},
                                   {u"grbit", T::Long, 1, 4, kSysFixed},
                                   {u"icolumn", T::Long, 3, 4, kSysFixed},
                                   {u"szColumn", T::Text, 5, 510, kSysVariable},
                                   {u"szObject", T::Text, 4, 510, kSysVariable},
                                   {u"szReferencedColumn", T::Text, 7, 510, kSysVariable},
                                   {u"szReferencedObject", T::Text, 6, 510, kSysVariable},
                                   {u"szRelationship", T::Text, 0, 510, kSysVariable}},
                                  {{{0}, kIndexJet4 | index_flag::kIgnoreNulls},
                                   {{4}, kIndexJet4 | index_flag::kIgnoreNulls},
                                   {{6}, kIndexJet4 | index_flag::kIgnoreNulls}},
                                  {{u"szObject", 1, 1, LogicalIndexKind::Normal},
                                   {u"szReferencedObject", 2, 2, LogicalIndexKind::Normal},
                                   {u"szRelationship", 0, 0, LogicalIndexKind::Normal}}};
    return layout;
}

// Hands out the holder page's map rows and the index root pages in Jet's order.
struct PageCursor {
    uint32_t holder;
    uint8_t nextRow = 0;
    uint32_t nextRoot;
    MapRef nextMap() { return MapRef{nextRow++, holder}; }
};

// Column numbers order the fixed area and the variable-offset table; Booleans live in the
// null mask and take no room.
void placeColumns(std::vector<ColumnDef>& columns) {
    std::vector<ColumnDef*> byNumber;
    for (ColumnDef& c : columns) byNumber.push_back(&c);
    std::sort(byNumber.begin(), byNumber.end(),
              [](const ColumnDef* a, const ColumnDef* b) { return a->number < b->number; });
    uint16_t offset = 0, vars = 0;
    for (ColumnDef* c : byNumber) {
        c->varIndex = vars;
        if (!c->isFixed()) {
            ++vars;
        } else if (c->type() != ColumnType::Boolean) {
            c->fixedOffset = offset;
            offset = static_cast<uint16_t>(offset + c->length);
        }
    }
}

void addLogicalIndexes(const TableSpec& layout, TableDefinition& t) {
    for (const LogicalIndexSpec& s : layout.logicalIndexes) {
        LogicalIndexDef l;
        l.number = s.number;
        l.realIndex = s.realIndex;
        l.updateAction = kNoAction;
        l.deleteAction = kNoAction;
        l.kind = uint8_t(s.kind);
        l.name = s.name;
        t.logicalIndexes.push_back(std::move(l));
    }
}

TableDefinition build(const TableSpec& layout, uint32_t tdefPage, PageCursor& pages) {
    TableDefinition t;
    t.firstPage = tdefPage;
    t.tableType = kSysTableType;
    t.maxColumns = static_cast<uint16_t>(layout.columns.size());
    t.ownedPages = pages.nextMap();
    t.freeSpacePages = pages.nextMap();
    for (const ColumnSpec& s : layout.columns) {
        ColumnDef c;
        c.typeCode = uint8_t(s.type);
        c.number = s.number;
        c.sortLcid = 0x0409;
        c.flags = s.flags;
        c.length = s.length;
        c.name = s.name;
        if (!c.isFixed()) ++t.varColumns;
        t.columns.push_back(std::move(c));
    }
    placeColumns(t.columns);
    // Long-value maps go by column number, after the table's own two.
    for (uint16_t n = 0; n < t.maxColumns; ++n)
        for (ColumnDef& c : t.columns)
            if (c.number == n && c.isLongValue()) {
                c.longValueOwnedMap = pages.nextMap();
                c.longValueFreeMap = pages.nextMap();
            }
    for (const RealIndexSpec& s : layout.realIndexes) {
        RealIndexDef r;
        for (uint16_t n : s.columns) r.columns.push_back({n, true});
        r.usageMap = pages.nextMap();
        r.rootPage = pages.nextRoot++;
        r.flags = s.flags;
        t.realIndexes.push_back(std::move(r));
    }
    addLogicalIndexes(layout, t);
    return t;
}

// Access 97 keeps the same columns (but one of MSysQueries), numbers and types, but in number
// order, with text and binary lengths in characters (255), every column naming the sort order and
// the code page, and index flags without Jet 4's bit.
constexpr uint16_t kJet3CodePage = 1252;
// The order Access 97 stores MSysObjects' long-value maps in.
constexpr uint16_t kObjectsMapOrder97[] = {9, 8, 13, 16, 15, 14, 12};

// Hands out map rows as Access 97 does: rows on the current holder page while it has room,
// then on the next free page; an index's map may ask for a page of its own.
class MapRows97 {
  public:
    explicit MapRows97(uint32_t firstFree) : nextPage_(firstFree) {}
    MapRef row() {
        if (holder_ == 0 || rows_ == kRowsPerPage) startPage();
        return MapRef{rows_++, holder_};
    }
    MapRef rowOnPageOfItsOwn() {
        startPage();
        return row();
    }
    void startPage() {
        holder_ = nextPage_++;
        rows_ = 0;
    }
    uint32_t page() { return nextPage_++; }

  private:
    static constexpr uint8_t kRowsPerPage =
        static_cast<uint8_t>((kJet3Format.pageSize - kJet3Format.dataPage.rowOffsets) /
                             (kJet3Format.usageMap.rowSize + data_page_layout::kRowOffsetSize));
    uint32_t nextPage_;
    uint32_t holder_ = 0;
    uint8_t rows_ = 0;
};

// `jet4Only` names a column Access 97's table lacks (or is empty).
TableDefinition build97(const TableSpec& layout, uint32_t tdefPage, MapRows97& pages,
                        bool indexMapsApart, std::u16string_view jet4Only) {
    TableDefinition t;
    t.firstPage = tdefPage;
    t.tableType = kSysTableType;
    t.ownedPages = pages.row();
    t.freeSpacePages = pages.row();
    for (const ColumnSpec& s : layout.columns) {
        if (s.name == jet4Only) continue;
        ColumnDef c;
        c.typeCode = uint8_t(s.type);
        c.number = s.number;
        c.sortLcid = 0x0409;
        c.codePage = kJet3CodePage;
        c.flags = s.flags;
        c.length = s.type == T::Text || s.type == T::Binary ? uint16_t(s.length / 2) : s.length;
        c.name = s.name;
        if (!c.isFixed()) ++t.varColumns;
        t.columns.push_back(std::move(c));
    }
    t.maxColumns = static_cast<uint16_t>(t.columns.size());
    std::sort(t.columns.begin(), t.columns.end(),
              [](const ColumnDef& a, const ColumnDef& b) { return a.number < b.number; });
    placeColumns(t.columns);
    for (ColumnDef& c : t.columns)
        if (c.isLongValue()) {
            c.longValueOwnedMap = pages.row();
            c.longValueFreeMap = pages.row();
            t.longValueMapOrder.push_back(c.number);
        }
    for (const RealIndexSpec& s : layout.realIndexes) {
        RealIndexDef r;
        for (uint16_t n : s.columns) r.columns.push_back({n, true});
        r.usageMap = indexMapsApart ? pages.rowOnPageOfItsOwn() : pages.row();
        if (indexMapsApart) r.rootPage = pages.page();
        r.flags = static_cast<uint8_t>(s.flags & ~kIndexJet4);
        t.realIndexes.push_back(std::move(r));
    }
    addLogicalIndexes(layout, t);
    return t;
}

}  // namespace

std::vector<TableDefinition> systemTableDefinitions(uint32_t firstPage, uint8_t sortVersion) {
    PageCursor pages{firstPage + kSystemTableCount, 0, firstPage + kSystemTableCount + 1};
    std::vector<TableDefinition> out;
    const TableSpec* specs[] = {&objectsSpec(), &acesSpec(), &queriesSpec(), &relationshipsSpec()};
    for (uint32_t i = 0; i < kSystemTableCount; ++i)
        out.push_back(build(*specs[i], firstPage + i, pages));
    for (TableDefinition& t : out)
        for (ColumnDef& c : t.columns) c.sortVersion = sortVersion;
    return out;
}

std::vector<TableDefinition> systemTableDefinitions97() {
    const TableSpec* specs[] = {&objectsSpec(), &acesSpec(), &queriesSpec(), &relationshipsSpec()};
    const uint32_t first = kObjectsTdefPage97;
    MapRows97 pages(first + kSystemTableCount);
    std::vector<TableDefinition> out;
    // The catalog's own maps and indexes come first, its index maps each on a page of their
    // own; the other three tables share the next holder page and have their roots after it.
    out.push_back(build97(*specs[0], first, pages, true, u""));
    out[0].longValueMapOrder.assign(std::begin(kObjectsMapOrder97), std::end(kObjectsMapOrder97));
    pages.startPage();
    // MSysQueries' column LvExtra came with Jet 4.
    for (uint32_t i = 1; i < kSystemTableCount; ++i)
        out.push_back(build97(*specs[i], first + i, pages, false,
                              specs[i] == &queriesSpec() ? u"LvExtra" : u""));
    for (uint32_t i = 1; i < kSystemTableCount; ++i)
        for (RealIndexDef& r : out[i].realIndexes) r.rootPage = pages.page();
    return out;
}

}  // namespace jet
