#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "module/bot_spawn.h"
#include "rabbit/pick_rabbit.h"
#include "rabbit/rabbit.h"

#include <string>

namespace quorvel {
namespace {

constexpr std::string_view notEnoughPlayersText = "Not enough players to choose a new rabbit.";
constexpr std::string_view stoppedText = "Game stopped.";
constexpr std::string_view statusText = " is the rabbit right now. He is at ";
constexpr std::string_view statusTail = ". Type ?time to see time remaining";
constexpr std::string_view notStartedText = "Bounty Rabbit game has not started yet.";

} // namespace

// Takes over a running game too; the drawn player may be the rabbit itself,
// whose ten minutes then start again.
void commandNewpick(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    const PlayerRecord* picked = pickRabbit(spawn);
    if (picked == nullptr) {
        sendPrivate(spawn, sender, notEnoughPlayersText);
        return;
    }
    startDrawnRabbit(spawn, *picked);
}

// The zone's timer and the countdowns are left running.
void commandStop(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    spawn.rabbitGame.rabbit = nullptr;
    sendPrivate(spawn, sender, stoppedText);
}

void commandStatus(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    replaceUnlistedRabbit(spawn);
    const PlayerRecord* rabbit = spawn.rabbitGame.rabbit;
    if (rabbit == nullptr) {
        sendPrivate(spawn, sender, notStartedText);
        return;
    }
    sendPrivate(spawn, sender,
                typedLead(playerName(*rabbit)) + std::string(statusText) +
                    coordinateText(rabbit->pixelX, rabbit->pixelY) + std::string(statusTail));
}

} // namespace quorvel
