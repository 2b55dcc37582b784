// The flag game service: the jackpot query and broadcast, the flag victory
// table and zone object, and the anti-warp watch in the centre.
#pragma once

#include <quorvel/host_abi.h>

#include "base/service/service.h"

#include <string_view>

namespace quorvel {

struct FlagWatch;

// The tick: the jackpot countdown goes down; "?jackpot" 5 seconds before a
// broadcast step, the broadcast at 0.
void runJackpotStep(FlagWatch& watch);

// An arena message: "Current Jackpot: N" sets the jackpot.
void readJackpotAnswer(FlagWatch& watch, std::string_view arenaMessage);

// FlagGameWon: the winners' table, "*objon" and the gold pay-out.
void announceFlagVictory(FlagWatch& watch, Word team);

// PlayerMoved: anti-warp inside the centre square is taken away (and costs
// gold while the store is on).
void watchAntiwarp(FlagWatch& watch, const PlayerRecord& player);

void commandAradius(FlagWatch& watch, const PlayerRecord& sender, std::string_view text);
void commandShutup(FlagWatch& watch, const PlayerRecord& sender, std::string_view text);
void commandStart(FlagWatch& watch, const PlayerRecord& sender, std::string_view text);

// The flag game's commands, help lines and event steps.
extern const ServiceTable<FlagWatch> flagGameTable;

} // namespace quorvel
