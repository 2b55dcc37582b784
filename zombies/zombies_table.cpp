// The zombies game as the module runs it: its commands with their help
// lines, and what it does on each event while it is switched on.
#include "zombies/zombie_game.h"
#include "zombies/zombies.h"

namespace quorvel {
namespace {

void entering(ZombieGame& game, const PlayerRecord& player) {
    if (zombiesOn(game)) {
        zombiesPlayerEntering(game, player);
    }
}

void killed(ZombieGame& game, const PlayerRecord& killedPlayer, const PlayerRecord& killer) {
    if (zombiesOn(game) && zombieRoundRunning(game)) {
        zombiesPlayerKilled(game, killedPlayer, killer);
    }
}

void shipChanged(ZombieGame& game, const PlayerRecord& player) {
    if (zombiesOn(game)) {
        zombiesShipChanged(game, player);
    }
}

void teamChanged(ZombieGame& game, const PlayerRecord& player) {
    if (zombiesOn(game)) {
        zombiesTeamChanged(game, player);
    }
}

void spectating(ZombieGame& game, const PlayerRecord& player) {
    if (zombiesOn(game) && zombieRoundRunning(game)) {
        zombiesPlayerGone(game, player, ZombieExit::Spectating);
    }
}

void leaving(ZombieGame& game, const PlayerRecord& player) {
    if (zombiesOn(game) && zombieRoundRunning(game)) {
        zombiesPlayerGone(game, player, ZombieExit::Leaving);
    }
    zombiesForgetPlayer(game, player);
}

void tick(ZombieGame& game) {
    if (zombiesOn(game)) {
        runZombiesTick(game);
    }
}

constexpr Command commands[] = {
    {"zon", Mod, step<commandZon>, {"!zon (Start Zombies game.)"}},
    {"zoff", Mod, step<commandZoff>, {"!zoff (Stop Zombies game.)"}},
    {"zship", Mod, step<commandZship>, {"!zship <number> (Set Zombie ship.)"}},
    {"hship", Mod, step<commandHship>, {"!hship <number> (Set Human ship.)"}},
    {"zteam", Mod, step<commandZteam>, {"!zteam <number> (Set Zombie team.)"}},
    {"hteam", Mod, step<commandHteam>, {"!hteam <number> (Set Human team.)"}},
    {"zsave", Mod, step<commandZsave>, {"!zsave (Save new Zombies game settings.)"}},
    {"zload", Mod, step<commandZload>, {"!zload (Load Zombies game settings.)"}},
    {"zstatus", Player, step<commandZstatus>, {"!zstatus (current zombies game status)"}},
};

constexpr std::string_view staffList =
    "Ext: Zombie commands: !zon !zoff !zship !zteam !hship !hteam !zsave !zload";

} // namespace

const ServiceTable zombiesTable = {
    .name = "zombies",
    .commands = commands,
    .help =
        {
            .player = "!zstatus (current zombies game status.)",
            .staff = staffList,
            .staffTopic = staffList,
        },
    .steps =
        {
            .started = step<loadZombieSettings>,
            .stopping = step<saveZombieSettingsAtExit>,
            .arenaLeft = step<zombiesBotLeaving>,
            .playerEntering = step<entering>,
            .playerKilled = step<killed>,
            .playerShipChanged = step<shipChanged>,
            .playerSpectating = step<spectating>,
            .playerTeamChanged = step<teamChanged>,
            .playerLeaving = step<leaving>,
            .tick = step<tick>,
        },
};

} // namespace quorvel
