// Everything the module knows about one bot of the host: the bot itself
// (the host link every service talks through), the module's own switches,
// and the state of every service, each made with the bot and the services
// it calls on.
#pragma once

#include <quorvel/host_abi.h>

#include "base/bot/bot.h"
#include "base/service/service.h"
#include "flaggame/flag_watch.h"
#include "gold/gold_service.h"
#include "module/command_budget.h"
#include "module/event_routes.h"
#include "module/plugin_settings.h"
#include "rabbit/rabbit_game.h"
#include "shipcheck/ship_checker.h"
#include "warps/auto_warper.h"
#include "zombies/zombie_game.h"

#include <array>

namespace quorvel {

struct BotSpawn : Bot {
    // Reaches the operating system through `system`; its economy is the one
    // its host process has open in its folder (`openEconomies`), or one it
    // opens there.
    BotSpawn(Word botHandle, platform::Platform& system, EconomyFolders& openEconomies);

    bool stopped = false;  // a refused handshake: every later event is ignored
    bool accepted = false; // a handshake was accepted: the files were read
    PluginSettings settings;
    CommandBudget commandBudget;

    Service own{*this}; // the module's own commands: !about and !version
    GoldService gold;   // made with the host process's open economies
    FlagWatch flagWatch{*this, gold};
    RabbitGame rabbitGame{*this};
    ZombieGame zombieGame{*this};
    ShipChecker shipChecker{*this, zombieGame};
    AutoWarper autoWarper{*this};

    // Every service, in the order of their commands and "!help" lines, and
    // the route of each event through them (service_registry.cpp).
    std::array<ServiceSlot, serviceCount> services;
    EventRoutes routes;
};

} // namespace quorvel
