// Gold moved by arena events, and the greeting of entering players.
#pragma once

#include <quorvel/host_abi.h>

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

} // namespace quorvel
