#include "jet/ddl/table_drop.h"

#include <set>
#include <vector>

#include "jet/page/data_page.h"
#include "jet/page/usage_map.h"
#include "jet/table/data_page_rewrite.h"
#include "jet/table/data_page_writer.h"
#include "jet/table/row_release.h"

namespace jet {

namespace {

using namespace data_page_layout;

// Page 1 holds the global map; pages 0 to 2 (header, global map, catalog) are never given up.
constexpr uint32_t kFirstReleasable = 3;

class StorageRelease {
  public:
    StorageRelease(PageFile& file, const TableDefinition& table) : file_(file), table_(table) {}

    // Notes the map row `ref` and its bitmap pages; with `withPages`, the pages it lists too
    // (an index's pages: nothing else records them).
    void addMap(MapRef ref, bool withPages) {
        if (ref.page == 0) return;  // no map
        if (!rows_.insert({ref.page, ref.row}).second) return;
        UsageMap map = readUsageMap(file_, ref);
        // Pointers for ranges past the end of the file are garbage, not pages.
        for (size_t i = 0; i < map.bitmapPages.size(); ++i)
            if (map.bitmapPages[i] != 0 &&
                i * uint64_t{file_.format().pagesPerBitmapPage()} < file_.pageCount())
                sole_.insert(map.bitmapPages[i]);
        if (withPages) sole_.insert(map.pages.begin(), map.pages.end());
    }

    void addPage(uint32_t page) { sole_.insert(page); }

    void release(PageAllocator& allocator) {
        std::set<uint32_t> holders;
        for (RowLocation row : rows_) holders.insert(row.page);
        for (RowLocation row : rows_) deleteMapRow(row);
        for (uint32_t page : sole_)
            if (page >= kFirstReleasable && page < file_.pageCount() && !holders.count(page))
                releaseDataPage(file_, allocator, page);
        for (uint32_t page : holders)
            if (page >= kFirstReleasable && holdsOnlyDeletedRows(page))
                releaseDataPage(file_, allocator, page);
    }

  private:
    void deleteMapRow(RowLocation row) {
        setRowFlags(file_.format(), file_.writablePage(row.page), row.row,
                    kDeletedFlag | kLookupFlag);
        reclaimDeletedRows(file_, {row});
    }

    // A holder page serves maps only (owner 0) or this table alone; once none of its rows is
    // live, nothing refers to it any more.
    bool holdsOnlyDeletedRows(uint32_t number) {
        DataPage page(file_, number);
        if (page.owner() != 0 && page.owner() != table_.firstPage) return false;
        for (uint16_t r = 0; r < page.rowCount(); ++r)
            if (!page.slot(static_cast<uint8_t>(r)).deleted) return false;
        return true;
    }

    PageFile& file_;
    const TableDefinition& table_;
    std::set<RowLocation> rows_;
    std::set<uint32_t> sole_;
};

}  // namespace

void releaseTableStorage(PageFile& file, PageAllocator& allocator, const TableDefinition& table) {
    StorageRelease release(file, table);
    release.addMap(table.ownedPages, false);
    release.addMap(table.freeSpacePages, false);
    for (const ColumnDef& c : table.columns) {
        if (c.longValueOwnedMap) release.addMap(*c.longValueOwnedMap, false);
        if (c.longValueFreeMap) release.addMap(*c.longValueFreeMap, false);
    }
    for (const RealIndexDef& index : table.realIndexes) {
        release.addMap(index.usageMap, true);
        release.addPage(index.rootPage);
    }
    for (uint32_t page : table.pages) release.addPage(page);
    release.release(allocator);
}

void releaseIndexStorage(PageFile& file, PageAllocator& allocator, const TableDefinition& table,
                         const RealIndexDef& index) {
    StorageRelease release(file, table);
    release.addMap(index.usageMap, true);
    release.addPage(index.rootPage);
    release.release(allocator);
}

}  // namespace jet
