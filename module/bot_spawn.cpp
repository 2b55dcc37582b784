#include "module/bot_spawn.h"

namespace quorvel {

BotSpawn::BotSpawn(Word botHandle) : Bot(botHandle) {}

} // namespace quorvel
