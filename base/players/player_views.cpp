#include "base/players/player_views.h"

#include "base/bot/bot.h"
#include "base/text/text_rules.h"

#include <cstdlib>
#include <utility>
#include <vector>

namespace quorvel {

HostListView<PlayerRecord> playersOf(const Bot& bot) {
    return HostListView<PlayerRecord>(bot.players);
}

HostListView<FlagRecord> flagsOf(const Bot& bot) {
    return HostListView<FlagRecord>(bot.flags);
}

bool isPlaying(const PlayerRecord& player) {
    return player.ship != spectatorShip;
}

std::string playerName(const PlayerRecord& player) {
    return fieldText(player.name, sizeof player.name);
}

std::string squadName(const PlayerRecord& player) {
    return fieldText(player.squad, sizeof player.squad);
}

std::int32_t countPlaying(const Bot& bot) {
    std::int32_t count = 0;
    for (const PlayerRecord& player : playersOf(bot)) {
        if (isPlaying(player)) {
            ++count;
        }
    }
    return count;
}

std::string flagsCarriedText(const Bot& bot) {
    constexpr std::uint16_t noTeam = 65535;
    constexpr std::uint16_t firstPrivateTeam = 100;
    std::vector<std::pair<std::uint16_t, std::int32_t>> totals;
    for (const PlayerRecord& player : playersOf(bot)) {
        if (player.flagsCarried == 0) {
            continue;
        }
        bool added = false;
        for (auto& [team, total] : totals) {
            if (team == player.team) {
                total += player.flagsCarried;
                added = true;
                break;
            }
        }
        if (!added) {
            totals.emplace_back(player.team, player.flagsCarried);
        }
    }
    std::string text;
    for (const auto& [team, total] : totals) {
        if (team == noTeam) {
            continue;
        }
        if (!text.empty()) {
            text += ' ';
        }
        if (team < firstPrivateTeam) {
            text += '(';
            text += decimal(std::int32_t{team});
            text += "):";
        } else {
            text += "(Prv):";
        }
        text += decimal(total);
    }
    return text;
}

bool nearCentre(const PlayerRecord& player, std::int32_t radius) {
    auto distance = [](std::int32_t tile) {
        return std::llabs(static_cast<long long>(tile) - mapCentreTile);
    };
    return distance(player.tileX) < radius && distance(player.tileY) < radius;
}

std::string coordinateText(std::int32_t pixelX, std::int32_t pixelY) {
    constexpr std::int64_t squares = 20;
    constexpr std::int64_t mapTiles = 1024;
    // Arithmetic shift: -1 stays -1. The products are taken in 64 bits so a
    // wild position cannot overflow; the letter is the column as a signed byte.
    std::int64_t tileX = pixelX >> 4;
    std::int64_t tileY = pixelY >> 4;
    auto column = static_cast<std::int32_t>(tileX * squares / mapTiles);
    auto row = static_cast<std::int32_t>(tileY * squares / mapTiles);
    char letter =
        static_cast<char>(static_cast<std::int8_t>('A' + static_cast<std::int8_t>(column)));
    std::string text(1, letter);
    text += decimal(row + 1);
    return text;
}

} // namespace quorvel
