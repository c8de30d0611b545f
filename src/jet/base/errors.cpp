#include "jet/base/errors.h"

namespace jet {

void throwCorrupt(uint32_t page, const std::string& what) {
    throw Error(ErrorCode::DatabaseCorrupt,
                "Die Datenbank ist beschädigt (Seite " + std::to_string(page) + "): " + what + ".");
}

void throwObjectNotFound(const std::string& name) {
    throw Error(ErrorCode::ObjectNotFound,
                "Das Datenbankmodul konnte das Objekt '" + name + "' nicht finden.");
}

void throwItemNotFound(const std::string& item) {
    throw Error(ErrorCode::ItemNotFound, "Element " + (item.empty() ? "" : item + " ") +
                                             "in dieser Auflistung nicht gefunden.");
}

}  // namespace jet
