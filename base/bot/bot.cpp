#include "base/bot/bot.h"

namespace quorvel {

namespace {
constexpr std::uint32_t firstSeed = 55555;
}

Bot::Bot(Word botHandle) : handle(botHandle), random(firstSeed) {
    random.reseed(spawnSeed());
}

} // namespace quorvel
