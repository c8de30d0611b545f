// Deleting and renaming tables, deleting relationships.
#include "jet/dao_database.h"

namespace jet::dao {

void Database::deleteTable(std::u16string_view) {
    throw Error(ErrorCode::NotSupported, "Tabellen löschen wird noch nicht unterstützt.");
}

void Database::renameTable(int32_t, std::u16string_view) {
    throw Error(ErrorCode::NotSupported, "Tabellen umbenennen wird noch nicht unterstützt.");
}

void Database::deleteRelation(std::u16string_view) {
    throw Error(ErrorCode::NotSupported, "Beziehungen löschen wird noch nicht unterstützt.");
}

void TableDef::SetName(std::u16string_view name) {
    if (!stored_) {
        name_ = name;
        return;
    }
    if (!owner_) throw Error(ErrorCode::NotSupported, "Die Tabelle ist schreibgeschützt.");
    owner_->renameTable(catalogId_, name);
    name_ = name;
}

}  // namespace jet::dao
