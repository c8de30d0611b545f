// New tables through the DAO face: CreateField, the field's settable properties,
// Fields.Append, CopyStructureFrom and TableDefs.Append.
#include <algorithm>

#include "jet/base/text.h"
#include "jet/catalog/property_writer.h"
#include "jet/dao/dao_database.h"
#include "jet/dao/table_creator.h"
#include "jet/ddl/structure_copy.h"
#include "jet/table/table_write_refusal.h"

namespace jet::dao {

namespace {

inline constexpr int32_t kDefaultTextSize = 50;
inline constexpr int32_t kMaxTextSize = 255;
inline constexpr uint8_t kDefaultDecimalPrecision = 18;

[[noreturn]] void refuse(const std::string& what) {
    throw Error(ErrorCode::PropertyNotAllowed, what);
}

bool isFixedType(ColumnType type) {
    return type != ColumnType::Text && type != ColumnType::Binary && type != ColumnType::Memo &&
           type != ColumnType::OLE;
}

ColumnType columnTypeOf(int16_t type) {
    using namespace data_type;
    switch (type) {
        case dbBoolean:
        case dbByte:
        case dbInteger:
        case dbLong:
        case dbCurrency:
        case dbSingle:
        case dbDouble:
        case dbDate:
        case dbBinary:
        case dbText:
        case dbLongBinary:
        case dbMemo:
        case dbGUID:
            return static_cast<ColumnType>(type);
        case dbDecimal:
            return ColumnType::Decimal;
        case dbBigInt:
            return ColumnType::BigInt;
        case dbDateTimeExtended:
            return ColumnType::ExtendedDateTime;
        default:
            throw Error(ErrorCode::InvalidArgument,
                        "Ungültiger Feldtyp " + std::to_string(type) + ".");
    }
}

// Text and Binary sizes count characters (bytes for Binary); 0 takes Access's default.
uint16_t storedLength(ColumnType type, int32_t size) {
    if (type != ColumnType::Text && type != ColumnType::Binary) return fixedTypeLength(type);
    if (size == 0) size = type == ColumnType::Text ? kDefaultTextSize : kMaxTextSize;
    if (size < 0 || size > kMaxTextSize)
        throw Error(ErrorCode::InvalidArgument,
                    "Ungültige Feldgröße " + std::to_string(size) + ".");
    return static_cast<uint16_t>(type == ColumnType::Text ? size * 2 : size);
}

Property knownProperty(std::u16string name, const Value& value) {
    std::optional<PropertyKind> kind = wellKnownPropertyType(name);
    return makeProperty(std::move(name), value, kind->typeCode, kind->ddl);
}

void replaceProperty(std::vector<Property>& properties, Property p) {
    for (Property& q : properties)
        if (equalIgnoringCase(q.name, p.name)) {
            q = std::move(p);
            return;
        }
    properties.push_back(std::move(p));
}

// A default value as the expression text Access stores.
std::u16string defaultExpression(const Value& value) {
    if (auto text = std::get_if<std::u16string>(&value)) return *text;
    if (auto b = std::get_if<bool>(&value)) return *b ? u"True" : u"False";
    if (auto i = std::get_if<int32_t>(&value)) return fromUtf8(std::to_string(*i));
    if (auto i = std::get_if<int16_t>(&value)) return fromUtf8(std::to_string(*i));
    if (auto i = std::get_if<uint8_t>(&value)) return fromUtf8(std::to_string(*i));
    throw Error(ErrorCode::ConversionFailed, "Ungültiger Standardwert.");
}

bool statesDefault(const Property& p) {
    if (auto b = std::get_if<bool>(&p.value)) return !*b;
    if (auto text = std::get_if<std::u16string>(&p.value)) return text->empty();
    return false;
}

}  // namespace

Field::Field(std::u16string_view name, int16_t type, int32_t size) : stored_(false) {
    ColumnType t = columnTypeOf(type);
    column_.name = name;
    column_.typeCode = uint8_t(t);
    column_.length = storedLength(t, size);
    column_.flags =
        static_cast<uint8_t>(column_flag::kUpdatable | (isFixedType(t) ? column_flag::kFixed : 0));
    // Access keeps new text compressed.
    if (t == ColumnType::Text || t == ColumnType::Memo)
        column_.extFlags = column_flag::kExtCompressedUnicode;
    if (t == ColumnType::Decimal) column_.precision = kDefaultDecimalPrecision;
}

void Field::requireNew() const {
    if (stored_)
        throw Error(ErrorCode::FieldNotUpdatable, "Die Eigenschaft kann nicht geändert werden.");
}

void Field::SetAllowZeroLength(bool allow) {
    requireNew();
    if (column_.type() != ColumnType::Text && column_.type() != ColumnType::Memo)
        refuse("AllowZeroLength gilt nur für Text- und Memofelder.");
    replaceProperty(properties_, knownProperty(u"AllowZeroLength", allow));
}

void Field::SetAttributes(int32_t attributes) {
    using namespace field_attribute;
    requireNew();
    const ColumnType type = column_.type();
    // dbUpdatableField is the engine's own mark of every new field; it changes nothing.
    const int32_t known =
        dbFixedField | dbVariableField | dbAutoIncrField | dbUpdatableField | dbHyperlinkField;
    if (attributes & ~known) refuse("Diese Attribute kann ein neues Feld nicht haben.");
    if ((attributes & dbFixedField) && !isFixedType(type))
        refuse("Ein Feld dieses Typs kann keine feste Länge haben.");
    if ((attributes & dbVariableField) && isFixedType(type))
        refuse("Ein Feld dieses Typs kann keine variable Länge haben.");
    if ((attributes & dbAutoIncrField) && type != ColumnType::Long)
        refuse("AutoWert gibt es nur für Felder vom Typ Long.");
    if ((attributes & dbHyperlinkField) && type != ColumnType::Memo)
        refuse("Hyperlink gibt es nur für Memofelder.");
    uint8_t flags = column_.flags & ~(column_flag::kAutoLong | column_flag::kHyperlink);
    if (attributes & dbAutoIncrField) flags |= column_flag::kAutoLong;
    if (attributes & dbHyperlinkField) flags |= column_flag::kHyperlink;
    column_.flags = flags;
}

void Field::SetDefaultValue(const Value& value) {
    requireNew();
    if (isNull(value)) {
        std::erase_if(properties_,
                      [](const Property& p) { return equalIgnoringCase(p.name, u"DefaultValue"); });
        return;
    }
    std::u16string text = defaultExpression(value);
    if (text.empty()) {
        SetDefaultValue(Null{});
        return;
    }
    replaceProperty(properties_, knownProperty(u"DefaultValue", text));
}

void Field::SetRequired(bool required) {
    requireNew();
    replaceProperty(properties_, knownProperty(u"Required", required));
}

void Field::setProperty(const Property& property) {
    requireNew();
    replaceProperty(properties_, property);
}

void Fields::Append(Field field) {
    if (!appendable_)
        throw Error(ErrorCode::NotSupported, "Felder einer gespeicherten Tabelle sind fest.");
    if (find(field.Name()))
        throw Error(ErrorCode::DuplicateFieldName,
                    "Feld '" + toUtf8(field.Name()) + "' kann nicht mehrfach definiert werden.");
    fields_.push_back(std::move(field));
}

Field TableDef::CreateField(std::u16string_view name, int16_t type, int32_t size) const {
    return Field(name, type, size);
}

void TableDef::CopyStructureFrom(const TableDef& source) {
    if (stored_) throw Error(ErrorCode::NotSupported, "Die Tabelle ist bereits gespeichert.");
    // A copy would carry columns whose values live elsewhere, or are computed, as plain ones.
    if (source.owner_)
        requireWritableTable(source.owner_->storage().file().format(), source.definition());
    for (Field& field : fields_.fields_) {
        const Field* from = source.GetFields().find(field.Name());
        if (!from || from->Type() != field.Type()) continue;
        // The source's properties in its order; what was set here and the source lacks stays
        // unless it only states the default (Required = False where the source has none).
        std::vector<Property> properties = from->properties();
        for (Property& p : field.properties_)
            if (!from->property(p.name) && !statesDefault(p)) properties.push_back(std::move(p));
        field.properties_ = std::move(properties);
        // Compression, AutoNumber, hyperlink and a decimal's precision live in the definition.
        const ColumnDef& c = from->column();
        field.column_.extFlags = c.extFlags;
        field.column_.flags = c.flags;
        field.column_.precision = c.precision;
        field.column_.scale = c.scale;
        if (field.column_.length == 0 || c.isFixed()) field.column_.length = c.length;
    }
    newIndexes_.clear();
    for (NewIndex& i : indexesOf(source.definition())) {
        bool present =
            std::all_of(i.columns.begin(), i.columns.end(),
                        [&](const NewIndexColumn& c) { return fields_.find(c.column) != nullptr; });
        if (present) newIndexes_.push_back(std::move(i));
    }
    newProperties_ = tablePropertiesForCopy(source.properties());
}

NewTable TableDef::newTable() const {
    NewTable t;
    t.name = name_;
    for (const Field& f : fields_) t.columns.push_back(newColumnOf(f.column(), f.properties()));
    t.indexes = newIndexes_;
    t.properties = newProperties_;
    return t;
}

void Database::appendTable(TableDef& definition) {
    requireOpen();
    if (definition.stored_)
        throw Error(ErrorCode::InvalidArgument, "Die Tabelle ist bereits gespeichert.");
    if (definition.GetFields().Count() == 0)
        throw Error(ErrorCode::InvalidArgument,
                    "Die Tabelle '" + toUtf8(definition.Name()) + "' hat keine Felder.");
    const int32_t id = createTable(*this, definition.newTable());
    reload();
    for (const TableDef& stored : *tableDefs_)
        if (stored.catalogId() == id) {
            definition = stored;
            return;
        }
    throwCorrupt(static_cast<uint32_t>(id), "neue Tabelle fehlt im Katalog");
}

}  // namespace jet::dao
