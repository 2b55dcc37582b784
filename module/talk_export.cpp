// The module's one export. The registry is destroyed, without saving, when
// the host unloads the module.
#include <quorvel/host_abi.h>

#include "module/spawn_registry.h"

namespace {
quorvel::SpawnRegistry registry;
}

extern "C" QUORVEL_EXPORT void QUORVEL_CALL quorvel::talk(quorvel::BotEvent& event) {
    quorvel::deliverEvent(registry, event);
}
