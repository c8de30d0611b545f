#include "jet/base/bytes.h"

namespace jet {

void ByteView::outOfBounds(size_t at, size_t length) const {
    throwCorrupt(page_, "Lesezugriff außerhalb der Daten (Versatz " + std::to_string(at) +
                            ", Länge " + std::to_string(length) + ", vorhanden " +
                            std::to_string(bytes_.size()) + ")");
}

}  // namespace jet
