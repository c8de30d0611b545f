#include "jet/dao/dao_table_def.h"

#include <algorithm>

#include "jet/base/text.h"

namespace jet::dao {

namespace {

std::vector<Field> fieldsOf(const TableDefinition& definition, const PropertySet& properties) {
    // DAO lists fields in the order Access shows them.
    std::vector<const ColumnDef*> columns;
    for (const auto& c : definition.columns) columns.push_back(&c);
    std::stable_sort(columns.begin(), columns.end(), [](const ColumnDef* a, const ColumnDef* b) {
        return a->displayIndex < b->displayIndex;
    });
    std::vector<Field> fields;
    for (const ColumnDef* c : columns) fields.emplace_back(*c, properties.column(c->name));
    return fields;
}

}  // namespace

const Field& Fields::Item(int32_t index) const {
    if (index < 0 || index >= Count()) throwItemNotFound(std::to_string(index));
    return fields_[static_cast<size_t>(index)];
}

const Field* Fields::find(std::u16string_view name) const {
    for (const auto& f : fields_)
        if (equalIgnoringCase(f.Name(), name)) return &f;
    return nullptr;
}

const Field& Fields::Item(std::u16string_view name) const {
    const Field* f = find(name);
    if (!f) throwItemNotFound("'" + toUtf8(name) + "'");
    return *f;
}

TableDef::TableDef(const CatalogEntry& entry, TableDefinition definition, PropertySet properties,
                   Database* owner)
    : name_(entry.name),
      definition_(std::move(definition)),
      properties_(std::move(properties)),
      fields_(fieldsOf(definition_, properties_)),
      stored_(true),
      catalogId_(entry.id),
      owner_(owner) {}

TableDef::TableDef(std::u16string_view name) : name_(name) {
    fields_.appendable_ = true;
}

}  // namespace jet::dao
