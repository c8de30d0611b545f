#include "jet/ddl/blank_database_97.h"

#include <filesystem>

#include "jet/base/errors.h"
#include "jet/catalog/catalog.h"
#include "jet/catalog/property_writer.h"
#include "jet/catalog/system_table_layout.h"
#include "jet/ddl/blank_file.h"
#include "jet/index/index_page_image.h"
#include "jet/page/usage_map_writer.h"
#include "jet/table/data_page_writer.h"
#include "jet/table/table_definition_writer.h"

namespace jet {

namespace {

using blank::CatalogObject;
using blank::Permission;

const Format& kFormat = kJet3Format;
constexpr uint16_t kCodePage = 1252;

// Catalog ids Jet gives its containers and the database object; Access's own objects carry
// synthetic ids from 0x80000000 on, the first two going to its SummaryInfo and UserDefined
// documents.
using blank::kSystemObject;
using catalog_layout::kContainersParent;
using catalog_layout::kDatabaseObject;
using catalog_layout::kDatabasesContainer;
using catalog_layout::kRelationshipsContainer;
using catalog_layout::kTablesContainer;
constexpr int32_t kFirstAccessContainer = kSystemObject + 2;
constexpr int32_t kAccessContainers = 5;
using catalog_layout::kTypeContainer;

// Security ids of Access 97's default workgroup: Jet's engine account (owner of the system
// objects), the Admin user (owner of everything made in the file), the Users group, the
// "creator" placeholder that inheritable permissions name, and the Admins group of the
// workgroup Access 97 installs.
const Bytes& sidEngine() {
    static const Bytes b{0x02, 0x03};
    return b;
}
const Bytes& sidAdmin() {
    static const Bytes b{0x03, 0x01};
    return b;
}
const Bytes& sidUsers() {
    static const Bytes b{0x02, 0x01};
    return b;
}
const Bytes& sidCreator() {
    static const Bytes b{0x02, 0x04};
    return b;
}
const Bytes& sidAdmins() {
    static const Bytes b{
        0x01, 0xC5, 0x54, 0x32, 0x43, 0x62, 0x02, 0x84, 0x1B, 0xDF, 0x56, 0x1A, 0x17, 0x23, 0x6A,
        0x4B, 0x11, 0xFF, 0x2E, 0x1D, 0xB3, 0xA0, 0x58, 0x06, 0x30, 0x66, 0x94, 0xBB, 0xCD, 0x5A,
        0x29, 0xED, 0xBB, 0xDF, 0x56, 0x1A, 0x17, 0x23, 0x6A, 0x4B, 0x11, 0xDF, 0x56, 0x1A, 0x17,
        0x23, 0x6A, 0x4B, 0x11, 0xDF, 0x56, 0x1A, 0x17, 0x23, 0x6A, 0x4B, 0x11, 0xAD, 0xC3, 0xB2,
        0xBC, 0xCB, 0x7C, 0xE7, 0xD6, 0xEA, 0x33, 0xA3, 0xA5, 0x55, 0xE5, 0xFB, 0x96, 0xDF, 0x56,
        0x1A, 0x17, 0x23, 0x6A, 0x4B, 0x11, 0xDF, 0x56, 0x1A, 0x17, 0x23, 0x6A, 0x4B, 0x11, 0xDF,
        0x56, 0x1A, 0x17, 0x23, 0x6A, 0x4B, 0x11, 0xDF, 0x56, 0x1A, 0x17, 0x23};
    return b;
}

// The objects of a new file in the order Access 97 stores them.
std::vector<CatalogObject> catalogObjects() {
    const int32_t first = kFirstAccessContainer;
    std::vector<CatalogObject> objects = blank::engineObjects(sidEngine(), sidAdmin());
    objects.insert(objects.end(),
                   {
                       {first + 0, kContainersParent, u"Forms", kTypeContainer, 0, &sidAdmin()},
                       {first + 1, kContainersParent, u"Reports", kTypeContainer, 0, &sidAdmin()},
                       {first + 2, kContainersParent, u"Scripts", kTypeContainer, 0, &sidAdmin()},
                       {first + 3, kContainersParent, u"Modules", kTypeContainer, 0, &sidAdmin()},
                       {first + 4, kContainersParent, u"SysRel", kTypeContainer, 0, &sidAdmin()},
                   });
    return objects;
}

// The permissions Access 97 grants in a new file, in its order: the system tables are
// read-only to everyone but the engine, containers pass theirs on to new objects
// (inheritable rows), Access's containers are open to all.
std::vector<Permission> permissions() {
    const int32_t full = 0xFFFFF;
    std::vector<Permission> out = {
        {2, &sidAdmin(), 0x60000, false},
        {3, &sidAdmin(), 0x60000, false},
        {4, &sidAdmin(), 0x60000, false},
        {5, &sidAdmin(), 0xE0000, false},
        {kTablesContainer, &sidCreator(), 0xF00FE, true},
        {kTablesContainer, &sidAdmin(), 0xFFEFF, true},
        {kRelationshipsContainer, &sidCreator(), 0xF00FE, true},
        {kRelationshipsContainer, &sidAdmin(), 0x60001, false},
        {kDatabasesContainer, &sidAdmin(), 0x60000, false},
        {kDatabaseObject, &sidAdmin(), 0x6000E, false},
        {kDatabaseObject, &sidUsers(), 0x0000E, false},
        {kDatabaseObject, &sidAdmins(), 0x6000E, false},
        {2, &sidAdmins(), 0x60054, false},
        {3, &sidAdmins(), 0x60054, false},
        {4, &sidAdmins(), 0x60014, false},
        {4, &sidUsers(), 0x00014, false},
        {5, &sidAdmins(), 0x60014, false},
        {5, &sidUsers(), 0x00014, false},
        {2, &sidUsers(), 0x00014, false},
        {kTablesContainer, &sidAdmins(), 0xFFEFF, true},
        {kTablesContainer, &sidUsers(), 0xFFEFF, true},
        {kRelationshipsContainer, &sidAdmins(), full, true},
        {kRelationshipsContainer, &sidUsers(), full, true},
    };
    for (int32_t i = 0; i < kAccessContainers; ++i)
        for (const Bytes* sid : {&sidUsers(), &sidAdmins(), &sidAdmin(), &sidCreator()})
            out.push_back({kFirstAccessContainer + i, sid, full, true});
    return out;
}

// MSysDb's properties: only the Access version that made the file, "07.53" for Access 97.
Bytes databaseProperties() {
    PropertySet set;
    set.codePage = kCodePage;
    PropertyBlock& block = objectBlock(set);
    setProperty(block, makeProperty(u"AccessVersion", std::u16string(u"07.53"),
                                    property_type::kText, false));
    return writePropertyBlob(set);
}

void writeFirstPages(const std::string& path) {
    NewHeader header;
    header.codePage = kCodePage;
    // Access gives every file a different word here; the clock serves as well as anything.
    header.serial = static_cast<uint32_t>(jetDateNow() * 86400.0) & 0x7FFF;
    blank::writeFirstPages(path, kFormat, header);
}

// Every holder page the definitions' map references name, with as many empty map rows as
// they use.
void formatMapPages(PageFile& file, const std::vector<TableDefinition>& tables) {
    std::vector<uint8_t> rowsOn(file.pageCount(), 0);
    auto note = [&](const MapRef& m) {
        rowsOn.at(m.page) = std::max<uint8_t>(rowsOn.at(m.page), uint8_t(m.row + 1));
    };
    for (const TableDefinition& t : tables) {
        note(t.ownedPages);
        note(t.freeSpacePages);
        for (const ColumnDef& c : t.columns)
            if (c.longValueOwnedMap) {
                note(*c.longValueOwnedMap);
                note(*c.longValueFreeMap);
            }
        for (const RealIndexDef& r : t.realIndexes) note(r.usageMap);
    }
    for (uint32_t page = 0; page < rowsOn.size(); ++page) {
        if (rowsOn[page] == 0) continue;
        uint8_t* bytes = file.writablePage(page);
        formatDataPage(kFormat, bytes, 0);
        for (uint8_t r = 0; r < rowsOn[page]; ++r) addRow(kFormat, bytes, kFormat.usageMap.rowSize);
    }
}

// The system tables' pages: definitions, their map rows, empty index roots.
std::vector<TableDefinition> writeSystemTables(PageFile& file, PageAllocator& allocator) {
    for (uint32_t i = 0; i < kSystemTablePages97; ++i)
        if (allocator.allocate() != kObjectsTdefPage97 + i)
            throw Error(ErrorCode::DatabaseCorrupt, "Neue Datenbank: Seiten nicht fortlaufend.");
    std::vector<TableDefinition> tables = systemTableDefinitions97();
    formatMapPages(file, tables);
    for (TableDefinition& t : tables) {
        for (const RealIndexDef& index : t.realIndexes) {
            IndexPageHeader header;
            header.leaf = true;
            header.tablePage = t.firstPage;
            writeIndexPage(kFormat.indexPage, file.writablePage(index.rootPage), header,
                           EntryList(true), 0, 0, 0);
            addPageToMap(file, allocator, index.usageMap, index.rootPage);
        }
        writeTableDefinition(file, allocator, t);
    }
    return tables;
}

}  // namespace

void createBlankDatabase97(const std::string& path) {
    writeFirstPages(path);
    try {
        PageFile file(path, OpenMode::Exclusive);
        PageAllocator allocator(file);
        std::vector<TableDefinition> tables = writeSystemTables(file, allocator);
        blank::writeCatalog(file, allocator, tables, catalogObjects(), permissions(),
                            kDatabaseObject, databaseProperties());
        file.flush();
        file.sync();
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        throw;
    }
}

}  // namespace jet
