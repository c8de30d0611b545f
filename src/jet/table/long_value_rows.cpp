#include "jet/table/long_value_rows.h"

#include "jet/page/data_page.h"
#include "jet/page/usage_map.h"
#include "jet/table/long_value.h"
#include "jet/table/row_format.h"
#include "jet/table/table.h"

namespace jet {

namespace {

void addChain(PageFile& file, LongValueRef ref, std::map<uint32_t, std::set<uint8_t>>& used) {
    uint32_t page = ref.page;
    uint8_t row = ref.row;
    // Every link carries data, so a chain with more links than bytes is a loop.
    for (uint64_t hops = 0; page != 0; ++hops) {
        if (hops > ref.length) throwCorrupt(page, "Schleife in der Kette eines langen Werts");
        if (!used[page].insert(row).second) return;  // met before: shared or looping
        ByteView link = readRowBytes(file, page, row);
        row = link.u8(long_value_layout::kNextRow);
        page = link.u24(long_value_layout::kNextPage);
    }
}

}  // namespace

std::map<uint32_t, std::set<uint8_t>> longValueRowsOf(PageFile& file, const TableDefinition& table,
                                                      const std::vector<uint16_t>& columnNumbers) {
    std::map<uint32_t, std::set<uint8_t>> used;
    if (columnNumbers.empty()) return used;
    Table rows(file, table);
    RowFormat format(file.format(), table);
    std::vector<FieldSpan> fields;
    // Row by row without decoding values: the long values themselves are not needed.
    for (uint32_t number : rows.dataPages()) {
        DataPage page(file, number);
        for (uint16_t r = 0; r < page.rowCount(); ++r) {
            if (page.slot(static_cast<uint8_t>(r)).deleted) continue;  // moved rows' new places too
            format.split(rows.rowBytes({number, static_cast<uint8_t>(r)}), fields);
            for (uint16_t column : columnNumbers) {
                if (column >= fields.size() || !fields[column].present) continue;
                LongValueRef ref = parseLongValueRef(fields[column].bytes);
                if (ref.storage == long_value_layout::kSingleRow)
                    used[ref.page].insert(ref.row);
                else if (ref.storage == 0)
                    addChain(file, ref, used);
            }
        }
    }
    return used;
}

std::vector<uint32_t> pagesHoldingOnly(PageFile& file,
                                       const std::map<uint32_t, std::set<uint8_t>>& used) {
    std::vector<uint32_t> pages;
    for (const auto& [number, rows] : used) {
        DataPage page(file, number);
        if (page.owner() != data_page_layout::kLongValueOwner) continue;
        bool onlyThese = true;
        for (uint16_t r = 0; r < page.rowCount() && onlyThese; ++r)
            onlyThese = page.slot(static_cast<uint8_t>(r)).deleted ||
                        rows.count(static_cast<uint8_t>(r)) > 0;
        if (onlyThese) pages.push_back(number);
    }
    return pages;
}

}  // namespace jet
