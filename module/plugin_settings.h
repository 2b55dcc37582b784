// quorvel.ini: the store switch, the warp table sizes, the gold awards and
// the store prices, read once per accepted handshake.
#pragma once

#include <cstdint>

namespace quorvel {

struct BotSpawn;

struct PluginSettings {
    // Settings
    std::int32_t maxWarpTeams = 0;
    std::int32_t maxWarpAreas = 0;
    std::int32_t autoSave = 300;     // seconds between autosaves; 0 or less: none
    std::int32_t commandBudget = 0;  // commands a player may type in any 10 s; 0 or less: no limit
    std::int32_t linesPerSecond = 0; // lines the bot sends in a second; 0 or less: no limit
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

// Reads quorvel.ini from the working directory into the spawn's settings,
// its store switch and its autosave interval; echoes one message for every
// value that is not a number and keeps that key's fallback.
void loadSettings(BotSpawn& spawn);

} // namespace quorvel
