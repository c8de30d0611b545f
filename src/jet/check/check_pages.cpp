#include "jet/check/check_pages.h"

namespace jet {

namespace {

// Access leaves this many bytes of every TDEF page unused, beyond the definition itself.
inline constexpr size_t kDefinitionReserve = 8;

void spaceFault(std::vector<CheckFault>& faults, uint32_t page, size_t stored, size_t expected) {
    faults.push_back(
        {page, "freier Platz " + std::to_string(stored) + " statt " + std::to_string(expected)});
}

}  // namespace

void checkDataPageSpace(const DataPage& page, std::vector<CheckFault>& faults) {
    using namespace data_page_layout;
    size_t used = page.rowOffsets() + kRowOffsetSize * size_t{page.rowCount()};
    try {
        for (uint16_t r = 0; r < page.rowCount(); ++r) {
            RowSlot slot = page.slot(static_cast<uint8_t>(r));
            used += slot.end - slot.start;
        }
    } catch (const Error& e) {
        faults.push_back({page.number(), e.description()});
        return;
    }
    const size_t pageSize = page.bytes().size();
    const size_t expected = used > pageSize ? 0 : pageSize - used;
    if (page.freeSpace() != expected) spaceFault(faults, page.number(), page.freeSpace(), expected);
}

void checkDefinitionSpace(PageFile& file, const TableDefinition& table,
                          std::vector<CheckFault>& faults) {
    const size_t freeSpaceField = file.format().tdef.freeSpaceField;
    if (freeSpaceField == tdef_layout::kAbsent) return;  // Jet 3 keeps "VC" there
    const size_t pageSize = file.pageSize();
    size_t remaining = table.length;
    for (size_t i = 0; i < table.pages.size(); ++i) {
        const size_t header = i == 0 ? 0 : tdef_layout::kContinuationHeader;
        const size_t used = std::min<size_t>(pageSize, header + remaining);
        remaining -= used - header;
        const size_t expected =
            used + kDefinitionReserve >= pageSize ? 0 : pageSize - used - kDefinitionReserve;
        const uint16_t stored = file.page(table.pages[i]).u16(freeSpaceField);
        if (stored != expected) spaceFault(faults, table.pages[i], stored, expected);
    }
}

}  // namespace jet
