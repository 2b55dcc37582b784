#include "base/bot/spawn_random.h"

#include "base/platform/platform.h"
#include "base/text/text_rules.h"

namespace quorvel {

void SpawnRandom::reseed(std::uint32_t seed) {
    std::uint32_t s = seed == 0 ? 4294967295u : seed;
    for (auto& word : table_) {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        word = s;
    }
    i_ = 0;
    j_ = 7;
    for (int discard = 0; discard < 9; ++discard) {
        draw();
    }
}

std::uint32_t SpawnRandom::draw() {
    std::uint32_t sum = table_[static_cast<std::size_t>(i_)] + table_[static_cast<std::size_t>(j_)];
    std::uint32_t x = (sum >> 13) | (sum << 19);
    table_[static_cast<std::size_t>(i_)] = x;
    i_ = i_ == 0 ? 10 : i_ - 1;
    j_ = j_ == 0 ? 10 : j_ - 1;
    return x;
}

std::uint32_t spawnSeed(platform::Platform& system) {
    if (auto text = system.environmentValue("QUORVEL_RANDOM_SEED")) {
        if (auto seed = readBoundedNumber(*text, 0, 4294967295LL)) {
            return static_cast<std::uint32_t>(*seed);
        }
    }
    return system.tickCount();
}

} // namespace quorvel
