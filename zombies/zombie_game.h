// State of the zombies game: its switch, its settings (Ghoulset.ini) and
// the round in progress.
#pragma once

#include <quorvel/host_abi.h>

#include "base/service/service.h"

#include <cstdint>
#include <string>

namespace quorvel {

// The eight numbers of Ghoulset.ini; ships count 1 (Warbird) to 8 (Shark).
// The initial values are what a missing Ghoulset.ini gives; a game starts
// with them, so a file that holds fewer than eight numbers at the first
// load gives the same for the rest.
struct ZombieSettings {
    std::int32_t humanTeam = 0;
    std::int32_t humanShip = 1;
    std::int32_t zombieTeam = 1;
    std::int32_t zombieShip = 3;
    std::int32_t sanctuaryMinX = 0;
    std::int32_t sanctuaryMinY = 0;
    std::int32_t sanctuaryMaxX = 0;
    std::int32_t sanctuaryMaxY = 0;
};

struct ZombieGame : Service, ZombieSettings {
    using Service::Service;

    bool zombiesOn = false;
    bool sanctuaryOn = false; // follows the sanctuary's corners
    // Why Ghoulset.ini could not be read at the last load; while set, the
    // file is not saved over (the operator's settings were never loaded).
    std::string ghoulsetUnreadable;
    // The round.
    bool gameRunning = false;
    std::int32_t startCountdown = 0;
    bool countdownArmed = false;
    std::int32_t playingCount = 0;
    // The only human the sanctuary test last saw in this round. The record
    // is dropped when that player leaves; the name is kept so the zombies
    // can still gloat over the player once the record is gone.
    const PlayerRecord* lastHuman = nullptr;
    std::string lastHumanName;
    // The human a zombie killed last in this round, for when no single last
    // human was seen before the humans ran out.
    std::string lastTurnedName;
};

} // namespace quorvel
