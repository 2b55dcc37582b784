#include "zombies/zombie_roles.h"

#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "zombies/zombie_game.h"

#include <array>
#include <string>

namespace quorvel {
namespace {

constexpr std::string_view masterChosenText =
    "The source of all evil has chosen his new Zombie Master!";
constexpr std::string_view rebornBeforeName =
    "An evil magic could surrounds the newly deceaced body of ";
constexpr std::string_view rebornBetweenNames = ".  Suddenly the air clears and ";
constexpr std::string_view rebornAfterName = " is reborn a zombie!";
constexpr Word rebornSound = 13;

constexpr std::array<std::string_view, 8> shipNames = {
    "Warbird.", "Javelin.", "Spider.", "Leviathan.", "Terrier.", "Weasel.", "Lancaster.", "Shark.",
};

bool counts(const PlayerRecord& player, const PlayerRecord* leaving) {
    return isPlaying(player) && &player != leaving;
}

} // namespace

bool isZombie(const ZombieGame& game, const PlayerRecord& player) {
    return game.bot.playerTags.get(&player, zombieRoleTag) != humanRole;
}

void setRole(ZombieGame& game, const PlayerRecord& player, std::int32_t role) {
    game.bot.playerTags.set(&player, zombieRoleTag, role);
}

bool sitsInShip(const PlayerRecord& player, std::int32_t settingsShip) {
    return std::int64_t{player.ship} + 1 == std::int64_t{settingsShip};
}

bool onFreq(const PlayerRecord& player, std::int32_t freq) {
    return std::int64_t{player.team} == std::int64_t{freq};
}

std::string_view shipName(std::int32_t ship) {
    if (ship < 1 || ship > static_cast<std::int32_t>(shipNames.size())) {
        return {};
    }
    return shipNames[static_cast<std::size_t>(ship - 1)];
}

std::uint32_t countInShips(const ZombieGame& game, const PlayerRecord* leaving) {
    std::uint32_t n = 0;
    for (const PlayerRecord& player : playersOf(game.bot)) {
        if (counts(player, leaving)) {
            ++n;
        }
    }
    return n;
}

std::int32_t countHumans(const ZombieGame& game, const PlayerRecord* leaving) {
    std::int32_t n = 0;
    for (const PlayerRecord& player : playersOf(game.bot)) {
        if (counts(player, leaving) && onFreq(player, game.humanTeam)) {
            ++n;
        }
    }
    return n;
}

std::int32_t countZombies(const ZombieGame& game, const PlayerRecord* leaving) {
    std::int32_t n = 0;
    for (const PlayerRecord& player : playersOf(game.bot)) {
        if (counts(player, leaving) && onFreq(player, game.zombieTeam)) {
            ++n;
        }
    }
    return n;
}

const PlayerRecord* pickZombieMaster(ZombieGame& game, const PlayerRecord* leaving) {
    const std::uint32_t n = countInShips(game, leaving);
    if (n < 3) {
        return nullptr;
    }
    std::uint32_t skip = game.bot.random.draw() % n;
    const PlayerRecord* chosen = nullptr;
    for (const PlayerRecord& player : playersOf(game.bot)) {
        if (!counts(player, leaving)) {
            continue;
        }
        if (skip == 0) {
            chosen = &player;
            break;
        }
        --skip;
    }
    if (chosen != nullptr) {
        sendPublic(game.bot, zone::arena(masterChosenText));
    }
    return chosen;
}

void turnIntoZombie(ZombieGame& game, const PlayerRecord& player) {
    setRole(game, player, zombieRole);
    sendPrivate(game.bot, player, zone::setFreq(game.zombieTeam));
    sendPrivate(game.bot, player, zone::setShip(game.zombieShip));
    const std::string name = playerName(player);
    std::string text;
    text.reserve(rebornBeforeName.size() + rebornBetweenNames.size() + rebornAfterName.size() +
                 2 * name.size());
    text.append(rebornBeforeName)
        .append(name)
        .append(rebornBetweenNames)
        .append(name)
        .append(rebornAfterName);
    sendPublicSound(game.bot, rebornSound, zone::arena(text));
}

} // namespace quorvel
