// The DAO face of a stored table: TableDef with its Fields in stored order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/catalog.h"
#include "jet/dao_field.h"
#include "jet/properties.h"
#include "jet/table_definition.h"

namespace jet::dao {

class Fields {
  public:
    explicit Fields(std::vector<Field> fields) : fields_(std::move(fields)) {}

    int32_t Count() const { return static_cast<int32_t>(fields_.size()); }
    // Throws ItemNotFound past the end.
    const Field& Item(int32_t index) const;
    // By name, ignoring case. Throws ItemNotFound when there is no such field.
    const Field& Item(std::u16string_view name) const;
    // nullptr when there is no such field.
    const Field* find(std::u16string_view name) const;

    auto begin() const { return fields_.begin(); }
    auto end() const { return fields_.end(); }

  private:
    std::vector<Field> fields_;
};

class TableDef {
  public:
    // `properties` is the table's parsed property blob.
    TableDef(const CatalogEntry& entry, TableDefinition definition, PropertySet properties);

    const std::u16string& Name() const { return name_; }
    const Fields& GetFields() const { return fields_; }
    const TableDefinition& definition() const { return definition_; }
    // The table's own properties (Description, ...), unknown ones with their raw bytes.
    const PropertySet& properties() const { return properties_; }

  private:
    std::u16string name_;
    TableDefinition definition_;
    PropertySet properties_;
    Fields fields_;
};

}  // namespace jet::dao
