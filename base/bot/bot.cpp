#include "base/bot/bot.h"

namespace quorvel {

namespace {
constexpr std::uint32_t firstSeed = 55555;
}

Bot::Bot(Word botHandle, platform::Platform& system)
    : handle(botHandle), random(firstSeed), os(&system) {
    random.reseed(spawnSeed(system));
}

} // namespace quorvel
