// Everything the module knows about one bot of the host: the link to the
// host, the player tags, the frame's timers and one state record per
// service.
#pragma once

#include <quorvel/host_abi.h>

#include "base/bot/bot.h"
#include "flaggame/flag_watch.h"
#include "gold/economy_store.h"
#include "gold/repeat_kills.h"
#include "module/command_budget.h"
#include "module/plugin_settings.h"
#include "rabbit/rabbit_game.h"
#include "shipcheck/ship_checker.h"
#include "warps/auto_warper.h"
#include "zombies/zombie_game.h"

#include <cstdint>

namespace quorvel {

struct BotSpawn : Bot {
    explicit BotSpawn(Word botHandle) : Bot(botHandle) {}

    bool stopped = false;  // a refused handshake: every later event is ignored
    bool accepted = false; // a handshake was accepted: the files were read
    CommandBudget commandBudget;

    // Autosave of gold.dat and inv.dat, in ticks of one second.
    std::int32_t autosaveCountdown = 0;
    std::int32_t autosaveInterval = 0;

    // The store and every gold feature: on only while the bot has a seat at
    // its folder's economy.
    bool storeOn = false;
    EconomySeat economy;
    RepeatKills repeatKills; // kills paid lately, for [Gold] RepeatKillWindow

    FlagWatch flagWatch;
    RabbitGame rabbitGame;
    ZombieGame zombieGame;
    ShipChecker shipChecker;
    AutoWarper autoWarper;
    PluginSettings settings;
};

} // namespace quorvel
