// The ship checker keeps freqs 0, 1 and 2 within their line-up.
#pragma once

#include <quorvel/host_abi.h>

#include "base/service/service.h"

#include <cstdint>
#include <string_view>

namespace quorvel {

struct ZombieGame;

struct ShipChecker : Service {
    // The zombies game keeps its humans and zombies in their own ships.
    ShipChecker(Bot& ownBot, const ZombieGame& zombieGame) : Service(ownBot), zombies(zombieGame) {}

    const ZombieGame& zombies;
    bool shipCheckOn = false;
};

// Sends at most one "*setship" that moves the player into an allowed ship.
void checkShip(ShipChecker& checker, const PlayerRecord& player);

// True when more players of `team` fly its special ship than it may have;
// the count runs over the whole player list. Teams without a line-up are
// never full.
bool specialShipFull(const ShipChecker& checker, std::uint16_t team);

void commandCheck(ShipChecker& checker, const PlayerRecord& sender, std::string_view text);
void commandNotcheck(ShipChecker& checker, const PlayerRecord& sender, std::string_view text);

// The checker's commands, help lines and event steps.
extern const ServiceTable<ShipChecker> shipCheckTable;

} // namespace quorvel
