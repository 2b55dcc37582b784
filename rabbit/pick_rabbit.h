// Drawing and starting a rabbit. Every change of rabbit goes through
// startRabbit, so each new rabbit restarts the zone timer, gets the bounty
// and has fresh countdowns.
#pragma once

#include <quorvel/host_abi.h>

#include <cstdint>

namespace quorvel {

struct RabbitGame;

constexpr std::int32_t rabbitSeconds = 600;

// A player in a ship drawn at random from the host's list, or none when
// fewer than two players are in ships. `skip` (a player on the way out)
// is left out of both the count and the walk.
const PlayerRecord* pickRabbit(RabbitGame& game, const PlayerRecord* skip = nullptr);

void startRabbit(RabbitGame& game, const PlayerRecord& player);

// "New rabbit: " + name to the arena, then startRabbit: how a drawn player
// is made the rabbit.
void startDrawnRabbit(RabbitGame& game, const PlayerRecord& player);

// Ends the current rabbit and hands the game to a drawn player, announced
// with "New rabbit: "; with nobody to draw the game ends without a word.
// Returns true when a new rabbit was started.
bool drawRabbitSuccessor(RabbitGame& game, const PlayerRecord* skip);

// The rabbit's record is read between events only while the host still
// lists it; a rabbit the host has dropped is replaced by a drawn successor
// (or the game ends when nobody can be drawn). Returns true when the rabbit
// was dropped.
bool replaceUnlistedRabbit(RabbitGame& game);

} // namespace quorvel
