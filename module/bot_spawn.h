// Everything the module knows about one bot of the host: the bot itself
// (the host link every service talks through), the module's own switches,
// and the state of every service, each made with the bot and the services
// it calls on.
#pragma once

#include <quorvel/host_abi.h>

#include "base/bot/bot.h"
#include "base/service/service.h"
#include "flaggame/flag_game.h"
#include "flaggame/flag_watch.h"
#include "gold/gold_service.h"
#include "module/command_budget.h"
#include "module/plugin_settings.h"
#include "rabbit/rabbit.h"
#include "rabbit/rabbit_game.h"
#include "shipcheck/ship_checker.h"
#include "warps/auto_warper.h"
#include "zombies/zombie_game.h"
#include "zombies/zombies.h"

#include <type_traits>

// Every service of a bot, one line each:
//     SERVICE(its member of BotSpawn, its table, the services it calls on)
// The member's type is the state the table is made for, made with the bot
// and the services named (gold also with the open economies). The order of
// the lines is the order in which the services take an event in play and
// list their commands and "!help" lines; the other orders are made from it
// (service_registry.h).
#define QUORVEL_SERVICES(SERVICE)                                                                  \
    SERVICE(own, moduleTable)                                                                      \
    SERVICE(flagWatch, flagGameTable, gold)                                                        \
    SERVICE(rabbitGame, rabbitTable)                                                               \
    SERVICE(shipChecker, shipCheckTable, zombieGame)                                               \
    SERVICE(autoWarper, warpsTable)                                                                \
    SERVICE(zombieGame, zombiesTable)                                                              \
    SERVICE(gold, goldTable, economies)

namespace quorvel {

// The state a table is made for.
template <class Table> using StateOf = typename std::remove_cvref_t<Table>::StateType;

struct BotSpawn : Bot {
    // Reaches the operating system through `system`; its economy is the one
    // its host process has open in its folder (`openEconomies`), or one it
    // opens there.
    BotSpawn(Word botHandle, platform::Platform& system, EconomyFolders& openEconomies);

    EconomyFolders& economies; // the host process's open economies, by folder

    bool stopped = false;  // a refused handshake: every later event is ignored
    bool accepted = false; // a handshake was accepted: the files were read
    CommandBudget commandBudget;

    // A service made before one it calls on keeps a reference to it, and
    // does not use it while it is made.
#define QUORVEL_SERVICE_STATE(member, table, ...)                                                  \
    StateOf<decltype(table)> member{*this __VA_OPT__(, ) __VA_ARGS__};
    QUORVEL_SERVICES(QUORVEL_SERVICE_STATE)
#undef QUORVEL_SERVICE_STATE
};

} // namespace quorvel
