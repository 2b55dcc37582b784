// What quorvel.ini sets for the gold economy: the store switch, the
// autosave interval, the awards of [Gold] and the store prices of [Store].
// The initial values are the defaults a missing key gives (gold_table.cpp).
#pragma once

#include <cstdint>

namespace quorvel {

struct GoldSettings {
    std::int32_t inventory = 0;  // 1: the store starts on
    std::int32_t autoSave = 300; // seconds between autosaves; 0 or less: none
    // Gold
    std::int32_t flagVictory = 100;
    std::int32_t soccerGoal = 25;
    std::int32_t kill = 2;
    std::int32_t teamKill = 5;
    std::int32_t antiInCenter = 5;
    std::int32_t repeatKillWindow = 0; // seconds before a kill of the same player pays again
    // Store
    std::int32_t flags = 500;
    std::int32_t arena = 500;
    std::int32_t points = 500;
    std::int32_t bounty = 400;
    std::int32_t multiFire = 150;
    std::int32_t super = 150;
    std::int32_t shield = 150;
    std::int32_t multiPrize = 150;
    std::int32_t thor = 100;
    std::int32_t portal = 100;
    std::int32_t gunUpgrade = 300;
    std::int32_t bombUpgrade = 350;
    std::int32_t scoreReset = 50;
};

} // namespace quorvel
