#include "jet/table/row_release.h"

#include <algorithm>
#include <set>

#include "jet/page/data_page.h"
#include "jet/page/usage_map.h"
#include "jet/page/usage_map_writer.h"
#include "jet/table/data_page_rewrite.h"
#include "jet/table/data_page_writer.h"
#include "jet/table/long_value.h"
#include "jet/table/row_format.h"

namespace jet {

using namespace data_page_layout;

std::vector<RowLocation> placesOfRow(PageFile& file, RowLocation id) {
    std::vector<RowLocation> places{id};
    DataPage page(file, id.page);
    RowSlot slot = page.slot(id.row);
    if (slot.lookup && size_t{slot.end} - slot.start >= row_layout::kLookupSize) {
        ByteView pointer = page.rowBytes(slot);
        places.push_back(
            {pointer.u24(row_layout::kLookupPage), pointer.u8(row_layout::kLookupRow)});
    }
    return places;
}

void reclaimDeletedRows(PageFile& file, const std::vector<RowLocation>& places) {
    std::vector<uint8_t> scratch;
    for (RowLocation at : places) {
        RowSlot slot = DataPage(file, at.page).slot(at.row);
        if (!slot.deleted || slot.end == slot.start) continue;
        replaceRow(file.format(), file.writablePage(at.page), at.row, {},
                   kDeletedFlag | kLookupFlag, scratch);
    }
}

std::vector<RowLocation> longValueRowsOfRow(PageFile& file, const TableDefinition& table,
                                            RowLocation id) {
    Table rows(file, table);
    RowFormat format(file.format(), table);
    std::vector<FieldSpan> fields;
    format.split(rows.rowBytes(id), fields);
    std::vector<RowLocation> out;
    for (const ColumnDef& c : table.columns) {
        if (!c.isLongValue() || c.number >= fields.size() || !fields[c.number].present) continue;
        LongValueRef ref = parseLongValueRef(fields[c.number].bytes);
        if (ref.storage == long_value_layout::kSingleRow) {
            out.push_back({ref.page, ref.row});
            continue;
        }
        if (ref.storage != 0) continue;  // inline
        RowLocation link{ref.page, ref.row};
        // Every link carries data, so a chain with more links than bytes is a loop.
        for (uint64_t hops = 0; link.page != 0; ++hops) {
            if (hops > ref.length)
                throwCorrupt(link.page, "Schleife in der Kette eines langen Werts");
            out.push_back(link);
            ByteView bytes = readRowBytes(file, link.page, link.row);
            link = {bytes.u24(long_value_layout::kNextPage), bytes.u8(long_value_layout::kNextRow)};
        }
    }
    return out;
}

namespace {

bool holdsNoLiveRow(const DataPage& page) {
    for (uint16_t r = 0; r < page.rowCount(); ++r)
        if (!page.slot(static_cast<uint8_t>(r)).deleted) return false;
    return true;
}

}  // namespace

void releaseLongValueRows(PageFile& file, PageAllocator& allocator, const TableDefinition& table,
                          const std::vector<RowLocation>& rows) {
    std::set<uint32_t> pages;
    for (RowLocation at : rows) {
        if (DataPage(file, at.page).owner() != kLongValueOwner) continue;
        setRowFlags(file.format(), file.writablePage(at.page), at.row, kDeletedFlag | kLookupFlag);
        pages.insert(at.page);
    }
    reclaimDeletedRows(file, rows);
    for (uint32_t number : pages) {
        if (!holdsNoLiveRow(DataPage(file, number))) continue;
        for (const ColumnDef& c : table.columns) {
            if (c.longValueOwnedMap) removePageFromMap(file, *c.longValueOwnedMap, number);
            if (c.longValueFreeMap) removePageFromMap(file, *c.longValueFreeMap, number);
        }
        releaseDataPage(file, allocator, number);
    }
}

}  // namespace jet
