#include "jet/table/table.h"

#include "jet/format/page_layout.h"
#include "jet/page/data_page.h"
#include "jet/page/usage_map.h"

namespace jet {

Table::Table(PageFile& file, TableDefinition definition)
    : file_(file), definition_(std::move(definition)), format_(file.format(), definition_) {}

std::vector<uint32_t> Table::dataPages() const {
    std::vector<uint32_t> pages;
    UsageMap owned = readUsageMap(file_, definition_.ownedPages);
    if (owned.pastEnd > 0)
        throwCorrupt(definition_.ownedPages.page, "die Tabelle belegt Seiten hinter dem Dateiende");
    for (uint32_t page : owned.pages) {
        ByteView bytes = file_.page(page);
        if (bytes.u8(page_layout::kPageType) == data_page_layout::kPageType &&
            bytes.u32(data_page_layout::kOwner) == definition_.firstPage)
            pages.push_back(page);
    }
    return pages;
}

ByteView Table::rowBytes(RowLocation where) const {
    // A moved row points once to its new place; the target is never itself a pointer.
    for (int hop = 0; hop < 2; ++hop) {
        DataPage page(file_, where.page);
        RowSlot slot = page.slot(where.row);
        ByteView bytes = page.rowBytes(slot);
        if (!slot.lookup) {
            if (slot.deleted && hop == 0)
                throwCorrupt(where.page,
                             "Verweis auf die gelöschte Zeile " + std::to_string(where.row));
            return bytes;
        }
        if (hop > 0) break;
        where = RowLocation{bytes.u24(row_layout::kLookupPage), bytes.u8(row_layout::kLookupRow)};
    }
    throwCorrupt(where.page, "Kette verschobener Zeilen");
}

void Table::decode(ByteView row, std::vector<Value>& values) const {
    std::vector<FieldSpan> fields;
    format_.split(row, fields);
    values.assign(fields.size(), Null{});
    for (const auto& c : definition_.columns)
        values[c.number] = decodeField(file_, c, fields[c.number]);
}

std::vector<Value> Table::readRow(RowLocation where) const {
    std::vector<Value> values;
    decode(rowBytes(where), values);
    return values;
}

void Table::forEachRow(const RowVisitor& visit) const {
    std::vector<Value> values;
    for (uint32_t pageNumber : dataPages()) {
        DataPage page(file_, pageNumber);
        for (uint16_t r = 0; r < page.rowCount(); ++r) {
            RowSlot slot = page.slot(static_cast<uint8_t>(r));
            // A moved row's old slot is only a pointer; its new slot has the deleted flag alone
            // and holds the row. A deleted row has both flags.
            if (slot.lookup) continue;
            decode(page.rowBytes(slot), values);
            visit(RowLocation{pageNumber, slot.row}, values);
        }
    }
}

void Table::forEachRowById(const RowVisitor& visit) const {
    std::vector<Value> values;
    for (uint32_t pageNumber : dataPages()) {
        uint16_t rows = DataPage(file_, pageNumber).rowCount();
        for (uint16_t r = 0; r < rows; ++r) {
            RowLocation where{pageNumber, static_cast<uint8_t>(r)};
            RowSlot slot = DataPage(file_, pageNumber).slot(where.row);
            if (slot.deleted) continue;
            decode(rowBytes(where), values);
            visit(where, values);
        }
    }
}
}  // namespace jet
