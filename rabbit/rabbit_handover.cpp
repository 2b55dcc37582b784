// The rabbit passing from one player to another on the players' own events.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "rabbit/kill_announcements.h"
#include "rabbit/pick_rabbit.h"
#include "rabbit/rabbit.h"
#include "rabbit/rabbit_game.h"

namespace quorvel {

// Whoever kills the rabbit takes over, whatever its ship, freq or level.
void rabbitKilled(RabbitGame& game, const PlayerRecord& killed, const PlayerRecord& killer) {
    if (!isRabbit(game, killed)) {
        return;
    }
    game.rabbit = nullptr;
    announceRabbitKill(game, &killer, &killed);
    startRabbit(game, killer);
}

// A new ship or freq loses the bounty; the countdowns run on.
void refreshRabbitBounty(RabbitGame& game) {
    if (game.rabbit == nullptr || replaceUnlistedRabbit(game)) {
        return;
    }
    sendPrivate(game.bot, *game.rabbit, zone::bounty5000);
}

// The player on the way out is kept out of the draw whether or not the host
// still lists it while the event is handled.
void replaceRabbit(RabbitGame& game, const PlayerRecord& leaving) {
    if (!isRabbit(game, leaving)) {
        return;
    }
    drawRabbitSuccessor(game, &leaving);
}

void forgetRabbit(RabbitGame& game) {
    game.rabbit = nullptr;
}

} // namespace quorvel
