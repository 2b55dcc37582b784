#include "module/bot_spawn.h"

namespace quorvel {

BotSpawn::BotSpawn(Word botHandle, platform::Platform& system, EconomyFolders& openEconomies)
    : Bot(botHandle, system), economies(openEconomies) {}

} // namespace quorvel
