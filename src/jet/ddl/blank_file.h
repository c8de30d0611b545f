// What the blank-database makers of every Jet version share: creating the file with its first
// two pages, and filling the catalog (MSysObjects, MSysACEs) of the system tables they laid out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/base/value.h"
#include "jet/format/format.h"
#include "jet/page/header_writer.h"
#include "jet/page/page_allocator.h"
#include "jet/page/page_file.h"
#include "jet/table/table_definition.h"

namespace jet::blank {

// A row of MSysObjects. `owner` points at a security id that outlives the row.
struct CatalogObject {
    int32_t id;
    int32_t parentId;
    const char16_t* name;
    int16_t type;
    int32_t flags;
    const Bytes* owner;
};

// MSysObjects' flag on the engine's own objects; Access's containers take ids from this value on.
inline constexpr int32_t kSystemObject = int32_t(0x80000000u);

// The objects Jet itself puts in every new file, in its order: the Tables, Databases and
// Relationships containers, MSysDb (owned by `admin`), and the four system tables. Both
// security ids outlive the rows.
std::vector<CatalogObject> engineObjects(const Bytes& engine, const Bytes& admin);

// A row of MSysACEs. `sid` points at a security id that outlives the row.
struct Permission {
    int32_t objectId;
    const Bytes* sid;
    int32_t acm;  // access mask
    bool inheritable;
};

// Creates the file at `path` with page 0 (`header` in `format`) and page 1, the global usage
// map with every later page free. Refuses to replace anything: DatabaseExists when something
// is at `path` (left untouched); FileAccessDenied or IoFailure when it cannot be written.
void writeFirstPages(const std::string& path, const Format& format, const NewHeader& header);

// Inserts `objects` into MSysObjects (`tables[0]`, all dated now; the object `databaseObject`
// also gets `databaseProperties` as its LvProp) and `permissions` into MSysACEs
// (`tables[1]`), in the order given, and stores both tables' row counts.
void writeCatalog(PageFile& file, PageAllocator& allocator, std::vector<TableDefinition>& tables,
                  const std::vector<CatalogObject>& objects,
                  const std::vector<Permission>& permissions, int32_t databaseObject,
                  const Bytes& databaseProperties);

}  // namespace jet::blank
