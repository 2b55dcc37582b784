// The ship checker keeps freqs 0, 1 and 2 within their line-up.
#pragma once

#include <quorvel/host_abi.h>

#include <string_view>

namespace quorvel {

struct BotSpawn;

struct ShipChecker {
    bool shipCheckOn = false;
};

// Sends at most one "*setship" that moves the player into an allowed ship.
void checkShip(BotSpawn& spawn, const PlayerRecord& player);

void commandCheck(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandNotcheck(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);

} // namespace quorvel
