// Shared pieces of the rabbit tests: a copy of the spawn's generator that
// predicts its draws, and the lines that start a rabbit.
#pragma once

#include "base/bot/spawn_random.h"
#include "support/test_arena.h"

#include <ostream>
#include <string>
#include <vector>

namespace quorvel::testing {

constexpr std::uint32_t modLevel = 2;

// Follows the spawn's generator draw by draw: the spawn is seeded with 55555
// and at once re-seeded with the test seed.
class DrawMirror {
public:
    explicit DrawMirror(std::uint32_t seed) : random_(55555) { random_.reseed(seed); }

    // The rabbit a draw lands on, given the players in ships in list order.
    const PlayerRecord* pick(const std::vector<const PlayerRecord*>& inShips) {
        if (inShips.size() < 2) {
            return nullptr;
        }
        return inShips[random_.draw() % inShips.size()];
    }
    std::uint32_t variant() { return random_.draw() % 13; }

private:
    SpawnRandom random_;
};

inline std::string nameOf(const PlayerRecord& player) {
    return player.name;
}

// What a drawn rabbit's start sends, in order.
inline std::vector<Sent> drawnStart(const PlayerRecord& rabbit) {
    return {publicLine("*arena New rabbit: " + nameOf(rabbit)), publicLine("*timereset"),
            publicLine("*timer 10"), privateLine(rabbit, "*prize 5000")};
}

inline std::string statusOf(const PlayerRecord& rabbit, const std::string& square) {
    return nameOf(rabbit) + " is the rabbit right now. He is at " + square +
           ". Type ?time to see time remaining";
}

inline const std::string notStarted = "Bounty Rabbit game has not started yet.";

} // namespace quorvel::testing
