// The DAO face of a column: Field with DAO's type codes, sizes and attributes, and the
// properties Access keeps for it (AllowZeroLength, Required, DefaultValue, Format, ...).
#pragma once

#include <cstdint>
#include <string>

#include "jet/base/value.h"
#include "jet/catalog/properties.h"
#include "jet/table/table_definition.h"

namespace jet::dao {

class TableDef;

// DAO's DataTypeEnum; note that a Decimal column reports dbDecimal = 20, a BigInt column
// dbBigInt = 16 and an extended Date/Time column dbDateTimeExtended = 26, not their stored
// type codes.
namespace data_type {
inline constexpr int16_t dbBoolean = 1, dbByte = 2, dbInteger = 3, dbLong = 4, dbCurrency = 5,
                         dbSingle = 6, dbDouble = 7, dbDate = 8, dbBinary = 9, dbText = 10,
                         dbLongBinary = 11, dbMemo = 12, dbGUID = 15, dbBigInt = 16, dbDecimal = 20,
                         dbDateTimeExtended = 26;
}
// DAO's FieldAttributeEnum.
namespace field_attribute {
inline constexpr int32_t dbFixedField = 0x1, dbVariableField = 0x2, dbAutoIncrField = 0x10,
                         dbUpdatableField = 0x20, dbSystemField = 0x2000, dbHyperlinkField = 0x8000;
}

class Field {
  public:
    Field(const ColumnDef& column, const PropertyBlock* properties);
    // A new field, as TableDef::CreateField makes it: DAO type code and size (characters for
    // Text; ignored where the type fixes it). Throws InvalidArgument for a type or size a new
    // field cannot have.
    Field(std::u16string_view name, int16_t type, int32_t size);

    const std::u16string& Name() const { return column_.name; }
    int16_t Type() const;
    // Characters for Text, bytes for the others; 0 for Memo and OLE.
    int32_t Size() const;
    int32_t Attributes() const;
    bool AllowZeroLength() const;
    bool Required() const;
    // The stored default expression as text, e.g. "0" or "\"abc\""; an empty text when the
    // field has none, as DAO gives it.
    Value DefaultValue() const;

    // Setting the four properties the staging copy carries over. Each may be refused with an
    // Error (for example attributes a new field cannot carry); the field stays as it was then.
    // Only a field not yet stored can be changed: a stored one throws FieldNotUpdatable.
    void SetAllowZeroLength(bool allow);
    void SetAttributes(int32_t attributes);
    void SetDefaultValue(const Value& value);
    void SetRequired(bool required);
    // Sets or replaces a property by name, keeping its stored bytes; for copying properties.
    void setProperty(const Property& property);

    const ColumnDef& column() const { return column_; }
    // Every stored property of the field, unknown ones with their raw bytes; empty when the
    // field has none.
    const std::vector<Property>& properties() const { return properties_; }
    const Property* property(std::u16string_view name) const;

  private:
    friend class TableDef;  // CopyStructureFrom carries the definition's part of a field over
    bool booleanProperty(std::u16string_view name) const;

    void requireNew() const;
    ColumnDef column_;
    std::vector<Property> properties_;
    bool stored_ = true;
};

}  // namespace jet::dao
