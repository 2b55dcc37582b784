// A flag game won: the winners' table, the zone object of the winning freq
// and, while the store is on, FlagVictory gold for every winner.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "flaggame/flag_game.h"
#include "flaggame/flag_watch.h"
#include "gold/awards.h"

#include <string>

namespace quorvel {
namespace {

constexpr std::size_t nameWidth = 19;
constexpr std::size_t squadWidth = 19;
constexpr std::size_t winWidth = 6;
constexpr std::size_t lossWidth = 6;
constexpr std::size_t pointsWidth = 10;

constexpr std::string_view goldMessageStart = "Flag Game Won!!! ";
constexpr std::string_view goldMessageEnd = " Gold has been given to all players on winning team.";

std::string tableRow(std::string_view name, std::string_view squad, std::string_view wins,
                     std::string_view losses, std::string_view points) {
    return zone::arena(fillToWidth(name, nameWidth) + fillToWidth(squad, squadWidth) +
                       fillToWidth(wins, winWidth) + fillToWidth(losses, lossWidth) +
                       fillToWidth(points, pointsWidth));
}

bool isWinner(const PlayerRecord& player, Word team) {
    return Word{player.team} == team;
}

void payWinners(FlagWatch& watch, Word team) {
    for (const PlayerRecord& player : playersOf(watch.bot)) {
        if (isWinner(player, team)) {
            payFlagVictory(watch.gold, player);
        }
    }
}

void sendGoldMessage(FlagWatch& watch) {
    sendPublic(watch.bot,
               zone::arena(std::string(goldMessageStart) + decimal(flagVictoryAward(watch.gold)) +
                           std::string(goldMessageEnd)));
}

} // namespace

void announceFlagVictory(FlagWatch& watch, Word team) {
    if (watch.announcementsOff) {
        // Quiet, but the winners are still paid once.
        if (goldInPlay(watch.gold)) {
            payWinners(watch, team);
            sendGoldMessage(watch);
        }
        return;
    }
    bool headerSent = false;
    for (const PlayerRecord& player : playersOf(watch.bot)) {
        if (!isWinner(player, team)) {
            continue;
        }
        if (!headerSent) {
            sendPublic(watch.bot, tableRow("Name", "Squad", "Win", "Loss", "Flag pts"));
            headerSent = true;
        }
        sendPublic(watch.bot,
                   tableRow(playerName(player), squadName(player),
                            decimal(std::int32_t{player.wins}),
                            decimal(std::int32_t{player.losses}), decimal(player.flagPoints)));
        if (goldInPlay(watch.gold)) {
            payFlagVictory(watch.gold, player);
        }
    }
    // The event carries the freq as a 32-bit value; the object is numbered
    // the same way.
    sendPublic(watch.bot,
               zone::objectOn(static_cast<std::int32_t>(static_cast<std::uint32_t>(team))));
    if (goldInPlay(watch.gold)) {
        sendGoldMessage(watch);
    }
}

} // namespace quorvel
