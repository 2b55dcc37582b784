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
void abandonRound(ZombieGame& game, std::string_view why) {
    sendPublic(game.bot, zone::arena(why));
    game.gameRunning = false;
    game.startCountdown = 0;
    sendPublic(game.bot, zone::lockArena);
}

void zombiesWinRound(ZombieGame& game) {
    // Names are copies: the last human may have left. With no single last
    // human seen in this round, the last human turned is named.
    const std::string& name = game.lastHumanName.empty() ? game.lastTurnedName : game.lastHumanName;
    sendPublicSound(game.bot, endSound,
                    zone::arena(std::string(sanctuaryBefore) + name + std::string(sanctuaryOops)));
    sendPublic(game.bot, zone::arena(zombiesWin));
    finishRound(game);
}

} // namespace

void finishRound(ZombieGame& game) {
    game.gameRunning = false;
    game.startCountdown = 0;
    clearRoundMemory(game);
    sendPublic(game.bot, zone::lockArena);
    sendPublic(game.bot, zone::specAll);
    sendPublic(game.bot, zone::arena(unspecNotice));
    for (const PlayerRecord& player : playersOf(game.bot)) {
        if (isZombie(game, player)) {
            setRole(game, player, humanRole);
        }
    }
}

void checkSanctuaryEnd(ZombieGame& game) {
    const std::int32_t humans = countHumans(game);
    if (humans == 1) {
        const PlayerRecord* safe = nullptr;
        for (const PlayerRecord& player : playersOf(game.bot)) {
            if (!isPlaying(player) || !onFreq(player, game.humanTeam) || isZombie(game, player)) {
                continue;
            }
            rememberLastHuman(game, player);
            if (insideSanctuary(game, player)) {
                safe = &player;
                break;
            }
        }
        if (safe != nullptr) {
            sendPublicSound(game.bot, endSound,
                            zone::arena(std::string(sanctuaryBefore) + playerName(*safe) +
                                        std::string(sanctuaryFound)));
            sendPublic(game.bot, zone::arena(gameEnded));
            finishRound(game);
        }
    } else if (humans == 0) {
        zombiesWinRound(game);
    }
}

void checkLastHumanEnd(ZombieGame& game) {
    // The zone moves an infected player to the zombie freq only after the
    // kill has been handled, so when the last two humans fall within one
    // second no check sees one of them alone. Once nobody is left on the
    // human freq, the zombies have won.
    const std::int32_t humans = countHumans(game);
    if (humans == 0) {
        zombiesWinRound(game);
        return;
    }
    if (humans != 1) {
        return;
    }
    for (const PlayerRecord& player : playersOf(game.bot)) {
        if (sitsInShip(player, game.humanShip) && !isZombie(game, player) &&
            onFreq(player, game.humanTeam)) {
            sendPublicSound(game.bot, endSound,
                            zone::arena(playerName(player) + std::string(lastSurvivor)));
            finishRound(game);
            return;
        }
    }
}

void clearRoundMemory(ZombieGame& game) {
    game.lastHuman = nullptr;
    game.lastHumanName.clear();
    game.lastTurnedName.clear();
}

void runEndTest(ZombieGame& game) {
    if (game.sanctuaryOn) {
        checkSanctuaryEnd(game);
    } else {
        checkLastHumanEnd(game);
    }
}

void zombiesPlayerGone(ZombieGame& game, const PlayerRecord& player, ZombieExit how) {
    // The player on the way out counts for nothing and is never drawn,
    // whether the host still lists it or has already dropped it.
    const std::int32_t zombies = countZombies(game, &player);
    const std::uint32_t playing = countInShips(game, &player);
    if (zombies == 0 && playing >= 3) {
        if (const PlayerRecord* master = pickZombieMaster(game, &player)) {
            sendPublic(game.bot, zone::arena(playerName(*master) + std::string(newMaster)));
            turnIntoZombie(game, *master);
        }
    } else if (zombies == 0) {
        abandonRound(game, how == ZombieExit::Spectating ? lastZombieSpecced : lastZombieLeft);
    } else if (playing < 3) {
        abandonRound(game, noWinner);
    }
}

void zombiesForgetPlayer(ZombieGame& game, const PlayerRecord& player) {
    if (game.lastHuman == &player) {
        game.lastHuman = nullptr;
    }
}

void zombiesBotLeaving(ZombieGame& game) {
    // The zone carries out what the bot says while its leaving is being
    // handled in the arena it leaves; later it could not, and "*lock"
    // switches the lock over, so sent at the next join it might lock an
    // open arena instead.
    if (game.gameRunning) {
        abandonRound(game, botLeft);
    }
    // Roles go with the player tags; the records of this arena, the last
    // human's among them, are not the bot's to read any more.
    game.gameRunning = false;
    game.startCountdown = 0;
    game.countdownArmed = false;
    clearRoundMemory(game);
}

} // namespace quorvel
