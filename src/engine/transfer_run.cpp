#include "engine/transfer_run.h"

namespace engine {

RunOutcome RunTransfer(RunWindow&, jet::dao::DBEngine&) {
    throw RunFailure{3251, u"Der Übertragungslauf ist noch nicht verfügbar."};
}

}  // namespace engine
