// State of the flag game service: the jackpot cycle, the victory
// announcements switch and the size of the anti-warp square.
#pragma once

#include "base/service/service.h"

#include <cstdint>

namespace quorvel {

struct GoldService;

struct FlagWatch : Service {
    // Winners and anti-warp offenders are paid or charged in gold.
    FlagWatch(Bot& ownBot, GoldService& goldService) : Service(ownBot), gold(goldService) {}

    GoldService& gold;
    std::int32_t jackpotCountdown = 10; // seconds to the next jackpot step
    std::int32_t jackpot = 0;           // last jackpot the zone told; 0 = none known
    bool announcementsOff = false;      // !shutup / !start
    std::int32_t antiwarpRadius = 10;   // half-size in tiles of the centre square
};

} // namespace quorvel
