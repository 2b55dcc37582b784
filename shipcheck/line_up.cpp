// The line-up of freqs 0, 1 and 2: each has a basic ship anyone may fly and
// a special ship for a limited number of its players. Lancasters and Sharks
// fly anywhere; every other freq and every spectator is left alone.
#include "shipcheck/ship_checker.h"

#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "zombies/zombies.h"

#include <cstdint>
#include <optional>

namespace quorvel {
namespace {

// Ships as the host counts them (0 Warbird to 7 Shark); "*setship" counts
// from 1.
constexpr std::uint8_t warbird = 0;
constexpr std::uint8_t javelin = 1;
constexpr std::uint8_t spider = 2;
constexpr std::uint8_t leviathan = 3;
constexpr std::uint8_t terrier = 4;
constexpr std::uint8_t weasel = 5;
constexpr std::uint8_t lancaster = 6;
constexpr std::uint8_t shark = 7;

struct LineUp {
    std::uint8_t basic;
    std::uint8_t special;
    std::int32_t limit; // full when more than this many fly the special ship
};

constexpr LineUp lineUps[] = {
    {warbird, javelin, 1},  // freq 0
    {spider, leviathan, 2}, // freq 1
    {terrier, weasel, 2},   // freq 2
};
constexpr std::uint16_t lineUpCount = sizeof lineUps / sizeof lineUps[0];

const LineUp* lineUpOf(std::uint16_t team) {
    return team < lineUpCount ? &lineUps[team] : nullptr;
}

bool isBasicShip(std::uint8_t ship) {
    for (const LineUp& lineUp : lineUps) {
        if (lineUp.basic == ship) {
            return true;
        }
    }
    return false;
}

std::int32_t setShipNumber(std::uint8_t ship) {
    return static_cast<std::int32_t>(ship) + 1;
}

// The ship the player must be put into, or nothing when his ship is allowed.
// Another freq's basic ship becomes this freq's basic ship; another freq's
// special ship becomes this freq's special ship unless that one is already
// over its limit. The same full test serves the pilot already in the special
// ship (he is counted) and the one about to be put into it (he is not yet):
// a freq at exactly its limit therefore lets the newcomer in first and sends
// him on to the basic ship when the zone reports the change.
std::optional<std::uint8_t> correctedShip(const ShipChecker& checker, const PlayerRecord& player,
                                          const LineUp& lineUp) {
    const std::uint8_t ship = player.ship;
    if (ship == lineUp.basic || ship == lancaster || ship == shark) {
        return std::nullopt;
    }
    if (ship > shark) {
        return std::nullopt; // not a ship at all
    }
    if (isBasicShip(ship)) {
        return lineUp.basic;
    }
    const bool full = specialShipFull(checker, player.team);
    if (ship == lineUp.special) {
        return full ? std::optional(lineUp.basic) : std::nullopt;
    }
    return full ? lineUp.basic : lineUp.special;
}

} // namespace

bool specialShipFull(const ShipChecker& checker, std::uint16_t team) {
    const LineUp* lineUp = lineUpOf(team);
    if (lineUp == nullptr) {
        return false;
    }
    std::int32_t count = 0;
    for (const PlayerRecord& other : playersOf(checker.bot)) {
        if (other.team == team && other.ship == lineUp->special) {
            ++count;
        }
    }
    return count > lineUp->limit;
}

void checkShip(ShipChecker& checker, const PlayerRecord& player) {
    if (player.ship == spectatorShip) {
        return;
    }
    // While the zombies game is on it keeps its humans and zombies in their
    // ships itself; were the checker to correct them too, the two would
    // answer each other's "*setship" for ever.
    if (zombiesKeepShipsOf(checker.zombies, player.team)) {
        return;
    }
    const LineUp* lineUp = lineUpOf(player.team);
    if (lineUp == nullptr) {
        return;
    }
    if (std::optional<std::uint8_t> ship = correctedShip(checker, player, *lineUp)) {
        sendPrivate(checker.bot, player, zone::setShip(setShipNumber(*ship)));
    }
}

} // namespace quorvel
