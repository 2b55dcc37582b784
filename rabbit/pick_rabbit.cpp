#include "rabbit/pick_rabbit.h"

#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "module/bot_spawn.h"
#include "rabbit/rabbit.h"

#include <string>

namespace quorvel {
namespace {

constexpr std::string_view newRabbitText = "New rabbit: ";

bool drawable(const PlayerRecord& player, const PlayerRecord* skip) {
    return isPlaying(player) && &player != skip;
}

} // namespace

bool isRabbit(const BotSpawn& spawn, const PlayerRecord& player) {
    return spawn.rabbitGame.rabbit == &player;
}

bool hasRabbit(const BotSpawn& spawn) {
    return spawn.rabbitGame.rabbit != nullptr;
}

const PlayerRecord* pickRabbit(BotSpawn& spawn, const PlayerRecord* skip) {
    std::uint32_t inShips = 0;
    for (const PlayerRecord& player : playersOf(spawn)) {
        if (drawable(player, skip)) {
            ++inShips;
        }
    }
    if (inShips < 2) {
        return nullptr;
    }
    std::uint32_t wanted = spawn.random.draw() % inShips;
    for (const PlayerRecord& player : playersOf(spawn)) {
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

void startRabbit(BotSpawn& spawn, const PlayerRecord& player) {
    sendPublic(spawn, zone::timerReset);
    sendPublic(spawn, zone::timerTenMinutes);
    sendPrivate(spawn, player, zone::bounty5000);
    RabbitGame& game = spawn.rabbitGame;
    game.rabbit = &player;
    game.rabbitCountdown = rabbitSeconds;
    game.safetyCountdown = 0;
}

void startDrawnRabbit(BotSpawn& spawn, const PlayerRecord& player) {
    sendPublic(spawn, zone::arena(std::string(newRabbitText) + playerName(player)));
    startRabbit(spawn, player);
}

bool drawRabbitSuccessor(BotSpawn& spawn, const PlayerRecord* skip) {
    spawn.rabbitGame.rabbit = nullptr;
    const PlayerRecord* successor = pickRabbit(spawn, skip);
    if (successor == nullptr) {
        return false;
    }
    startDrawnRabbit(spawn, *successor);
    return true;
}

bool replaceUnlistedRabbit(BotSpawn& spawn) {
    const PlayerRecord* rabbit = spawn.rabbitGame.rabbit;
    if (rabbit == nullptr) {
        return false;
    }
    for (const PlayerRecord& player : playersOf(spawn)) {
        if (&player == rabbit) {
            return false;
        }
    }
    drawRabbitSuccessor(spawn, rabbit);
    return true;
}

} // namespace quorvel
