#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "rabbit/pick_rabbit.h"
#include "rabbit/rabbit.h"
#include "rabbit/rabbit_game.h"

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
void commandNewpick(RabbitGame& game, const PlayerRecord& sender, std::string_view) {
    const PlayerRecord* picked = pickRabbit(game);
    if (picked == nullptr) {
        sendPrivate(game.bot, sender, notEnoughPlayersText);
        return;
    }
    startDrawnRabbit(game, *picked);
}

// The zone's timer and the countdowns are left running.
void commandStop(RabbitGame& game, const PlayerRecord& sender, std::string_view) {
    game.rabbit = nullptr;
    sendPrivate(game.bot, sender, stoppedText);
}

void commandStatus(RabbitGame& game, const PlayerRecord& sender, std::string_view) {
    replaceUnlistedRabbit(game);
    const PlayerRecord* rabbit = game.rabbit;
    if (rabbit == nullptr) {
        sendPrivate(game.bot, sender, notStartedText);
        return;
    }
    sendPrivate(game.bot, sender,
                typedLead(playerName(*rabbit)) + std::string(statusText) +
                    coordinateText(rabbit->pixelX, rabbit->pixelY) + std::string(statusTail));
}

} // namespace quorvel
