// Files whose text sort order has no key data here, as Access writes them in such a locale.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "jet/catalog/database.h"
#include "jet/page/header.h"
#include "jet/page/page_allocator.h"
#include "jet/table/table_definition_writer.h"

namespace jet::testing {

inline constexpr uint16_t kGermanPhoneBook = 1031;

// Gives the header and every text and memo column of every table of the file at `path` the
// sort order `lcid`, as Access does for a database made under that locale. With `onlyTable`
// only that table's columns change: a change then gets past the other tables' keys.
inline void setSortOrder(const std::filesystem::path& path, uint16_t lcid,
                         std::u16string_view onlyTable = {}) {
    {
        Database db(path.string(), OpenMode::Exclusive);
        PageAllocator allocator(db.file());
        for (const CatalogEntry& entry : db.catalog()) {
            if (!entry.isTable() || (!onlyTable.empty() && entry.name != onlyTable)) continue;
            TableDefinition t = db.openTable(entry).definition();
            for (ColumnDef& c : t.columns)
                if (c.type() == ColumnType::Text || c.type() == ColumnType::Memo) c.sortLcid = lcid;
            writeTableDefinition(db.file(), allocator, t);
        }
        db.file().flush();
    }
    // The header's sort order lies in its masked region: changing the stored bytes by what
    // the value changes keeps the mask out of the sum.
    const auto change =
        static_cast<uint16_t>(Database(path.string(), OpenMode::ReadOnly).header().sortLcid ^ lcid);
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    char stored[2];
    file.seekg(kJet4Header.sortOrder);
    file.read(stored, 2);
    stored[0] = static_cast<char>(stored[0] ^ (change & 0xFF));
    stored[1] = static_cast<char>(stored[1] ^ (change >> 8));
    file.seekp(kJet4Header.sortOrder);
    file.write(stored, 2);
}

}  // namespace jet::testing
