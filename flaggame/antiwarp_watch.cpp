// Anti-warp is not allowed in the square around the map centre: a ship
// reported there with it on loses it at once, on every move report, and
// pays the AntiInCenter penalty while the store is on.
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "flaggame/flag_game.h"
#include "gold/awards.h"
#include "module/bot_spawn.h"

namespace quorvel {

void watchAntiwarp(BotSpawn& spawn, const PlayerRecord& player) {
    // Move reports are the busiest event: the cheap tests come first and
    // nothing is built unless the rule fires.
    if (player.antiwarpOn == 0 || !isPlaying(player) ||
        !nearCentre(player, spawn.flagWatch.antiwarpRadius)) {
        return;
    }
    sendPrivate(spawn, player, zone::removeAntiwarp);
    if (spawn.storeOn) {
        penalizeAntiwarp(spawn, player);
    }
}

} // namespace quorvel
