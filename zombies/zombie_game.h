// State of the zombies game: its switch, its settings (Ghoulset.ini) and
// the round in progress.
#pragma once

#include <quorvel/host_abi.h>

#include <cstdint>

namespace quorvel {

struct ZombieGame {
    bool zombiesOn = false;
    // Settings; ships count 1 (Warbird) to 8 (Shark).
    std::int32_t humanTeam = 0;
    std::int32_t humanShip = 1;
    std::int32_t zombieTeam = 1;
    std::int32_t zombieShip = 4;
    std::int32_t sanctuaryMinX = 0;
    std::int32_t sanctuaryMinY = 0;
    std::int32_t sanctuaryMaxX = 0;
    std::int32_t sanctuaryMaxY = 0;
    bool sanctuaryOn = false;
    // The round.
    bool gameRunning = false;
    std::int32_t startCountdown = 0;
    bool countdownArmed = false;
    std::int32_t playingCount = 0;
    const PlayerRecord* lastHuman = nullptr;
};

} // namespace quorvel
