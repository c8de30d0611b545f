// The system catalog (MSysObjects, whose definition is always on page 2): one row per object.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jet/base/value.h"
#include "jet/page/page_file.h"
#include "jet/table/table.h"

namespace jet {

namespace catalog_layout {
inline constexpr uint32_t kCatalogPage = 2;
inline constexpr int32_t kContainersParent = 0x0F000000;
inline constexpr int32_t kTablesContainer = 0x0F000001;
inline constexpr int32_t kDatabasesContainer = 0x0F000002;
inline constexpr int32_t kRelationshipsContainer = 0x0F000003;
inline constexpr int32_t kDatabaseObject = 0x10000000;  // MSysDb
inline constexpr int16_t kTypeTable = 1;
inline constexpr int16_t kTypeDatabase = 2;
inline constexpr int16_t kTypeContainer = 3;
inline constexpr int16_t kTypeRelationship = 8;
inline constexpr uint32_t kSystemFlag = 0x80000000;
inline constexpr uint32_t kAltSystemFlag = 0x00000002;
}  // namespace catalog_layout

struct CatalogEntry {
    int32_t id = 0;  // a table's id is its first TDEF page
    int32_t parentId = 0;
    std::u16string name;
    int16_t type = 0;
    uint32_t flags = 0;
    std::optional<double> dateCreate;
    std::optional<double> dateUpdate;
    Bytes owner;
    Bytes properties;      // the LvProp blob, empty when there is none
    RowLocation location;  // the catalog row

    bool isTable() const {
        return type == catalog_layout::kTypeTable && parentId == catalog_layout::kTablesContainer;
    }
    bool isSystem() const {
        return flags & (catalog_layout::kSystemFlag | catalog_layout::kAltSystemFlag);
    }
    bool isUserTable() const { return isTable() && !isSystem(); }
};

// Every catalog row, in the catalog's own (page and slot) order.
std::vector<CatalogEntry> readCatalog(PageFile& file);

}  // namespace jet
