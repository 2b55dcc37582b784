// The ship checker keeps freqs 0, 1 and 2 within their line-up.
#pragma once

#include <quorvel/host_abi.h>

#include <cstdint>
#include <string_view>

namespace quorvel {

struct BotSpawn;

struct ShipChecker {
    bool shipCheckOn = false;
};

// Sends at most one "*setship" that moves the player into an allowed ship.
void checkShip(BotSpawn& spawn, const PlayerRecord& player);

// True when more players of `team` fly its special ship than it may have;
// the count runs over the whole player list. Teams without a line-up are
// never full.
bool specialShipFull(const BotSpawn& spawn, std::uint16_t team);

void commandCheck(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandNotcheck(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);

} // namespace quorvel
