#include "jet/dao/dao_field.h"

#include "jet/base/text.h"

namespace jet::dao {

Field::Field(const ColumnDef& column, const PropertyBlock* properties) : column_(column) {
    if (properties) properties_ = properties->properties;
}

int16_t Field::Type() const {
    switch (column_.type()) {
        case ColumnType::Decimal:
            return data_type::dbDecimal;
        case ColumnType::BigInt:
            return data_type::dbBigInt;
        case ColumnType::ExtendedDateTime:
            return data_type::dbDateTimeExtended;
        default:
            return column_.typeCode;
    }
}

int32_t Field::Size() const {
    switch (column_.type()) {
        case ColumnType::Text:
            return static_cast<int32_t>(column_.length / column_.bytesPerCharacter());
        case ColumnType::Memo:
        case ColumnType::OLE:
            return 0;
        case ColumnType::Boolean:
            return 1;
        case ColumnType::Decimal:
            return 16;
        default:
            return column_.length;
    }
}

int32_t Field::Attributes() const {
    using namespace field_attribute;
    int32_t a = column_.isFixed() ? dbFixedField : dbVariableField;
    if (column_.flags & column_flag::kAutoLong) a |= dbAutoIncrField;
    if (column_.flags & column_flag::kUpdatable) a |= dbUpdatableField;
    if (column_.flags & column_flag::kHyperlink) a |= dbHyperlinkField;
    return a;
}

const Property* Field::property(std::u16string_view name) const {
    for (const auto& p : properties_)
        if (equalIgnoringCase(p.name, name)) return &p;
    return nullptr;
}

bool Field::booleanProperty(std::u16string_view name) const {
    const Property* p = property(name);
    if (!p) return false;
    if (auto b = std::get_if<bool>(&p->value)) return *b;
    return false;
}

bool Field::AllowZeroLength() const {
    return booleanProperty(u"AllowZeroLength");
}

bool Field::Required() const {
    return booleanProperty(u"Required");
}

Value Field::DefaultValue() const {
    const Property* p = property(u"DefaultValue");
    if (p)
        if (auto text = std::get_if<std::u16string>(&p->value)) return *text;
    return std::u16string();
}

}  // namespace jet::dao
