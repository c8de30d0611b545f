#include "jet/dao/table_creator.h"

#include <algorithm>
#include <optional>

#include "jet/base/code_page_text.h"
#include "jet/base/object_names.h"
#include "jet/base/text.h"
#include "jet/catalog/catalog.h"
#include "jet/catalog/property_writer.h"
#include "jet/catalog/system_table_row.h"
#include "jet/dao/dao_database.h"
#include "jet/format/extended_date_layout.h"
#include "jet/index/index_key.h"
#include "jet/index/index_page_image.h"
#include "jet/page/header_writer.h"
#include "jet/table/data_page_writer.h"
#include "jet/table/table_definition_writer.h"
#include "jet/table/table_writer.h"

namespace jet {

namespace {

inline constexpr size_t kMaxColumns = 255;
inline constexpr size_t kMaxIndexes = 32;
inline constexpr uint16_t kDefaultTextLength = 100;  // 50 characters
inline constexpr uint16_t kDefaultBinaryLength = 255;
inline constexpr uint8_t kIndexMadeByJet4 = 0x80;  // on every index Access 2000+ makes
inline constexpr uint16_t kJet3SortLcid = 0x0409;  // Access 97 gives every column "General"
// Access stores 4 as the update and delete actions of an index that is no foreign key.
inline constexpr uint8_t kNoForeignKeyAction = 4;

[[noreturn]] void invalid(const std::string& what) {
    throw Error(ErrorCode::InvalidArgument, what);
}

struct TypeLayout {
    bool fixed = false;
    uint16_t length = 0;
};

TypeLayout typeLayout(const NewColumn& c) {
    switch (c.type) {
        case ColumnType::Text:
            if (c.length > 510 || c.length % 2 != 0)
                invalid("Ungültige Feldgröße für das Textfeld '" + toUtf8(c.name) + "'.");
            return {false, c.length ? c.length : kDefaultTextLength};
        case ColumnType::Binary:
            if (c.length > 510) invalid("Ungültige Feldgröße für '" + toUtf8(c.name) + "'.");
            return {false, c.length ? c.length : kDefaultBinaryLength};
        case ColumnType::Memo:
        case ColumnType::OLE:
            return {false, 0};
        default:
            if (uint16_t length = fixedTypeLength(c.type)) return {true, length};
    }
    invalid("Unbekannter Feldtyp für '" + toUtf8(c.name) + "'.");
}

// The ACE types newer than the file: Access 2016 brought BigInt, Access 2019 the extended
// Date/Time; an older Access could not open a file holding them.
void requireTypeInFormat(const Format& format, const NewColumn& c) {
    const auto refuse = [&c](const char* type, const char* access) {
        invalid("Das Feld '" + toUtf8(c.name) + "' kann nicht angelegt werden: den Datentyp " +
                type + " gibt es erst in Datenbanken ab " + access + ".");
    };
    if (c.type == ColumnType::BigInt && format.version < FormatVersion::Ace16)
        refuse("BigInt (Große Zahl)", "Access 2016 (ACE 16)");
    if (c.type == ColumnType::ExtendedDateTime && format.version < FormatVersion::Ace17)
        refuse("Datum/Uhrzeit erweitert", "Access 2019 (ACE 17)");
}

void checkColumnName(const std::u16string& name) {
    if (name.empty() || name.size() > kMaxObjectNameLength || name.front() == u' ')
        invalid("'" + toUtf8(name) + "' ist kein gültiger Feldname.");
}

// A name the file's code page cannot hold is refused before anything is written.
void requireEncodableName(const Format& format, const std::u16string& name) {
    if (format.text != TextCodec::CodePage) return;
    if (auto bad = codePageText(format.codePage).findUnencodable(name))
        invalid("Der Name '" + toUtf8(name) + "' lässt sich in dieser Datenbank nicht speichern: " +
                unencodableDescription(*bad, format.codePage));
}

// Access 97 keeps no sort version and no extended flags; every column names the sort order
// and the code page, and a text column's length counts characters.
void toJet3Column(const Format& format, const NewColumn& n, ColumnDef& c) {
    if (n.type == ColumnType::Decimal)
        invalid(
            "Das Feld '" + toUtf8(n.name) +
            "' kann nicht angelegt werden: Access-97-Datenbanken kennen den Typ Decimal nicht.");
    requireEncodableName(format, n.name);
    c.sortLcid = kJet3SortLcid;
    c.sortVersion = 0;
    c.codePage = format.textCodePage();
    c.extFlags = 0;
    if (n.type == ColumnType::Text) c.length = static_cast<uint16_t>(c.length / 2);
}

std::vector<ColumnDef> layoutColumns(const std::vector<NewColumn>& columns, const Format& format,
                                     SortOrder sort) {
    if (columns.empty()) invalid("Die Tabelle hat keine Felder.");
    if (columns.size() > kMaxColumns) invalid("Zu viele Felder definiert.");
    std::vector<ColumnDef> out;
    uint16_t varCount = 0, fixedOffset = 0;
    for (const NewColumn& n : columns) {
        checkColumnName(n.name);
        requireTypeInFormat(format, n);
        for (const ColumnDef& other : out)
            if (equalIgnoringCase(other.name, n.name))
                throw Error(ErrorCode::DuplicateFieldName,
                            "Feld '" + toUtf8(n.name) + "' kann nicht mehrfach definiert werden.");
        TypeLayout layout = typeLayout(n);
        // Text may be fixed-length too (Access keeps it padded in the fixed area).
        if (n.flags & column_flag::kFixed) layout.fixed = true;
        ColumnDef c;
        c.typeCode = uint8_t(n.type);
        c.number = static_cast<uint16_t>(out.size());
        c.displayIndex = c.number;
        c.name = n.name;
        c.length = layout.length;
        c.flags = static_cast<uint8_t>(n.flags | column_flag::kUpdatable |
                                       (layout.fixed ? column_flag::kFixed : 0));
        c.extFlags = n.extFlags;
        if (n.type == ColumnType::Decimal) {
            c.precision = n.precision;
            c.scale = n.scale;
        } else {
            c.sortLcid = sort.lcid;
            c.sortVersion = sort.version;
        }
        if (format.text == TextCodec::CodePage) toJet3Column(format, n, c);
        // A fixed column's slot in the variable table is the count of variable ones before it.
        c.varIndex = layout.fixed ? varCount : varCount++;
        if (layout.fixed && n.type != ColumnType::Boolean) {
            c.fixedOffset = fixedOffset;
            fixedOffset = static_cast<uint16_t>(fixedOffset + layout.length);
        }
        out.push_back(std::move(c));
    }
    return out;
}

uint8_t realIndexFlags(const NewIndex& i, const Format& format) {
    uint8_t flags = format.version == FormatVersion::Jet3 ? 0 : kIndexMadeByJet4;
    if (i.primaryKey || i.unique) flags |= index_flag::kUnique;
    if (i.ignoreNulls) flags |= index_flag::kIgnoreNulls;
    if (i.primaryKey || i.required) flags |= index_flag::kRequired;
    return flags;
}

std::vector<IndexColumn> indexColumns(const NewIndex& i, const std::vector<ColumnDef>& columns) {
    if (i.columns.empty() || i.columns.size() > tdef_layout::real_index_block::kSlotCount)
        invalid("Der Index '" + toUtf8(i.name) + "' muss 1 bis 10 Felder umfassen.");
    std::vector<IndexColumn> out;
    for (const NewIndexColumn& ic : i.columns) {
        auto c = std::find_if(columns.begin(), columns.end(), [&](const ColumnDef& d) {
            return equalIgnoringCase(d.name, ic.column);
        });
        if (c == columns.end())
            invalid("Der Index '" + toUtf8(i.name) + "' nennt das unbekannte Feld '" +
                    toUtf8(ic.column) + "'.");
        out.push_back(IndexColumn{c->number, ic.ascending});
    }
    return out;
}

bool sameIndex(const RealIndexDef& r, const std::vector<IndexColumn>& columns, uint8_t flags) {
    if (r.flags != flags || r.columns.size() != columns.size()) return false;
    for (size_t k = 0; k < columns.size(); ++k)
        if (r.columns[k].columnNumber != columns[k].columnNumber ||
            r.columns[k].ascending != columns[k].ascending)
            return false;
    return true;
}

// The key Access sorts logical index names by: its text sort order, General 97 in Access 97.
std::vector<uint8_t> nameSortKey(const Format& format, const std::u16string& name) {
    std::vector<uint8_t> key;
    std::string bytes;
    if (format.text == TextCodec::CodePage && !codePageText(format.codePage).encode(name, bytes)) {
        appendText97Key(key, bytes, true);
        return key;
    }
    appendTextKey(key, name, true);
    return key;
}

void layoutIndexes(const std::vector<NewIndex>& indexes, const Format& format, TableDefinition& t) {
    if (indexes.size() > kMaxIndexes) invalid("Zu viele Indizes für die Tabelle.");
    for (size_t n = 0; n < indexes.size(); ++n) {
        const NewIndex& i = indexes[n];
        checkColumnName(i.name);
        requireEncodableName(format, i.name);
        for (const LogicalIndexDef& other : t.logicalIndexes)
            if (equalIgnoringCase(other.name, i.name))
                invalid("Der Index '" + toUtf8(i.name) + "' ist bereits vorhanden.");
        std::vector<IndexColumn> columns = indexColumns(i, t.columns);
        uint8_t flags = realIndexFlags(i, format);
        auto shared =
            std::find_if(t.realIndexes.begin(), t.realIndexes.end(),
                         [&](const RealIndexDef& r) { return sameIndex(r, columns, flags); });
        if (shared == t.realIndexes.end()) {
            RealIndexDef r;
            r.columns = std::move(columns);
            r.flags = flags;
            t.realIndexes.push_back(std::move(r));
            shared = t.realIndexes.end() - 1;
        }
        LogicalIndexDef l;
        l.number = static_cast<uint32_t>(n);
        l.realIndex = static_cast<uint32_t>(shared - t.realIndexes.begin());
        l.updateAction = kNoForeignKeyAction;
        l.deleteAction = kNoForeignKeyAction;
        l.kind = uint8_t(i.primaryKey ? LogicalIndexKind::PrimaryKey : LogicalIndexKind::Normal);
        l.name = i.name;
        t.logicalIndexes.push_back(std::move(l));
    }
    // Access stores them in the order of its text sort ("Users2_1_idx" before "Users2CID_0").
    std::stable_sort(t.logicalIndexes.begin(), t.logicalIndexes.end(),
                     [&](const LogicalIndexDef& a, const LogicalIndexDef& b) {
                         return nameSortKey(format, a.name) < nameSortKey(format, b.name);
                     });
}

// Usage-map rows for a new table, on pages of their own, as many per page as fit.
class MapRows {
  public:
    MapRows(PageFile& file, PageAllocator& allocator)
        : file_(file), allocator_(allocator), rowSize_(file.format().usageMap.rowSize) {}

    // An inline map over the window from `start`, with `page`'s bit set when given.
    MapRef add(uint32_t start, std::optional<uint32_t> page = std::nullopt) {
        using namespace usage_map_layout;
        const Format& format = file_.format();
        if (page_ == 0 || !rowFits(format, file_.page(page_), rowSize_)) {
            page_ = allocator_.allocate();
            formatDataPage(format, file_.writablePage(page_), 0);
        }
        AddedRow row = addRow(format, file_.writablePage(page_), rowSize_);
        std::fill_n(row.bytes, rowSize_, uint8_t{0});
        row.bytes[kKind] = kInline;
        putU32(row.bytes + kInlineStart, start);
        if (page) {
            uint32_t bit = *page - start;
            uint8_t& byte = row.bytes[kInlineBitmap + bit / 8];
            byte = static_cast<uint8_t>(byte | 1u << (bit % 8));
        }
        return MapRef{row.row, page_};
    }

    // Access starts a map's window at 0 while the page lies in the first window, else at the
    // page rounded down to a multiple of 8.
    uint32_t windowFor(uint32_t page) const {
        const uint32_t windowPages =
            static_cast<uint32_t>((rowSize_ - usage_map_layout::kInlineBitmap) * 8);
        return page < windowPages ? 0 : page & ~7u;
    }

  private:
    PageFile& file_;
    PageAllocator& allocator_;
    size_t rowSize_;  // kInlineBitmap + the bitmap
    uint32_t page_ = 0;
};

void writeEmptyRoot(PageFile& file, uint32_t root, uint32_t tablePage) {
    IndexPageHeader header;
    header.tablePage = tablePage;
    EntryList none(true);
    writeIndexPage(file.format().indexPage, file.writablePage(root), header, none, 0, 0, 0);
}

}  // namespace

uint16_t fixedTypeLength(ColumnType type) {
    switch (type) {
        case ColumnType::Boolean:
        case ColumnType::Byte:
            return 1;
        case ColumnType::Integer:
            return 2;
        case ColumnType::Long:
        case ColumnType::Single:
            return 4;
        case ColumnType::Currency:
        case ColumnType::Double:
        case ColumnType::DateTime:
        case ColumnType::BigInt:
            return 8;
        case ColumnType::ExtendedDateTime:
            return extended_date_layout::kSize;
        case ColumnType::Guid:
            return 16;
        case ColumnType::Decimal:
            return 17;
        default:
            return 0;
    }
}

TableDefinition layoutTable(const NewTable& table, const Format& format, SortOrder sort,
                            uint8_t tableType) {
    TableDefinition t;
    t.tableType = tableType;
    t.columns = layoutColumns(table.columns, format, sort);
    t.maxColumns = static_cast<uint16_t>(t.columns.size());
    t.varColumns = static_cast<uint16_t>(std::count_if(
        t.columns.begin(), t.columns.end(), [](const ColumnDef& c) { return !c.isFixed(); }));
    layoutIndexes(table.indexes, format, t);
    return t;
}

void writeNewTableDefinition(PageFile& file, PageAllocator& allocator, TableDefinition& t) {
    t.firstPage = allocator.allocate();
    t.pages.clear();
    MapRows maps(file, allocator);
    t.ownedPages = maps.add(0);
    t.freeSpacePages = maps.add(0);
    for (RealIndexDef& r : t.realIndexes) {
        r.rootPage = allocator.allocate();
        r.usageMap = maps.add(maps.windowFor(r.rootPage), r.rootPage);
        writeEmptyRoot(file, r.rootPage, t.firstPage);
    }
    for (ColumnDef& c : t.columns) {
        if (!c.isLongValue()) continue;
        c.longValueOwnedMap = maps.add(0);
        c.longValueFreeMap = maps.add(0);
    }
    writeTableDefinition(file, allocator, t);
}

std::vector<uint8_t> newTablePropertyBlob(const NewTable& table, uint16_t codePage) {
    bool any = !table.properties.empty();
    for (const NewColumn& c : table.columns) any = any || !c.properties.empty();
    if (!any) return {};
    PropertySet set;
    set.codePage = codePage;
    objectBlock(set).properties = table.properties;
    for (const NewColumn& c : table.columns)
        if (!c.properties.empty()) columnBlock(set, c.name).properties = c.properties;
    return writePropertyBlob(set);
}

namespace {

// The access mask of an inheritable permission that names the object's creator rather than
// a user or group; Access hands it on to no new table.
inline constexpr int32_t kCreatorPermission = 0x000F00FE;

Bytes databaseOwner(const jet::Database& storage) {
    for (const CatalogEntry& e : storage.catalog())
        if (e.id == catalog_layout::kDatabaseObject && !e.owner.empty()) return e.owner;
    return Bytes{0xA6, 0x33};  // Access's Admin user
}

void setValue(std::vector<Value>& row, const TableDefinition& t, std::u16string_view column,
              Value v) {
    int number = columnNumberOf(t, column);
    if (number < 0) throwCorrupt(t.firstPage, "Spalte " + toUtf8(column) + " fehlt");
    row[static_cast<size_t>(number)] = std::move(v);
}

std::vector<Value> emptyRow(const TableDefinition& t) {
    size_t size = t.maxColumns;
    for (const ColumnDef& c : t.columns) size = std::max<size_t>(size, c.number + 1u);
    return std::vector<Value>(size, Null{});
}

// The new table's MSysObjects row; its Id is set once the table has its first page.
std::vector<Value> catalogRowFor(dao::Database& db, const NewTable& table) {
    const TableDefinition& t = db.inserterFor(u"MSysObjects").table();
    std::vector<Value> row = emptyRow(t);
    const DateTime now{jetDateNow()};
    setValue(row, t, u"Id", int32_t{0});
    setValue(row, t, u"ParentId", int32_t{catalog_layout::kTablesContainer});
    setValue(row, t, u"Name", table.name);
    setValue(row, t, u"Type", catalog_layout::kTypeTable);
    setValue(row, t, u"DateCreate", now);
    setValue(row, t, u"DateUpdate", now);
    setValue(row, t, u"Owner", databaseOwner(db.storage()));
    setValue(row, t, u"Flags", int32_t{0});
    Bytes blob = newTablePropertyBlob(table, db.storage().file().format().textCodePage());
    if (!blob.empty()) setValue(row, t, u"LvProp", std::move(blob));
    return row;
}

struct Permission {
    Bytes sid;
    int32_t acm = 0;
};

// The Tables container's inheritable permissions that Access copies onto a new table.
std::vector<Permission> inheritedPermissions(dao::Database& db) {
    const TableDefinition& t = db.inserterFor(u"MSysACEs").table();
    const int objectId = columnNumberOf(t, u"ObjectId"), sid = columnNumberOf(t, u"SID"),
              acm = columnNumberOf(t, u"ACM"), inheritable = columnNumberOf(t, u"FInheritable");
    std::vector<Permission> out;
    db.storage().openTable(u"MSysACEs").forEachRow([&](RowLocation, const std::vector<Value>& v) {
        if (valueOr<int32_t>(v, objectId, 0) != catalog_layout::kTablesContainer) return;
        if (!valueOr<bool>(v, inheritable, false)) return;
        int32_t mask = valueOr<int32_t>(v, acm, 0);
        if (mask == kCreatorPermission) return;
        out.push_back(Permission{valueOr<Bytes>(v, sid, Bytes{}), mask});
    });
    return out;
}

// The new table's MSysACEs rows; their ObjectId is set with the catalog row's Id.
std::vector<std::vector<Value>> permissionRowsFor(dao::Database& db) {
    std::vector<Permission> permissions = inheritedPermissions(db);
    const TableDefinition& t = db.inserterFor(u"MSysACEs").table();
    std::vector<std::vector<Value>> rows;
    for (Permission& p : permissions) {
        std::vector<Value> row = emptyRow(t);
        setValue(row, t, u"ObjectId", int32_t{0});
        setValue(row, t, u"SID", std::move(p.sid));
        setValue(row, t, u"ACM", p.acm);
        setValue(row, t, u"FInheritable", false);
        rows.push_back(std::move(row));
    }
    return rows;
}

// At most the pages writeNewTableDefinition takes for `t`: the definition's own, a root per
// real index and the pages holding the map rows.
size_t pagesForDefinition(const Format& format, const TableDefinition& t) {
    constexpr size_t kMapRowsPerPage = 50;  // fewer than fit a data page
    size_t maps = 2 + t.realIndexes.size();
    for (const ColumnDef& c : t.columns)
        if (c.isLongValue()) maps += 2;
    return tableDefinitionPages(format, encodeTableDefinition(format, t)).size() +
           t.realIndexes.size() + maps / kMapRowsPerPage + 1;
}

// The rows a new table adds to the system tables, checked before anything is written.
struct SystemRows {
    std::vector<Value> catalog;
    std::vector<std::vector<Value>> permissions;
};

// Refuses, writing nothing, what storing `t` with `rows` would refuse: an index key of a row
// that cannot be formed (the Id, still 0, is no text and forms a key either way), a file
// without room for the pages.
void requireStorable(dao::Database& db, const TableDefinition& t, const SystemRows& rows) {
    db.inserterFor(u"MSysObjects").requireKeys(rows.catalog);
    const Format& format = db.storage().file().format();
    size_t pages = pagesForDefinition(format, t) + pagesForRow(format, rows.catalog);
    for (const std::vector<Value>& row : rows.permissions) {
        db.inserterFor(u"MSysACEs").requireKeys(row);
        pages += pagesForRow(format, row);
    }
    requireRoomInFile(db.storage().file(), pages);
}

void storeSystemRows(dao::Database& db, SystemRows& rows, int32_t id) {
    TableInserter& objects = db.inserterFor(u"MSysObjects");
    setValue(rows.catalog, objects.table(), u"Id", id);
    objects.insert(rows.catalog);
    TableInserter& aces = db.inserterFor(u"MSysACEs");
    for (std::vector<Value>& row : rows.permissions) {
        setValue(row, aces.table(), u"ObjectId", id);
        aces.insert(row);
    }
}

}  // namespace

int32_t createTable(dao::Database& db, const NewTable& table) {
    checkObjectName(table.name);
    jet::Database& storage = db.storage();
    requireEncodableName(storage.file().format(), table.name);
    for (const CatalogEntry& e : storage.catalog())
        if (e.parentId == catalog_layout::kTablesContainer && equalIgnoringCase(e.name, table.name))
            throw Error(ErrorCode::TableExists,
                        "Die Tabelle '" + toUtf8(table.name) + "' ist bereits vorhanden.");
    const DatabaseHeader& header = storage.header();
    TableDefinition t =
        layoutTable(table, storage.file().format(), SortOrder{header.sortLcid, header.sortVersion});
    SystemRows rows{catalogRowFor(db, table), permissionRowsFor(db)};
    requireStorable(db, t, rows);
    writeNewTableDefinition(storage.file(), db.allocator(), t);
    const auto id = static_cast<int32_t>(t.firstPage);
    storeSystemRows(db, rows, id);
    return id;
}

}  // namespace jet
