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

constexpr Command commands[] = {
    {"newpick", Mod, step<commandNewpick>, {"!newpick (choose a new bounty rabbit.)"}},
    {"stop", Mod, step<commandStop>, {"!stop (end the bounty rabbit game early.)"}},
    {"status", Player, step<commandStatus>, {"!status (current bounty rabbit)"}},
};

} // namespace

const ServiceTable rabbitTable = {
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
            .arenaLeft = step<forgetRabbit>,
            .playerMoved = step<rabbitMoved>,
            .playerKilled = step<killed>,
            .playerShipChanged = step<shipOrTeamChanged>,
            .playerSpectating = step<replaceRabbit>,
            .playerTeamChanged = step<shipOrTeamChanged>,
            .playerLeaving = step<replaceRabbit>,
            .prizeRefresh = step<prizeRefresh>,
            .tick = step<rabbitTick>,
        },
};

} // namespace quorvel
