// The bounty rabbit game: one player at a time carries a 5000 bounty for ten
// minutes; whoever kills the rabbit becomes the next one.
#pragma once

#include <quorvel/host_abi.h>

#include <string_view>

namespace quorvel {

struct BotSpawn;

bool isRabbit(const BotSpawn& spawn, const PlayerRecord& player);
bool hasRabbit(const BotSpawn& spawn);

// Tick steps: the 5-minute, 9-minute and Uberabbit steps, then the
// safety-zone overstay. `safetyRanOut` is true when this tick's decrement
// brought the safety countdown from 1 to 0.
void runRabbitClock(BotSpawn& spawn);
void runRabbitSafetyZone(BotSpawn& spawn, bool safetyRanOut);

// PlayerMoved of the rabbit: times its stay in a safety zone.
void rabbitMoved(BotSpawn& spawn, const PlayerRecord& player);
// PlayerKilled of the rabbit: the killer takes over.
void rabbitKilled(BotSpawn& spawn, const PlayerRecord& killed, const PlayerRecord& killer);
// Ship or freq change of the rabbit, and event code 29: the bounty again.
void refreshRabbitBounty(BotSpawn& spawn);
// The rabbit went into spectator mode or is leaving: a successor is drawn
// among the other players in ships.
void replaceRabbit(BotSpawn& spawn, const PlayerRecord& leaving);
// ArenaLeft: the game is forgotten without a word.
void forgetRabbit(BotSpawn& spawn);

void commandNewpick(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandStop(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandStatus(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);

} // namespace quorvel
