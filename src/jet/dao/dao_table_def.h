// The DAO face of a stored table: TableDef with its Fields in stored order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/catalog/catalog.h"
#include "jet/catalog/properties.h"
#include "jet/dao/dao_field.h"
#include "jet/ddl/new_table.h"
#include "jet/table/table_definition.h"

namespace jet::dao {

class Database;

class Fields {
  public:
    Fields() = default;
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
    // Fields.Append on a definition not stored yet. Throws DuplicateFieldName when a field of
    // that name (ignoring case) is there, NotSupported on a stored table's fields.
    void Append(Field field);

  private:
    friend class TableDef;
    std::vector<Field> fields_;
    bool appendable_ = false;
};

// A stored table (read from the catalog; copies of it stay bound to its database), or an
// unattached definition from CreateTableDef that TableDefs::Append stores.
class TableDef {
  public:
    // `properties` is the table's parsed property blob; `owner` the database it belongs to
    // (nullptr where the definition is only read).
    TableDef(const CatalogEntry& entry, TableDefinition definition, PropertySet properties,
             Database* owner = nullptr);
    // An unattached definition, as CreateTableDef gives it: a name, no fields yet.
    explicit TableDef(std::u16string_view name);

    const std::u16string& Name() const { return name_; }
    // TableDef.Name = name. Unattached, only the name changes; stored, the table is renamed in
    // the file, also when only the letter case changes. Throws TableExists.
    void SetName(std::u16string_view name);

    const Fields& GetFields() const { return fields_; }
    Fields& GetFields() { return fields_; }
    // TableDef.CreateField(name, type, size): a new field, not yet in Fields.
    Field CreateField(std::u16string_view name, int16_t type, int32_t size) const;
    // Gives this unattached definition the rest of `source`'s structure: every stored property
    // of each field of the same name, the indexes (primary key included) over fields present
    // here, and the table's own properties, unknown ones byte for byte. Throws NotSupported,
    // changing nothing, for a source whose rows this engine does not change
    // (jet/table/table_write_refusal.h).
    void CopyStructureFrom(const TableDef& source);

    bool isStored() const { return stored_; }
    int32_t catalogId() const { return catalogId_; }
    const TableDefinition& definition() const { return definition_; }
    // The table's own properties (Description, ...), unknown ones with their raw bytes.
    const PropertySet& properties() const { return properties_; }

    // What Append stores for an unattached definition: its fields, indexes and properties.
    NewTable newTable() const;

  private:
    friend class Database;
    std::u16string name_;
    TableDefinition definition_;
    PropertySet properties_;
    Fields fields_;
    std::vector<NewIndex> newIndexes_;     // unattached: indexes to create
    std::vector<Property> newProperties_;  // unattached: the table's own properties
    bool stored_ = false;
    int32_t catalogId_ = 0;
    Database* owner_ = nullptr;
};

}  // namespace jet::dao
