#include "module/bot_spawn.h"

#include "module/service_registry.h"

namespace quorvel {

BotSpawn::BotSpawn(Word botHandle, platform::Platform& system, EconomyFolders& openEconomies)
    : Bot(botHandle, system), gold(*this, openEconomies) {
    registerServices(*this);
}

} // namespace quorvel
