// The bounty rabbit game as the module runs it: its commands with their
// help lines, and what it does on each event.
#include "rabbit/rabbit.h"
#include "rabbit/rabbit_game.h"

namespace quorvel {
namespace {

void killed(RabbitGame& game, const PlayerRecord& killedPlayer, const PlayerRecord& killer) {
    if (isRabbit(game, killedPlayer)) {
        rabbitKilled(game, killedPlayer, killer);
    }
}

// A new ship or freq, and the zone's prize refresh, reset the bounty.
void shipOrTeamChanged(RabbitGame& game, const PlayerRecord& player) {
    if (isRabbit(game, player)) {
        refreshRabbitBounty(game);
    }
}

void prizeRefresh(RabbitGame& game) {
    if (hasRabbit(game)) {
        refreshRabbitBounty(game);
    }
}

constexpr Command<RabbitGame> commands[] = {
    {"newpick", Mod, commandNewpick, {"!newpick (choose a new bounty rabbit.)"}},
    {"stop", Mod, commandStop, {"!stop (end the bounty rabbit game early.)"}},
    {"status", Player, commandStatus, {"!status (current bounty rabbit)"}},
};

} // namespace

const ServiceTable<RabbitGame> rabbitTable = {
    .name = "rabbit",
    .commands = commands,
    .help =
        {
            .player = "!status (current bountyrabbit.)",
            .staff = "Ext: Bounty Rabbit commands: !newpick !stop",
            .staffTopic = "Ext: Bounty Rabbit commands: !newpick !stop",
        },
    .steps =
        {
            .arenaLeft = forgetRabbit,
            .playerMoved = rabbitMoved,
            .playerKilled = killed,
            .playerShipChanged = shipOrTeamChanged,
            .playerSpectating = replaceRabbit,
            .playerTeamChanged = shipOrTeamChanged,
            .playerLeaving = replaceRabbit,
            .prizeRefresh = prizeRefresh,
            .tick = rabbitTick,
        },
};

} // namespace quorvel
