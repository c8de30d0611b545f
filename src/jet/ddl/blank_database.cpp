#include "jet/ddl/blank_database.h"

#include <filesystem>

#include "jet/base/errors.h"
#include "jet/catalog/catalog.h"
#include "jet/catalog/property_writer.h"
#include "jet/catalog/system_table_layout.h"
#include "jet/ddl/blank_file.h"
#include "jet/index/index_page_image.h"
#include "jet/index/table_inserter.h"
#include "jet/page/header_writer.h"
#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"
#include "jet/page/usage_map.h"
#include "jet/page/usage_map_writer.h"
#include "jet/table/data_page_writer.h"
#include "jet/table/table_definition_writer.h"

namespace jet {

namespace {

// Catalog ids Jet gives its containers and the database object.
using catalog_layout::kContainersParent;
using catalog_layout::kDatabaseObject;
using catalog_layout::kDatabasesContainer;
using catalog_layout::kRelationshipsContainer;
using catalog_layout::kTablesContainer;
using catalog_layout::kTypeContainer;
using blank::kSystemObject;

// New files are Jet 4 files.
const Format& kNewFileFormat = kJet4Format;
// Rows of the system tables' maps: inline maps.
constexpr size_t kMapRowSize = kNewFileFormat.usageMap.rowSize;

// Security ids of Access's default workgroup: Jet's engine account (owner of the system
// objects), the Admin user (owner of everything made in the file), the Users and Admins
// groups and the "creator" placeholder that inheritable permissions name.
const Bytes& sidEngine() {
    static const Bytes b{0xA7, 0x31};
    return b;
}
const Bytes& sidAdmin() {
    static const Bytes b{0xA6, 0x33};
    return b;
}
const Bytes& sidUsers() {
    static const Bytes b{0xA7, 0x33};
    return b;
}
const Bytes& sidCreator() {
    static const Bytes b{0xA7, 0x36};
    return b;
}
const Bytes& sidAdmins() {
    static const Bytes b{
        0xA4, 0xF7, 0x46, 0x67, 0xE1, 0x71, 0x67, 0xEE, 0xD7, 0xB1, 0x0F, 0x8F, 0xFE, 0xEF, 0x76,
        0xFF, 0xAA, 0xE3, 0x66, 0x51, 0x05, 0xBD, 0xD2, 0x9D, 0x4D, 0x4B, 0x39, 0x52, 0xD9, 0xFB,
        0x9A, 0x07, 0x66, 0x0C, 0x5B, 0xD2, 0xD8, 0x7D, 0xDD, 0xB3, 0x1E, 0x65, 0x90, 0x19, 0x00,
        0x94, 0x89, 0xC2, 0x3C, 0x25, 0x6A, 0xCF, 0xDB, 0x34, 0x9A, 0x57, 0xAF, 0x50, 0xC5, 0x14,
        0x9A, 0x98, 0x30, 0xE6, 0x2C, 0x35, 0x55, 0x3F, 0x0E, 0x95, 0xCF, 0xB6, 0xEC, 0xB5, 0x70,
        0xB2, 0xF0, 0xA9, 0x9B, 0x1C, 0xDB, 0xCE, 0x60, 0x74, 0x7B, 0x7B, 0x13, 0xCF, 0x1D, 0xAF,
        0xC3, 0xD6, 0x18, 0x5F, 0x9C, 0x5B, 0xE4, 0xE8, 0x7E, 0x37, 0xED, 0xB3};
    return b;
}

using blank::CatalogObject;
using blank::Permission;

// What sets the kinds of new file apart: page 0's version, the sort order of text (General
// Legacy or General), and the Access version MSysDb names.
struct BlankKind {
    const Format* format;
    uint8_t sortVersion;
    const char16_t* accessVersion;
};
constexpr BlankKind kJet4Blank{&kJet4Format, 0, u"08.50"};
// Access 2010's format and later: General sort order; MSysDb names "09.50" as in Access's own
// files of every ACE version.
constexpr BlankKind aceBlank(const Format* format) {
    return {format, 1, u"09.50"};
}

// New .accdb files start at Access 2010's version: Access 2007's sorts text by General Legacy.
const Format& aceFormatOf(FormatVersion version) {
    const Format* format = formatForVersion(static_cast<uint8_t>(version));
    if (format == nullptr || version < FormatVersion::Ace14)
        throw Error(ErrorCode::InvalidArgument,
                    "Neue .accdb-Datenbanken gibt es nur in den ACE-Versionen 14 bis 17.");
    return *format;
}

// The objects of a new file in the order Access stores them. Access's containers carry
// synthetic ids counting up from 0x80000000.
std::vector<CatalogObject> catalogObjects() {
    const int32_t sys = kSystemObject;
    std::vector<CatalogObject> objects = blank::engineObjects(sidEngine(), sidAdmin());
    objects.insert(
        objects.end(),
        {
            {sys + 0, kContainersParent, u"DataAccessPages", kTypeContainer, 0, &sidAdmin()},
            {sys + 1, kContainersParent, u"Forms", kTypeContainer, 0, &sidAdmin()},
            {sys + 2, kContainersParent, u"Modules", kTypeContainer, 0, &sidAdmin()},
            {sys + 3, kContainersParent, u"Reports", kTypeContainer, 0, &sidAdmin()},
            {sys + 4, kContainersParent, u"Scripts", kTypeContainer, 0, &sidAdmin()},
            {sys + 5, kContainersParent, u"SysRel", kTypeContainer, 0, &sidAdmin()},
        });
    return objects;
}

// The permissions Access 2000 grants in a new file. Containers pass theirs on to new objects
// (inheritable rows); the system tables are read-only to everyone but the engine.
std::vector<Permission> permissions() {
    std::vector<Permission> out;
    const int32_t full = 0xFFFFF;
    for (int32_t i = 0; i < 6; ++i)
        for (const Bytes* sid : {&sidUsers(), &sidAdmins(), &sidAdmin(), &sidCreator()})
            out.push_back({kSystemObject + i, sid, full, true});
    const Permission fixed[] = {
        {kDatabasesContainer, &sidAdmin(), 0x60000, false},
        {kRelationshipsContainer, &sidCreator(), 0xF00FE, true},
        {kRelationshipsContainer, &sidAdmin(), 0x60001, false},
        {kRelationshipsContainer, &sidAdmins(), full, true},
        {kRelationshipsContainer, &sidUsers(), full, true},
        {kTablesContainer, &sidCreator(), 0xF00FE, true},
        {kTablesContainer, &sidAdmin(), 0xFFEFF, true},
        {kTablesContainer, &sidAdmins(), 0xFFEFF, true},
        {kTablesContainer, &sidUsers(), 0xFFEFF, true},
        {kDatabaseObject, &sidAdmin(), 0x6000E, false},
        {kDatabaseObject, &sidUsers(), 0x0000E, false},
        {kDatabaseObject, &sidAdmins(), 0x6000E, false},
        {2, &sidAdmin(), 0x60000, false},
        {2, &sidAdmins(), 0x60054, false},
        {2, &sidUsers(), 0x00014, false},
        {3, &sidAdmin(), 0x60000, false},
        {3, &sidAdmins(), 0x60054, false},
        {4, &sidAdmin(), 0x60000, false},
        {4, &sidAdmins(), 0x60014, false},
        {4, &sidUsers(), 0x00014, false},
        {5, &sidAdmin(), 0xE0000, false},
        {5, &sidAdmins(), 0x60014, false},
        {5, &sidUsers(), 0x00014, false},
    };
    out.insert(out.end(), std::begin(fixed), std::end(fixed));
    return out;
}

// MSysDb's properties: the Access version that made the file (2000: "08.50") and its build.
Bytes databaseProperties(const BlankKind& kind) {
    PropertySet set;
    PropertyBlock& block = objectBlock(set);
    setProperty(block, makeProperty(u"AccessVersion", std::u16string(kind.accessVersion),
                                    property_type::kText, false));
    setProperty(block, makeProperty(u"Build", int32_t{6620}, property_type::kLong, false));
    return writePropertyBlob(set);
}

// Creates the file with pages 0 and 1; refuses to replace anything.
void writeFirstPages(const std::string& path, const BlankKind& kind) {
    NewHeader header;
    header.sortVersion = kind.sortVersion;
    header.creationDate = jetDateNow();
    // Access gives every file a different word here; the clock serves as well as anything.
    header.serial = static_cast<uint32_t>(header.creationDate * 86400.0) & 0x7FFF;
    blank::writeFirstPages(path, *kind.format, header);
}

// The system tables' pages: definitions, their map rows, empty index roots.
std::vector<TableDefinition> writeSystemTables(PageFile& file, PageAllocator& allocator,
                                               const BlankKind& kind) {
    const uint32_t first = allocator.allocate();
    for (uint32_t i = 1; i < kSystemTablePages; ++i)
        if (allocator.allocate() != first + i)
            throw Error(ErrorCode::DatabaseCorrupt, "Neue Datenbank: Seiten nicht fortlaufend.");
    std::vector<TableDefinition> tables = systemTableDefinitions(first, kind.sortVersion);

    uint8_t* holder = file.writablePage(first + kSystemTableCount);
    formatDataPage(file.format(), holder, 0);
    for (uint32_t r = 0; r < kSystemTableMapRows; ++r) addRow(file.format(), holder, kMapRowSize);

    for (TableDefinition& t : tables) {
        for (const RealIndexDef& index : t.realIndexes) {
            IndexPageHeader header;
            header.leaf = true;
            header.tablePage = t.firstPage;
            writeIndexPage(file.format().indexPage, file.writablePage(index.rootPage), header,
                           EntryList(true), 0, 0, 0);
            addPageToMap(file, allocator, index.usageMap, index.rootPage);
        }
        writeTableDefinition(file, allocator, t);
    }
    return tables;
}

void writeCatalog(PageFile& file, PageAllocator& allocator, std::vector<TableDefinition>& tables,
                  const BlankKind& kind) {
    blank::writeCatalog(file, allocator, tables, catalogObjects(), permissions(), kDatabaseObject,
                        databaseProperties(kind));
}

void createBlank(const std::string& path, const BlankKind& kind) {
    writeFirstPages(path, kind);
    try {
        PageFile file(path, OpenMode::Exclusive);
        PageAllocator allocator(file);
        std::vector<TableDefinition> tables = writeSystemTables(file, allocator, kind);
        writeCatalog(file, allocator, tables, kind);
        file.flush();
        file.sync();
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        throw;
    }
}

}  // namespace

void createBlankDatabase(const std::string& path) {
    createBlank(path, kJet4Blank);
}

void createBlankAceDatabase(const std::string& path, FormatVersion version) {
    createBlank(path, aceBlank(&aceFormatOf(version)));
}

}  // namespace jet
