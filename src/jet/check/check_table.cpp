#include "jet/check/check_table.h"

#include "jet/base/text.h"
#include "jet/check/check_long_value.h"
#include "jet/index/index_key.h"
#include "jet/page/data_page.h"
#include "jet/table/row_format.h"

namespace jet {

namespace {

std::string rowName(RowLocation where) {
    return "Zeile " + std::to_string(where.row) + " auf Seite " + std::to_string(where.page);
}

struct RowScan {
    RowScan(PageFile& f, const TableUnderCheck& t, std::vector<CheckFault>& sink)
        : file(f), table(t), faults(sink) {}

    PageFile& file;
    const TableUnderCheck& table;
    std::vector<CheckFault>& faults;
    const TableDefinition& definition = table.definition;
    Table access{file, table.definition};
    RowFormat format{file.format(), table.definition};
    TableRows out;
    std::vector<FieldSpan> fields;
    std::vector<Value> values;

    void fault(uint32_t page, const std::string& what) {
        faults.push_back({page, table.name + ": " + what});
    }

    void scan() {
        out.indexes.resize(definition.realIndexes.size());
        std::vector<uint32_t> pages;
        try {
            pages = access.dataPages();
        } catch (const Error& e) {
            return fault(definition.firstPage, e.description());
        }
        for (uint32_t page : pages) scanPage(page);
        const bool countFits = table.system ? definition.rowCount <= out.live.size()
                                            : definition.rowCount == out.live.size();
        if (!countFits)
            fault(definition.firstPage,
                  "die Tabellendefinition nennt " + std::to_string(definition.rowCount) +
                      " Zeilen, vorhanden sind " + std::to_string(out.live.size()));
    }

    void scanPage(uint32_t number) {
        DataPage page(file, number);  // a data page: dataPages() chose it by its type
        for (uint16_t r = 0; r < page.rowCount(); ++r) {
            RowLocation where{number, static_cast<uint8_t>(r)};
            try {
                RowSlot slot = page.slot(where.row);
                // Deleted rows and moved rows' new places (met through their old slot).
                if (slot.deleted) continue;
                out.live.insert(where);
                readRow(where, rowBytes(where, page, slot));
            } catch (const Error& e) {
                fault(number, e.description());
                out.unreadable.insert(where);
            }
        }
    }

    // The row's bytes, at its new place when it was moved.
    ByteView rowBytes(RowLocation where, const DataPage& page, const RowSlot& slot) {
        ByteView bytes = page.rowBytes(slot);
        if (!slot.lookup) return bytes;
        RowLocation target{bytes.u24(row_layout::kLookupPage), bytes.u8(row_layout::kLookupRow)};
        DataPage targetPage(file, target.page);
        if (targetPage.owner() != definition.firstPage)
            throwCorrupt(where.page, "die verschobene " + rowName(where) +
                                         " zeigt auf eine Seite einer anderen Tabelle");
        RowSlot moved = targetPage.slot(target.row);
        // The new place is flagged deleted so that scans in page order skip it.
        if (moved.lookup || !moved.deleted)
            throwCorrupt(target.page,
                         "die " + rowName(target) +
                             " ist Ziel einer verschobenen Zeile, aber nicht so markiert");
        return targetPage.rowBytes(moved);
    }

    void readRow(RowLocation where, ByteView bytes) {
        format.split(bytes, fields);
        bool longValuesSound = true;
        for (const auto& c : definition.columns) {
            if (!c.isLongValue() || !fields[c.number].present) continue;
            auto map = table.longValuePages.find(c.number);
            const std::set<uint32_t>* pages =
                map == table.longValuePages.end() ? nullptr : &map->second;
            longValuesSound &= checkLongValue(
                file, fields[c.number].bytes, pages,
                table.name + ", " + rowName(where) + ", Spalte '" + toUtf8(c.name) + "'", faults);
        }
        if (!longValuesSound) {
            out.unreadable.insert(where);
            return;
        }
        values.assign(fields.size(), Null{});
        for (const auto& c : definition.columns)
            values[c.number] = decodeField(file, c, fields[c.number]);
        for (size_t i = 0; i < definition.realIndexes.size(); ++i) expect(i, where);
    }

    size_t nullColumns(const RealIndexDef& index) const {
        size_t nulls = 0;
        for (const auto& c : index.columns)
            if (c.columnNumber >= values.size() || isNull(values[c.columnNumber])) ++nulls;
        return nulls;
    }

    void expect(size_t i, RowLocation where) {
        const RealIndexDef& index = definition.realIndexes[i];
        IndexExpectation& expectation = out.indexes[i];
        // Access leaves rows out of an ignore-nulls index only when every indexed column is
        // NULL; Yes/No columns are never NULL.
        const size_t nulls = nullColumns(index);
        if ((index.flags & index_flag::kIgnoreNulls) && nulls == index.columns.size()) return;
        ExpectedEntry entry{where, {}, nulls > 0};
        if (expectation.keysKnown) {
            try {
                entry.key = indexKey(definition, index, values);
            } catch (const Error& e) {
                if (e.number() != static_cast<int32_t>(ErrorCode::UnsupportedFormat)) throw;
                expectation.keysKnown = false;
                for (auto& earlier : expectation.entries) earlier.key.clear();
            }
        }
        expectation.entries.push_back(std::move(entry));
    }
};

}  // namespace

TableRows scanTableRows(PageFile& file, const TableUnderCheck& table,
                        std::vector<CheckFault>& faults) {
    RowScan scan(file, table, faults);
    scan.scan();
    return std::move(scan.out);
}

}  // namespace jet
