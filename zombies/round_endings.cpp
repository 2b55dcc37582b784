#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "module/bot_spawn.h"
#include "zombies/zombie_roles.h"
#include "zombies/zombies.h"

#include <string>

namespace quorvel {
namespace {

constexpr std::string_view sanctuaryBefore = "Running though the dark ";
constexpr std::string_view sanctuaryFound = " turned the corner and found sanctuary.";
constexpr std::string_view sanctuaryOops =
    " turned the corner and found sanctuary, oops sorry I meant a zombie. :p.";
constexpr std::string_view gameEnded = "Zombie game has ended!";
constexpr std::string_view zombiesWin = "Zombies Win!  Zombie game has ended!";
constexpr std::string_view lastSurvivor = " is the last surviving human!  Zombie game has ended!";
constexpr std::string_view unspecNotice =
    "All players should be unspeced now and can enter game at anytime before next game begins.";
constexpr std::string_view newMaster = "turned a pale color and became the new Zombie Master!";
constexpr std::string_view lastZombieSpecced =
    "Last zombie has gone into spec and now there are not enough humans playing to create "
    "another zombie. Zombies Game will start again when there are 3 or more people ingame.";
constexpr std::string_view lastZombieLeft =
    "Last zombie has left the arena and now there are not enough humans playing to create "
    "another zombie.  Zombies Game will restart when there are 3 or more people ingame.";
constexpr std::string_view noWinner =
    "Not enough players to finish game so game ended with no winner.  Zombies Game will start "
    "again when there are 3 or more people ingame.";
constexpr std::string_view botLeft =
    "The bot has left the arena, so the Zombies Game ended with no winner.";
constexpr Word endSound = 5;

bool insideSanctuary(const ZombieGame& game, const PlayerRecord& player) {
    return game.sanctuaryMinX < player.tileX && player.tileX < game.sanctuaryMaxX &&
           game.sanctuaryMinY < player.tileY && player.tileY < game.sanctuaryMaxY;
}

void rememberLastHuman(ZombieGame& game, const PlayerRecord& player) {
    game.lastHuman = &player;
    game.lastHumanName = playerName(player);
}

// An ending without a winner: no "*specall", roles stay as they are.
void abandonRound(BotSpawn& spawn, std::string_view why) {
    sendPublic(spawn, zone::arena(why));
    spawn.zombieGame.gameRunning = false;
    spawn.zombieGame.startCountdown = 0;
    sendPublic(spawn, zone::lockArena);
}

void zombiesWinRound(BotSpawn& spawn) {
    const ZombieGame& game = spawn.zombieGame;
    // Names are copies: the last human may have left. With no single last
    // human seen in this round, the last human turned is named.
    const std::string& name = game.lastHumanName.empty() ? game.lastTurnedName : game.lastHumanName;
    sendPublicSound(spawn, endSound,
                    zone::arena(std::string(sanctuaryBefore) + name + std::string(sanctuaryOops)));
    sendPublic(spawn, zone::arena(zombiesWin));
    finishRound(spawn);
}

} // namespace

void finishRound(BotSpawn& spawn) {
    ZombieGame& game = spawn.zombieGame;
    game.gameRunning = false;
    game.startCountdown = 0;
    clearRoundMemory(game);
    sendPublic(spawn, zone::lockArena);
    sendPublic(spawn, zone::specAll);
    sendPublic(spawn, zone::arena(unspecNotice));
    for (const PlayerRecord& player : playersOf(spawn)) {
        if (isZombie(spawn, player)) {
            setRole(spawn, player, humanRole);
        }
    }
}

void checkSanctuaryEnd(BotSpawn& spawn) {
    ZombieGame& game = spawn.zombieGame;
    const std::int32_t humans = countHumans(spawn);
    if (humans == 1) {
        const PlayerRecord* safe = nullptr;
        for (const PlayerRecord& player : playersOf(spawn)) {
            if (!isPlaying(player) || !onFreq(player, game.humanTeam) || isZombie(spawn, player)) {
                continue;
            }
            rememberLastHuman(game, player);
            if (insideSanctuary(game, player)) {
                safe = &player;
                break;
            }
        }
        if (safe != nullptr) {
            sendPublicSound(spawn, endSound,
                            zone::arena(std::string(sanctuaryBefore) + playerName(*safe) +
                                        std::string(sanctuaryFound)));
            sendPublic(spawn, zone::arena(gameEnded));
            finishRound(spawn);
        }
    } else if (humans == 0) {
        zombiesWinRound(spawn);
    }
}

void checkLastHumanEnd(BotSpawn& spawn) {
    const ZombieGame& game = spawn.zombieGame;
    // The zone moves an infected player to the zombie freq only after the
    // kill has been handled, so when the last two humans fall within one
    // second no check sees one of them alone. Once nobody is left on the
    // human freq, the zombies have won.
    const std::int32_t humans = countHumans(spawn);
    if (humans == 0) {
        zombiesWinRound(spawn);
        return;
    }
    if (humans != 1) {
        return;
    }
    for (const PlayerRecord& player : playersOf(spawn)) {
        if (sitsInShip(player, game.humanShip) && !isZombie(spawn, player) &&
            onFreq(player, game.humanTeam)) {
            sendPublicSound(spawn, endSound,
                            zone::arena(playerName(player) + std::string(lastSurvivor)));
            finishRound(spawn);
            return;
        }
    }
}

void clearRoundMemory(ZombieGame& game) {
    game.lastHuman = nullptr;
    game.lastHumanName.clear();
    game.lastTurnedName.clear();
}

void runEndTest(BotSpawn& spawn) {
    if (spawn.zombieGame.sanctuaryOn) {
        checkSanctuaryEnd(spawn);
    } else {
        checkLastHumanEnd(spawn);
    }
}

void zombiesPlayerGone(BotSpawn& spawn, const PlayerRecord& player, ZombieExit how) {
    // The player on the way out counts for nothing and is never drawn,
    // whether the host still lists it or has already dropped it.
    const std::int32_t zombies = countZombies(spawn, &player);
    const std::uint32_t playing = countInShips(spawn, &player);
    if (zombies == 0 && playing >= 3) {
        if (const PlayerRecord* master = pickZombieMaster(spawn, &player)) {
            sendPublic(spawn, zone::arena(playerName(*master) + std::string(newMaster)));
            turnIntoZombie(spawn, *master);
        }
    } else if (zombies == 0) {
        abandonRound(spawn, how == ZombieExit::Spectating ? lastZombieSpecced : lastZombieLeft);
    } else if (playing < 3) {
        abandonRound(spawn, noWinner);
    }
}

void zombiesForgetPlayer(BotSpawn& spawn, const PlayerRecord& player) {
    if (spawn.zombieGame.lastHuman == &player) {
        spawn.zombieGame.lastHuman = nullptr;
    }
}

void zombiesBotLeaving(BotSpawn& spawn) {
    ZombieGame& game = spawn.zombieGame;
    // The zone carries out what the bot says while its leaving is being
    // handled in the arena it leaves; later it could not, and "*lock"
    // switches the lock over, so sent at the next join it might lock an
    // open arena instead.
    if (game.gameRunning) {
        abandonRound(spawn, botLeft);
    }
    // Roles go with the player tags; the records of this arena, the last
    // human's among them, are not the bot's to read any more.
    game.gameRunning = false;
    game.startCountdown = 0;
    game.countdownArmed = false;
    clearRoundMemory(game);
}

} // namespace quorvel
