// The flag game service: the jackpot query and broadcast, the flag victory
// table and zone object, and the anti-warp watch in the centre.
#pragma once

#include <quorvel/host_abi.h>

#include <string_view>

namespace quorvel {

struct BotSpawn;

// Tick step, after the countdowns went down: "?jackpot" 5 seconds before a
// broadcast step, the broadcast at 0.
void runJackpotStep(BotSpawn& spawn);

// An arena message: "Current Jackpot: N" sets the jackpot.
void readJackpotAnswer(BotSpawn& spawn, std::string_view arenaMessage);

// FlagGameWon: the winners' table, "*objon" and the gold pay-out.
void announceFlagVictory(BotSpawn& spawn, Word team);

// PlayerMoved: anti-warp inside the centre square is taken away (and costs
// gold while the store is on).
void watchAntiwarp(BotSpawn& spawn, const PlayerRecord& player);

void commandAradius(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandShutup(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandStart(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);

} // namespace quorvel
