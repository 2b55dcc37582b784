#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "zombies/zombie_game.h"
#include "zombies/zombie_roles.h"
#include "zombies/zombies.h"

#include <string>

namespace quorvel {
namespace {

constexpr std::string_view startingSoon = "Zombies Game starting in 30 seconds";
constexpr std::string_view startedText = "Zombies Game has now started!";
constexpr std::string_view tauntBefore = "What's up with this ";
constexpr std::string_view tauntMiddle = "?  Your already dead and yet you got killed again by ";
constexpr std::string_view tauntAfter = "?!?  You can do better than that!  At I thought so....";
constexpr std::string_view actHuman = "You are a human so act like it. :p";
constexpr std::string_view actZombie = "You are a zombie so act like it. :p";
constexpr std::string_view turnedHuman = "You have been turned into a human so act like it. :p";

constexpr std::int32_t noticeAt = 30;
constexpr std::int32_t startAt = 60;
constexpr std::uint32_t leastPlayers = 3;

void startRound(ZombieGame& game) {
    sendPublic(game.bot, zone::arena(startedText));
    game.gameRunning = true;
    clearRoundMemory(game);
    sendPublic(game.bot, zone::lockArena);
    if (const PlayerRecord* master = pickZombieMaster(game)) {
        turnIntoZombie(game, *master);
    }
}

void countTowardsStart(ZombieGame& game) {
    if (!game.countdownArmed) {
        game.startCountdown = 0;
        game.countdownArmed = true;
    }
    if (game.startCountdown == noticeAt) {
        sendPublic(game.bot, zone::arena(startingSoon));
        ++game.startCountdown;
    }
    if (game.startCountdown == startAt) {
        startRound(game);
    } else {
        ++game.startCountdown;
    }
}

} // namespace

bool zombiesOn(const ZombieGame& game) {
    return game.zombiesOn;
}

bool zombiesKeepShipsOf(const ZombieGame& game, std::int32_t team) {
    return game.zombiesOn && (team == game.humanTeam || team == game.zombieTeam);
}

bool zombieRoundRunning(const ZombieGame& game) {
    return game.gameRunning;
}

void runZombiesTick(ZombieGame& game) {
    const std::uint32_t playing = countInShips(game);
    game.playingCount = static_cast<std::int32_t>(playing);
    if (!game.gameRunning && playing >= leastPlayers) {
        countTowardsStart(game);
    } else if (game.gameRunning && playing >= leastPlayers) {
        // The bot keeps out of the round it runs.
        if (game.bot.me != nullptr && isPlaying(*game.bot.me)) {
            sendPrivate(game.bot, *game.bot.me, zone::spec);
        }
        runEndTest(game);
    }
    // With fewer than three in ships the countdown holds where it is.
}

void zombiesPlayerEntering(ZombieGame& game, const PlayerRecord& player) {
    if (game.gameRunning) {
        return; // a late comer waits for the next round
    }
    setRole(game, player, humanRole);
    sendPrivate(game.bot, player, zone::setShip(game.humanShip));
    sendPrivate(game.bot, player, zone::setFreq(game.humanTeam));
}

void zombiesPlayerKilled(ZombieGame& game, const PlayerRecord& killed, const PlayerRecord& killer) {
    const bool killerIsZombie = isZombie(game, killer);
    const bool killedIsZombie = isZombie(game, killed);
    if (killerIsZombie && !killedIsZombie) {
        turnIntoZombie(game, killed);
        game.lastTurnedName = playerName(killed);
    } else if (!killerIsZombie && killedIsZombie) {
        std::string taunt(tauntBefore);
        taunt += playerName(killed);
        taunt += tauntMiddle;
        taunt += playerName(killer);
        taunt += tauntAfter;
        sendPublic(game.bot, zone::arena(taunt));
    }
    runEndTest(game);
}

void zombiesShipChanged(ZombieGame& game, const PlayerRecord& player) {
    const bool zombie = isZombie(game, player);
    if (onFreq(player, game.zombieTeam) && zombie) {
        sendPrivate(game.bot, player, zone::setShip(game.zombieShip));
    } else if (onFreq(player, game.humanTeam) && !zombie) {
        sendPrivate(game.bot, player, zone::setShip(game.humanShip));
    }
}

void zombiesTeamChanged(ZombieGame& game, const PlayerRecord& player) {
    if (!isZombie(game, player)) {
        sendPrivate(game.bot, player, zone::setFreq(game.humanTeam));
        sendPrivate(game.bot, player, actHuman);
    } else if (game.gameRunning) {
        sendPrivate(game.bot, player, zone::setFreq(game.zombieTeam));
        sendPrivate(game.bot, player, actZombie);
    } else {
        // A zombie left over from a round that ended without a winner.
        setRole(game, player, humanRole);
        sendPrivate(game.bot, player, zone::setFreq(game.humanTeam));
        sendPrivate(game.bot, player, turnedHuman);
    }
}

} // namespace quorvel
