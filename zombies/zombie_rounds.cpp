#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "module/bot_spawn.h"
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

void startRound(BotSpawn& spawn) {
    ZombieGame& game = spawn.zombieGame;
    sendPublic(spawn, zone::arena(startedText));
    game.gameRunning = true;
    clearRoundMemory(game);
    sendPublic(spawn, zone::lockArena);
    if (const PlayerRecord* master = pickZombieMaster(spawn)) {
        turnIntoZombie(spawn, *master);
    }
}

void countTowardsStart(BotSpawn& spawn) {
    ZombieGame& game = spawn.zombieGame;
    if (!game.countdownArmed) {
        game.startCountdown = 0;
        game.countdownArmed = true;
    }
    if (game.startCountdown == noticeAt) {
        sendPublic(spawn, zone::arena(startingSoon));
        ++game.startCountdown;
    }
    if (game.startCountdown == startAt) {
        startRound(spawn);
    } else {
        ++game.startCountdown;
    }
}

} // namespace

bool zombiesOn(const BotSpawn& spawn) {
    return spawn.zombieGame.zombiesOn;
}

bool zombieRoundRunning(const BotSpawn& spawn) {
    return spawn.zombieGame.gameRunning;
}

void runZombiesTick(BotSpawn& spawn) {
    ZombieGame& game = spawn.zombieGame;
    const std::uint32_t playing = countInShips(spawn);
    game.playingCount = static_cast<std::int32_t>(playing);
    if (!game.gameRunning && playing >= leastPlayers) {
        countTowardsStart(spawn);
    } else if (game.gameRunning && playing >= leastPlayers) {
        // The bot keeps out of the round it runs.
        if (spawn.me != nullptr && isPlaying(*spawn.me)) {
            sendPrivate(spawn, *spawn.me, zone::spec);
        }
        runEndTest(spawn);
    }
    // With fewer than three in ships the countdown holds where it is.
}

void zombiesPlayerEntering(BotSpawn& spawn, const PlayerRecord& player) {
    const ZombieGame& game = spawn.zombieGame;
    if (game.gameRunning) {
        return; // a late comer waits for the next round
    }
    setRole(spawn, player, humanRole);
    sendPrivate(spawn, player, zone::setShip(game.humanShip));
    sendPrivate(spawn, player, zone::setFreq(game.humanTeam));
}

void zombiesPlayerKilled(BotSpawn& spawn, const PlayerRecord& killed, const PlayerRecord& killer) {
    const bool killerIsZombie = isZombie(spawn, killer);
    const bool killedIsZombie = isZombie(spawn, killed);
    if (killerIsZombie && !killedIsZombie) {
        turnIntoZombie(spawn, killed);
        spawn.zombieGame.lastTurnedName = playerName(killed);
    } else if (!killerIsZombie && killedIsZombie) {
        std::string taunt(tauntBefore);
        taunt += playerName(killed);
        taunt += tauntMiddle;
        taunt += playerName(killer);
        taunt += tauntAfter;
        sendPublic(spawn, zone::arena(taunt));
    }
    runEndTest(spawn);
}

void zombiesShipChanged(BotSpawn& spawn, const PlayerRecord& player) {
    const ZombieGame& game = spawn.zombieGame;
    const bool zombie = isZombie(spawn, player);
    if (onFreq(player, game.zombieTeam) && zombie) {
        sendPrivate(spawn, player, zone::setShip(game.zombieShip));
    } else if (onFreq(player, game.humanTeam) && !zombie) {
        sendPrivate(spawn, player, zone::setShip(game.humanShip));
    }
}

void zombiesTeamChanged(BotSpawn& spawn, const PlayerRecord& player) {
    const ZombieGame& game = spawn.zombieGame;
    if (!isZombie(spawn, player)) {
        sendPrivate(spawn, player, zone::setFreq(game.humanTeam));
        sendPrivate(spawn, player, actHuman);
    } else if (game.gameRunning) {
        sendPrivate(spawn, player, zone::setFreq(game.zombieTeam));
        sendPrivate(spawn, player, actZombie);
    } else {
        // A zombie left over from a round that ended without a winner.
        setRole(spawn, player, humanRole);
        sendPrivate(spawn, player, zone::setFreq(game.humanTeam));
        sendPrivate(spawn, player, turnedHuman);
    }
}

} // namespace quorvel
