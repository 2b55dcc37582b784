// Anti-warp is not allowed in the square around the map centre: a ship
// reported there with it on loses it at once, on every move report, and
// pays the AntiInCenter penalty while the store is on.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "flaggame/flag_game.h"
#include "flaggame/flag_watch.h"
#include "gold/awards.h"

namespace quorvel {

void watchAntiwarp(FlagWatch& watch, const PlayerRecord& player) {
    // Move reports are the busiest event: the cheap tests come first and
    // nothing is built unless the rule fires.
    if (player.antiwarpOn == 0 || !isPlaying(player) || !nearCentre(player, watch.antiwarpRadius)) {
        return;
    }
    sendPrivate(watch.bot, player, zone::removeAntiwarp);
    if (goldInPlay(watch.gold)) {
        penalizeAntiwarp(watch.gold, player);
    }
}

} // namespace quorvel
