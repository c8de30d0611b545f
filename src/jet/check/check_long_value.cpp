#include "jet/check/check_long_value.h"

#include "jet/page/data_page.h"
#include "jet/table/long_value.h"

namespace jet {

using namespace long_value_layout;

namespace {

struct LongValueCheck {
    LongValueCheck(PageFile& f, const std::set<uint32_t>* pages, const std::string& name,
                   std::vector<CheckFault>& out, uint32_t page)
        : file(f), columnPages(pages), where(name), faults(out), descriptorPage(page) {}

    PageFile& file;
    const std::set<uint32_t>* columnPages;
    const std::string& where;
    std::vector<CheckFault>& faults;
    uint32_t descriptorPage;

    bool fail(uint32_t page, const std::string& what) {
        faults.push_back({page, where + ": " + what});
        return false;
    }

    // The bytes of a live row on a long-value page; throws on malformed pages.
    ByteView valueRow(uint32_t page, uint8_t row) {
        DataPage data(file, page);
        if (data.owner() != data_page_layout::kLongValueOwner)
            throwCorrupt(page, "Seite für lange Werte erwartet");
        RowSlot slot = data.slot(row);
        if (slot.deleted || slot.lookup)
            throwCorrupt(page, "Zeile " + std::to_string(row) + " eines langen Werts ist gelöscht");
        if (columnPages && !columnPages->count(page))
            throwCorrupt(page, "Seite fehlt in der Seitentabelle der Spalte");
        return data.rowBytes(slot);
    }

    bool single(const LongValueRef& ref) {
        ByteView row = valueRow(ref.page, ref.row);
        if (row.size() != ref.length)
            return fail(descriptorPage, "Zeile " + std::to_string(ref.row) + " auf Seite " +
                                            std::to_string(ref.page) + " hat " +
                                            std::to_string(row.size()) + " Bytes statt " +
                                            std::to_string(ref.length));
        return true;
    }

    bool chain(const LongValueRef& ref) {
        std::set<std::pair<uint32_t, uint8_t>> seen;
        uint64_t total = 0;
        uint32_t page = ref.page;
        uint8_t row = ref.row;
        while (page != 0) {
            if (!seen.insert({page, row}).second) return fail(page, "Schleife in der Kette");
            ByteView chained = valueRow(page, row);
            total += chained.from(kChainHeader).size();
            row = chained.u8(long_value_layout::kNextRow);
            page = chained.u24(long_value_layout::kNextPage);
        }
        if (total != ref.length)
            return fail(descriptorPage, "die Kette hält " + std::to_string(total) +
                                            " Bytes statt " + std::to_string(ref.length));
        return true;
    }

    bool run(ByteView field) {
        if (field.size() < kDescriptorSize)
            return fail(descriptorPage,
                        "Verweis mit nur " + std::to_string(field.size()) + " Bytes");
        LongValueRef ref = parseLongValueRef(field);
        if (ref.storage == kInline) {
            if (field.size() != kDescriptorSize + ref.length)
                return fail(descriptorPage, "eingebettet " +
                                                std::to_string(field.size() - kDescriptorSize) +
                                                " Bytes statt " + std::to_string(ref.length));
            return true;
        }
        if (field.size() != kDescriptorSize)
            return fail(descriptorPage, "Verweis mit " + std::to_string(field.size()) + " statt " +
                                            std::to_string(kDescriptorSize) + " Bytes");
        if (ref.storage == kSingleRow) return single(ref);
        if (ref.storage == 0) return chain(ref);
        return fail(descriptorPage, "unbekannte Speicherart");
    }
};

}  // namespace

bool checkLongValue(PageFile& file, ByteView field, const std::set<uint32_t>* columnPages,
                    const std::string& where, std::vector<CheckFault>& faults) {
    LongValueCheck check(file, columnPages, where, faults, field.page());
    try {
        return check.run(field);
    } catch (const Error& e) {
        return check.fail(field.page(), e.description());
    }
}

}  // namespace jet
