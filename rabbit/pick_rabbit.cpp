#include "rabbit/pick_rabbit.h"

#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "rabbit/rabbit.h"
#include "rabbit/rabbit_game.h"

#include <string>

namespace quorvel {
namespace {

constexpr std::string_view newRabbitText = "New rabbit: ";

bool drawable(const PlayerRecord& player, const PlayerRecord* skip) {
    return isPlaying(player) && &player != skip;
}

} // namespace

bool isRabbit(const RabbitGame& game, const PlayerRecord& player) {
    return game.rabbit == &player;
}

bool hasRabbit(const RabbitGame& game) {
    return game.rabbit != nullptr;
}

const PlayerRecord* pickRabbit(RabbitGame& game, const PlayerRecord* skip) {
    std::uint32_t inShips = 0;
    for (const PlayerRecord& player : playersOf(game.bot)) {
        if (drawable(player, skip)) {
            ++inShips;
        }
    }
    if (inShips < 2) {
        return nullptr;
    }
    std::uint32_t wanted = game.bot.random.draw() % inShips;
    for (const PlayerRecord& player : playersOf(game.bot)) {
        if (!drawable(player, skip)) {
            continue;
        }
        if (wanted == 0) {
            return &player;
        }
        --wanted;
    }
    return nullptr; // the walk saw fewer players than the count: draw nobody
}

void startRabbit(RabbitGame& game, const PlayerRecord& player) {
    sendPublic(game.bot, zone::timerReset);
    sendPublic(game.bot, zone::timerTenMinutes);
    sendPrivate(game.bot, player, zone::bounty5000);
    game.rabbit = &player;
    game.rabbitCountdown = rabbitSeconds;
    game.safetyCountdown = 0;
}

void startDrawnRabbit(RabbitGame& game, const PlayerRecord& player) {
    sendPublic(game.bot, zone::arena(std::string(newRabbitText) + playerName(player)));
    startRabbit(game, player);
}

bool drawRabbitSuccessor(RabbitGame& game, const PlayerRecord* skip) {
    game.rabbit = nullptr;
    const PlayerRecord* successor = pickRabbit(game, skip);
    if (successor == nullptr) {
        return false;
    }
    startDrawnRabbit(game, *successor);
    return true;
}

bool replaceUnlistedRabbit(RabbitGame& game) {
    const PlayerRecord* rabbit = game.rabbit;
    if (rabbit == nullptr) {
        return false;
    }
    for (const PlayerRecord& player : playersOf(game.bot)) {
        if (&player == rabbit) {
            return false;
        }
    }
    drawRabbitSuccessor(game, rabbit);
    return true;
}

} // namespace quorvel
