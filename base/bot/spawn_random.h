// The spawn's random generator: an additive lagged generator over eleven
// words, filled by xorshift from the seed. The rabbit and the Zombie Master
// are drawn from it.
#pragma once

#include <array>
#include <cstdint>

namespace quorvel {
namespace platform {
class Platform;
}

class SpawnRandom {
public:
    explicit SpawnRandom(std::uint32_t seed) { reseed(seed); }
    void reseed(std::uint32_t seed);
    std::uint32_t draw();

private:
    std::array<std::uint32_t, 11> table_{};
    int i_ = 0;
    int j_ = 7;
};

// The seed a new spawn takes: QUORVEL_RANDOM_SEED when it is set to a
// decimal number (for repeatable test runs), else the millisecond tick count.
std::uint32_t spawnSeed(platform::Platform& system);

} // namespace quorvel
