#include "module/bot_spawn.h"

namespace quorvel {

namespace {
constexpr std::uint32_t firstSeed = 55555;
}

BotSpawn::BotSpawn(Word botHandle) : handle(botHandle), random(firstSeed) {
    random.reseed(spawnSeed());
}

} // namespace quorvel
