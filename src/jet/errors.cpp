#include "jet/errors.h"

namespace jet {

void throwCorrupt(uint32_t page, const std::string& what) {
    throw Error(ErrorCode::DatabaseCorrupt,
                "Die Datenbank ist beschädigt (Seite " + std::to_string(page) + "): " + what + ".");
}

}  // namespace jet
