#include "module/service_registry.h"

#include "flaggame/flag_game.h"
#include "rabbit/rabbit.h"
#include "shipcheck/ship_checker.h"
#include "warps/auto_warper.h"
#include "zombies/zombies.h"

#include <algorithm>

namespace quorvel {

// The order in which the services take an event is the order in which
// their lines reach the zone, so it is kept here and nowhere else.
//
// On every event they go: the flag game, the rabbit, the ship checker, the
// warps, the zombies game, gold. A killed rabbit is handed on, the killed
// player warped back to his freq's place and a killed human turned into a
// zombie before the kill is paid in gold. On a new ship or freq, the ship
// checker's "*setship" goes out before the player is warped for his freq.
//
// Gold goes first at the handshake, at Terminate and for an entering
// player: the folder's economy is opened before Ghoulset.ini is read and
// saved before it, and an entering player is greeted (his balance, his
// inventory) before the checker, the warps or the zombies game move him.
//
// On the tick: the jackpot, the rabbit's clock, the zombies round, the
// autosave, then the warp files are looked at again, so what they tell the
// console comes after the second's game lines.
void registerServices(BotSpawn& spawn) {
    const ServiceSlot own{&moduleTable, &spawn.own};
    const ServiceSlot flagGame{&flagGameTable, &spawn.flagWatch};
    const ServiceSlot rabbit{&rabbitTable, &spawn.rabbitGame};
    const ServiceSlot shipCheck{&shipCheckTable, &spawn.shipChecker};
    const ServiceSlot warps{&warpsTable, &spawn.autoWarper};
    const ServiceSlot zombies{&zombiesTable, &spawn.zombieGame};
    const ServiceSlot gold{&goldTable, &spawn.gold};
    const ServiceSlot inPlay[] = {own, flagGame, rabbit, shipCheck, warps, zombies, gold};
    const ServiceSlot goldFirst[] = {own, gold, flagGame, rabbit, shipCheck, warps, zombies};
    const ServiceSlot tickOrder[] = {own, flagGame, rabbit, shipCheck, zombies, gold, warps};
    std::ranges::copy(inPlay, spawn.services.begin());
    spawn.routes = {
        .started = Route<&EventSteps::started>(goldFirst),
        .stopping = Route<&EventSteps::stopping>(goldFirst),
        .stopped = Route<&EventSteps::stopped>(goldFirst),
        .arenaJoined = Route<&EventSteps::arenaJoined>(inPlay),
        .arenaLeft = Route<&EventSteps::arenaLeft>(inPlay),
        .playerEntering = Route<&EventSteps::playerEntering>(goldFirst),
        .playerMoved = Route<&EventSteps::playerMoved>(inPlay),
        .playerKilled = Route<&EventSteps::playerKilled>(inPlay),
        .playerShipChanged = Route<&EventSteps::playerShipChanged>(inPlay),
        .playerSpectating = Route<&EventSteps::playerSpectating>(inPlay),
        .playerTeamChanged = Route<&EventSteps::playerTeamChanged>(inPlay),
        .playerLeaving = Route<&EventSteps::playerLeaving>(inPlay),
        .arenaMessage = Route<&EventSteps::arenaMessage>(inPlay),
        .flagGameWon = Route<&EventSteps::flagGameWon>(inPlay),
        .prizeRefresh = Route<&EventSteps::prizeRefresh>(inPlay),
        .goalScored = Route<&EventSteps::goalScored>(inPlay),
        .tick = Route<&EventSteps::tick>(tickOrder),
    };
}

} // namespace quorvel
