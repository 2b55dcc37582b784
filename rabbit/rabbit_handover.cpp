// The rabbit passing from one player to another on the players' own events.
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "module/bot_spawn.h"
#include "rabbit/kill_announcements.h"
#include "rabbit/pick_rabbit.h"
#include "rabbit/rabbit.h"

namespace quorvel {

// Whoever kills the rabbit takes over, whatever its ship, freq or level.
void rabbitKilled(BotSpawn& spawn, const PlayerRecord& killed, const PlayerRecord& killer) {
    if (!isRabbit(spawn, killed)) {
        return;
    }
    spawn.rabbitGame.rabbit = nullptr;
    announceRabbitKill(spawn, &killer, &killed);
    startRabbit(spawn, killer);
}

// A new ship or freq loses the bounty; the countdowns run on.
void refreshRabbitBounty(BotSpawn& spawn) {
    if (spawn.rabbitGame.rabbit == nullptr || replaceUnlistedRabbit(spawn)) {
        return;
    }
    sendPrivate(spawn, *spawn.rabbitGame.rabbit, zone::bounty5000);
}

// The player on the way out is kept out of the draw whether or not the host
// still lists it while the event is handled.
void replaceRabbit(BotSpawn& spawn, const PlayerRecord& leaving) {
    if (!isRabbit(spawn, leaving)) {
        return;
    }
    drawRabbitSuccessor(spawn, &leaving);
}

void forgetRabbit(BotSpawn& spawn) {
    spawn.rabbitGame.rabbit = nullptr;
    spawn.rabbitGame.startedThisTick = false;
}

} // namespace quorvel
