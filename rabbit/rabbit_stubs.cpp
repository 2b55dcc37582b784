#include "frame/spawn/bot_spawn.h"
#include "rabbit/rabbit.h"

// The bounty rabbit game lands in a following change.
namespace quorvel {
bool isRabbit(const BotSpawn& spawn, const PlayerRecord& player) {
    return spawn.rabbitGame.rabbit == &player;
}
bool hasRabbit(const BotSpawn& spawn) { return spawn.rabbitGame.rabbit != nullptr; }
void runRabbitClock(BotSpawn&) {}
void runRabbitSafetyZone(BotSpawn&, bool) {}
void rabbitMoved(BotSpawn&, const PlayerRecord&) {}
void rabbitKilled(BotSpawn&, const PlayerRecord&, const PlayerRecord&) {}
void refreshRabbitBounty(BotSpawn&) {}
void replaceRabbit(BotSpawn&, const PlayerRecord&) {}
void forgetRabbit(BotSpawn& spawn) { spawn.rabbitGame.rabbit = nullptr; }
void commandNewpick(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandStop(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandStatus(BotSpawn&, const PlayerRecord&, std::string_view) {}
} // namespace quorvel
