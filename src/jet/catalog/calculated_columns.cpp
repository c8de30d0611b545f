#include "jet/catalog/calculated_columns.h"

#include <algorithm>

#include "jet/base/exact_number.h"

namespace jet {

namespace {

inline constexpr char16_t kResultTypeProperty[] = u"ResultType";

bool hasCalculatedColumn(const TableDefinition& table) {
    return std::any_of(table.columns.begin(), table.columns.end(),
                       [](const ColumnDef& c) { return c.isCalculated(); });
}

}  // namespace

void applyCalculatedResultTypes(TableDefinition& table, const PropertySet& properties) {
    for (ColumnDef& c : table.columns) {
        if (!c.isCalculated()) continue;
        const PropertyBlock* block = properties.column(c.name);
        const Property* p = block ? block->find(kResultTypeProperty) : nullptr;
        const auto code = p ? exactOf(p->value) : std::nullopt;
        if (!code || code->negative || code->scale != 0 || code->magnitude > UINT8_MAX) continue;
        const auto resultType = static_cast<uint8_t>(code->magnitude);
        if (!isKnownColumnType(resultType) || resultType == c.typeCode) continue;
        c.definitionTypeCode = c.storedTypeCode();
        c.typeCode = resultType;
    }
}

TableDefinition readTableDefinitionOf(PageFile& file, const CatalogEntry& entry) {
    TableDefinition table = readTableDefinition(file, static_cast<uint32_t>(entry.id));
    if (!hasCalculatedColumn(table)) return table;
    const ByteView blob({entry.properties.data(), entry.properties.size()}, entry.location.page);
    applyCalculatedResultTypes(table, parsePropertyBlob(blob, file.format().codePage));
    return table;
}

}  // namespace jet
