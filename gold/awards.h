// Gold moved by arena events, and the greeting of entering players.
#pragma once

#include <quorvel/host_abi.h>

namespace quorvel {

struct BotSpawn;

// Entry greeting: balance, gold-notice tag, inventory reload or a new record.
void greetPlayer(BotSpawn& spawn, const PlayerRecord& player);
// Kill reward or team-kill penalty for the killer.
void awardKill(BotSpawn& spawn, const PlayerRecord& killed, const PlayerRecord& killer);
// Anti-warp in the centre: the AntiInCenter penalty with its two texts.
void penalizeAntiwarp(BotSpawn& spawn, const PlayerRecord& player);
// Flag victory pay-out to one winner.
void payFlagVictory(BotSpawn& spawn, const PlayerRecord& winner);
// Soccer goal: every player of the scoring freq is paid.
void awardGoal(BotSpawn& spawn, Word team);

} // namespace quorvel
