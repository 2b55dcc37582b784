#include "module/bot_spawn.h"

#include "module/service_registry.h"

namespace quorvel {

BotSpawn::BotSpawn(Word botHandle) : Bot(botHandle) {
    registerServices(*this);
}

} // namespace quorvel
