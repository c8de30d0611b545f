#include "jet/base/system_error_text.h"

#include <cerrno>
#include <cstring>

namespace jet {

std::string systemErrorText(int err) {
    switch (err) {
        case ENOSPC:
            return "auf dem Datenträger ist kein Platz mehr frei";
        case EDQUOT:
            return "das Speicherkontingent auf dem Datenträger ist erschöpft";
        case EFBIG:
            return "die Datei hat die zulässige Höchstgröße erreicht";
        case EIO:
            return "Ein-/Ausgabefehler des Datenträgers";
        case EROFS:
            return "der Datenträger ist schreibgeschützt";
        case EACCES:
        case EPERM:
            return "der Zugriff wurde verweigert";
        default:
            return "Systemfehler " + std::to_string(err) + " (" + std::strerror(err) + ")";
    }
}

}  // namespace jet
