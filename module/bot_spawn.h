// Everything the module knows about one bot of the host: the link to the
// host, the player tags, the frame's timers and one state record per
// service.
#pragma once

#include <quorvel/host_abi.h>

#include "flaggame/flag_watch.h"
#include "module/command_budget.h"
#include "base/messages/senders.h"
#include "module/plugin_settings.h"
#include "base/players/player_tags.h"
#include "base/bot/spawn_random.h"
#include "gold/economy_store.h"
#include "gold/repeat_kills.h"
#include "rabbit/rabbit_game.h"
#include "shipcheck/ship_checker.h"
#include "warps/auto_warper.h"
#include "zombies/zombie_game.h"

#include <cstdint>
#include <deque>
#include <string>

namespace quorvel {

struct BotSpawn {
    explicit BotSpawn(Word botHandle);
    BotSpawn(const BotSpawn&) = delete;
    BotSpawn& operator=(const BotSpawn&) = delete;

    // The host link.
    bool stopped = false;  // a refused handshake: every later event is ignored
    bool accepted = false; // a handshake was accepted: the files were read
    Word handle = 0;
    HostCallback hostCallback = nullptr;
    const HostList* players = nullptr;
    const HostList* flags = nullptr;
    const PlayerRecord* me = nullptr; // the bot's own player while in an arena

    PlayerTags playerTags;
    SpawnRandom random;
    // The texts of the bot's own latest "*arena" lines: the zone shows them
    // to the bot too, and they are never the zone's answer to anything.
    std::deque<std::string> ownArenaTexts;
    OutgoingLines outgoing; // chat lines waiting for [Settings] LinesPerSecond
    // Seconds since the spawn was made, counted by the tick.
    std::int64_t secondsRun = 0;
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
