// The services of the module, and the order in which they take each event.
#pragma once

#include "base/service/service.h"
#include "module/bot_spawn.h"

namespace quorvel {

// The module's own commands, !about and !version.
extern const ServiceTable moduleTable;

// Fills the spawn's list of services and lays the route of every event.
void registerServices(BotSpawn& spawn);

} // namespace quorvel
