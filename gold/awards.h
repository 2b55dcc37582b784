// Gold moved by arena events, and the greeting of entering players.
#pragma once

#include <quorvel/host_abi.h>

#include <cstdint>

namespace quorvel {

struct GoldService;

// Entry greeting: balance, gold-notice tag, inventory reload or a new record.
void greetPlayer(GoldService& gold, const PlayerRecord& player);
// Kill reward or team-kill penalty for the killer.
void awardKill(GoldService& gold, const PlayerRecord& killed, const PlayerRecord& killer);
// Anti-warp in the centre: the AntiInCenter penalty with its two texts.
void penalizeAntiwarp(GoldService& gold, const PlayerRecord& player);
// Flag victory pay-out to one winner.
void payFlagVictory(GoldService& gold, const PlayerRecord& winner);
// Soccer goal: every player of the scoring freq is paid.
void awardGoal(GoldService& gold, Word team);

// What the other services may ask of the economy.
// Gold is in play: the store is on and the bot has its folder's economy.
bool goldInPlay(const GoldService& gold);
// The gold each winner of a flag game is paid, [Gold] FlagVictory.
std::int32_t flagVictoryAward(const GoldService& gold);

} // namespace quorvel
