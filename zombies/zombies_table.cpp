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

constexpr Command<ZombieGame> commands[] = {
    {"zon", Mod, commandZon, {"!zon (Start Zombies game.)"}},
    {"zoff", Mod, commandZoff, {"!zoff (Stop Zombies game.)"}},
    {"zship", Mod, commandZship, {"!zship <number> (Set Zombie ship.)"}},
    {"hship", Mod, commandHship, {"!hship <number> (Set Human ship.)"}},
    {"zteam", Mod, commandZteam, {"!zteam <number> (Set Zombie team.)"}},
    {"hteam", Mod, commandHteam, {"!hteam <number> (Set Human team.)"}},
    {"zsave", Mod, commandZsave, {"!zsave (Save new Zombies game settings.)"}},
    {"zload", Mod, commandZload, {"!zload (Load Zombies game settings.)"}},
    {"zstatus", Player, commandZstatus, {"!zstatus (current zombies game status)"}},
};

constexpr std::string_view staffList =
    "Ext: Zombie commands: !zon !zoff !zship !zteam !hship !hteam !zsave !zload";

} // namespace

const ServiceTable<ZombieGame> zombiesTable = {
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
            .started = loadZombieSettings,
            .stopping = saveZombieSettingsAtExit,
            .arenaLeft = zombiesBotLeaving,
            .playerEntering = entering,
            .playerKilled = killed,
            .playerShipChanged = shipChanged,
            .playerSpectating = spectating,
            .playerTeamChanged = teamChanged,
            .playerLeaving = leaving,
            .tick = tick,
        },
};

} // namespace quorvel
