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
#include "module/plugin_settings.h"
#include "rabbit/rabbit_game.h"
#include "shipcheck/ship_checker.h"
#include "warps/auto_warper.h"
#include "zombies/zombie_game.h"

#include <array>

namespace quorvel {

// A service's table and its state in one spawn.
struct ServiceSlot {
    const ServiceTable* table;
    Service* state;
};

struct BotSpawn : Bot {
    explicit BotSpawn(Word botHandle);

    bool stopped = false;  // a refused handshake: every later event is ignored
    bool accepted = false; // a handshake was accepted: the files were read
    PluginSettings settings;
    CommandBudget commandBudget;

    Service own{*this}; // the module's own commands: !about and !version
    GoldService gold{*this};
    FlagWatch flagWatch{*this, gold};
    RabbitGame rabbitGame{*this};
    ZombieGame zombieGame{*this};
    ShipChecker shipChecker{*this, zombieGame};
    AutoWarper autoWarper{*this};

    // Every service in the orders it takes events in (service_registry.cpp
    // says why): in play, which is also the order of the "!help" lines; at
    // the handshake, at Terminate and for an entering player; on the tick.
    std::array<ServiceSlot, 7> services;
    std::array<ServiceSlot, 7> goldFirst;
    std::array<ServiceSlot, 7> tickOrder;
};

} // namespace quorvel
