#include "jet/check/check.h"

#include <map>
#include <optional>
#include <set>

#include "jet/base/text.h"
#include "jet/catalog/calculated_columns.h"
#include "jet/check/check_index.h"
#include "jet/check/check_pages.h"
#include "jet/check/check_table.h"
#include "jet/check/page_owners.h"
#include "jet/format/page_layout.h"
#include "jet/page/data_page.h"
#include "jet/page/usage_map.h"

namespace jet {

namespace {

const std::string kMapRows = "Belegungstabellen";

bool hasLiveRow(const DataPage& page) {
    for (uint16_t row = 0; row < page.rowCount(); ++row)
        if (!page.slot(static_cast<uint8_t>(row)).deleted) return true;
    return false;
}

struct DatabaseCheck {
    explicit DatabaseCheck(Database& db) : database(db), file(db.file()) {}

    Database& database;
    PageFile& file;
    std::vector<CheckFault> faults;
    PageOwners owners;
    std::set<uint32_t> freePages;                       // a set bit in the global map means free
    std::map<uint32_t, std::set<uint32_t>> tablePages;  // TDEF page -> its owned-pages map

    void run() {
        owners.claim(0, "dem Dateikopf", PageUse::Sole, faults);
        if (auto global = readMap(usage_map_layout::kGlobalMap, "der globalen Belegungstabelle"))
            freePages.insert(global->begin(), global->end());
        for (const CatalogEntry& entry : database.catalog())
            if (entry.isTable()) checkTable(entry);
        checkEveryPage();
        for (const auto& [page, owner] : owners.all())
            if (freePages.count(page))
                faults.push_back({page, "Seite gehört zu " + owner +
                                            ", ist aber in der globalen Belegungstabelle frei"});
    }

    // The pages a usage map names; none (and a fault) when the map is malformed. Claims the
    // map's own pages: the shared row holder and any bitmap pages.
    std::optional<std::set<uint32_t>> readMap(MapRef ref, const std::string& owner) {
        if (ref.page == 0) return std::set<uint32_t>{};  // no map (Access leaves some out)
        owners.claim(ref.page, kMapRows, PageUse::SharedMapRows, faults);
        try {
            UsageMap map = readUsageMap(file, ref);
            // Pointers for ranges past the end of the file are garbage, not pages.
            for (size_t i = 0; i < map.bitmapPages.size(); ++i)
                if (map.bitmapPages[i] != 0 &&
                    i * uint64_t{file.format().pagesPerBitmapPage()} < file.pageCount())
                    owners.claim(map.bitmapPages[i], owner, PageUse::Sole, faults);
            // Only the global map marks pages past the end (as free).
            if (map.pastEnd != 0 && !(ref == usage_map_layout::kGlobalMap))
                faults.push_back({ref.page, owner + ": nennt " + std::to_string(map.pastEnd) +
                                                " Seiten hinter dem Dateiende"});
            return std::set<uint32_t>(map.pages.begin(), map.pages.end());
        } catch (const Error& e) {
            faults.push_back({ref.page, owner + ": " + e.description()});
            return std::nullopt;
        }
    }

    std::set<uint32_t> claimMap(MapRef ref, const std::string& owner) {
        std::set<uint32_t> pages =
            readMap(ref, "der Seitentabelle von " + owner).value_or(std::set<uint32_t>{});
        for (uint32_t page : pages) owners.claim(page, owner, PageUse::Sole, faults);
        return pages;
    }

    // The free-space map of pages that still have room lists only pages of its owner.
    void checkFreeSpaceMap(MapRef ref, const std::set<uint32_t>& owned, const std::string& owner) {
        auto pages = readMap(ref, "der Freiraumtabelle von " + owner);
        if (!pages) return;
        for (uint32_t page : *pages)
            if (!owned.count(page))
                faults.push_back({page, "Freiraumtabelle von " + owner +
                                            " nennt eine Seite, die nicht dazugehört"});
    }

    void checkDataPagesOf(const TableDefinition& t, const std::set<uint32_t>& owned,
                          const std::string& name) {
        for (uint32_t page : owned) {
            ByteView bytes = file.page(page);
            if (bytes.u8(page_layout::kPageType) != data_page_layout::kPageType ||
                bytes.u32(data_page_layout::kOwner) != t.firstPage)
                faults.push_back({page, "Seitentabelle von " + name +
                                            " nennt eine Seite, die keine Datenseite der Tabelle "
                                            "ist"});
        }
    }

    void checkTable(const CatalogEntry& entry) {
        TableUnderCheck table;
        table.name = "Tabelle '" + toUtf8(entry.name) + "'";
        table.system = entry.isSystem();
        const uint32_t first = static_cast<uint32_t>(entry.id);
        try {
            table.definition = readTableDefinitionOf(file, entry);
        } catch (const Error& e) {
            faults.push_back({first, table.name + ": " + e.description()});
            return;
        }
        const TableDefinition& t = table.definition;
        for (uint32_t page : t.pages)
            owners.claim(page, "der Definition von " + table.name, PageUse::Sole, faults);
        checkDefinitionSpace(file, t, faults);

        std::set<uint32_t> owned = claimMap(t.ownedPages, table.name);
        checkDataPagesOf(t, owned, table.name);
        checkFreeSpaceMap(t.freeSpacePages, owned, table.name);
        tablePages[first] = owned;
        for (const ColumnDef& c : t.columns) {
            if (!c.longValueOwnedMap) continue;
            const std::string owner =
                "den langen Werten der Spalte '" + toUtf8(c.name) + "' von " + table.name;
            table.longValuePages[c.number] = claimMap(*c.longValueOwnedMap, owner);
            if (c.longValueFreeMap)
                checkFreeSpaceMap(*c.longValueFreeMap, table.longValuePages[c.number], owner);
        }
        std::vector<std::set<uint32_t>> indexPages;
        for (size_t i = 0; i < t.realIndexes.size(); ++i)
            indexPages.push_back(
                claimMap(t.realIndexes[i].usageMap, table.name + ", " + indexName(t, i)));

        TableRows rows = scanTableRows(file, table, faults);
        for (size_t i = 0; i < t.realIndexes.size(); ++i)
            checkIndex(file, table, i, indexPages[i], rows, faults);
    }

    // Every page in use: data pages add up and belong to the table they name. A page in use
    // without any owner is not a fault: Access leaks pages (long-value pages of deleted rows,
    // TDEFs of dropped tables, zeroed pages) until the next compaction, as testV2000 shows,
    // and drops pages that hold only deleted rows from their table's map without freeing them
    // (MSysAccessStorage of calcFieldTestV2010).
    void checkEveryPage() {
        for (uint32_t n = 0; n < file.pageCount(); ++n) {
            if (freePages.count(n)) continue;
            ByteView bytes = file.page(n);
            if (bytes.u8(page_layout::kPageType) != data_page_layout::kPageType) continue;
            try {
                DataPage page(file.format(), bytes);
                checkDataPageSpace(page, faults);
                auto table = tablePages.find(page.owner());
                if (table != tablePages.end() && !table->second.count(n) && hasLiveRow(page))
                    faults.push_back({n, "Datenseite fehlt in der Seitentabelle ihrer Tabelle"});
            } catch (const Error& e) {
                faults.push_back({n, e.description()});
            }
        }
    }
};

}  // namespace

std::vector<CheckFault> checkDatabase(Database& database) {
    DatabaseCheck check(database);
    check.run();
    return std::move(check.faults);
}

}  // namespace jet
