// The bounty rabbit game: one player at a time carries a 5000 bounty for ten
// minutes; whoever kills the rabbit becomes the next one.
#pragma once

#include <quorvel/host_abi.h>

#include "base/service/service.h"

#include <string_view>

namespace quorvel {

struct RabbitGame;

bool isRabbit(const RabbitGame& game, const PlayerRecord& player);
bool hasRabbit(const RabbitGame& game);

// The tick: the rabbit's two countdowns go down, then the 5-minute,
// 9-minute and Uberabbit steps, then the safety-zone overstay.
void rabbitTick(RabbitGame& game);

// PlayerMoved of the rabbit: times its stay in a safety zone.
void rabbitMoved(RabbitGame& game, const PlayerRecord& player);
// PlayerKilled of the rabbit: the killer takes over.
void rabbitKilled(RabbitGame& game, const PlayerRecord& killed, const PlayerRecord& killer);
// Ship or freq change of the rabbit, and event code 29: the bounty again.
void refreshRabbitBounty(RabbitGame& game);
// The rabbit went into spectator mode or is leaving: a successor is drawn
// among the other players in ships.
void replaceRabbit(RabbitGame& game, const PlayerRecord& leaving);
// ArenaLeft: the game is forgotten without a word.
void forgetRabbit(RabbitGame& game);

void commandNewpick(RabbitGame& game, const PlayerRecord& sender, std::string_view text);
void commandStop(RabbitGame& game, const PlayerRecord& sender, std::string_view text);
void commandStatus(RabbitGame& game, const PlayerRecord& sender, std::string_view text);

// The game's commands, help lines and event steps.
extern const ServiceTable<RabbitGame> rabbitTable;

} // namespace quorvel
