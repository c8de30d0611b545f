// New tables through the DAO face: CreateField, the field's settable properties,
// Fields.Append, CopyStructureFrom and TableDefs.Append.
#include "jet/dao_database.h"
#include "jet/text.h"

namespace jet::dao {

namespace {

[[noreturn]] void notYet() {
    throw Error(ErrorCode::NotSupported, "Neue Tabellen werden noch nicht unterstützt.");
}

}  // namespace

Field::Field(std::u16string_view, int16_t, int32_t) : stored_(false) {
    notYet();
}

void Field::requireNew() const {
    if (stored_)
        throw Error(ErrorCode::FieldNotUpdatable, "Die Eigenschaft kann nicht geändert werden.");
}

void Field::SetAllowZeroLength(bool) {
    requireNew();
    notYet();
}
void Field::SetAttributes(int32_t) {
    requireNew();
    notYet();
}
void Field::SetDefaultValue(const Value&) {
    requireNew();
    notYet();
}
void Field::SetRequired(bool) {
    requireNew();
    notYet();
}
void Field::setProperty(const Property&) {
    requireNew();
    notYet();
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

void TableDef::CopyStructureFrom(const TableDef&) {
    notYet();
}

NewTable TableDef::newTable() const {
    notYet();
}

void Database::appendTable(TableDef&) {
    notYet();
}

}  // namespace jet::dao
