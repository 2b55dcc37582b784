// The gold economy as the module runs it: its commands with their help
// lines, and what it does on each event. Everything but the handshake,
// Terminate and the tick happens only while the store is on.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "gold/admin_commands.h"
#include "gold/awards.h"
#include "gold/database_economy.h"
#include "gold/database_settings.h"
#include "gold/file_economy.h"
#include "gold/gold_service.h"
#include "gold/store_commands.h"

namespace quorvel {
namespace {

constexpr const char* autosaveText = "AutoSave...";
// Seconds between two tries at a folder lock another process holds.
constexpr std::int32_t lockRetrySeconds = 60;

EconomyBackend::Console consoleOf(GoldService& gold) {
    return [&gold](std::string_view text) { sendConsole(gold.bot, text); };
}

// A save nobody asked for by command: a failure is told on the console.
void saveAndTell(GoldService& gold, platform::Status (EconomyBackend::*save)(),
                 std::string_view fileName) {
    const platform::Status saved = ((*gold.economy).*save)();
    if (!saved.ok()) {
        sendConsole(gold.bot, notSavedText(fileName, saved));
    }
}

// The economy quorvel.ini's [Database] section names, read at every
// handshake and told on the console; a section that keeps the store closed
// says why. True when the bot may open an economy.
bool readEconomyKind(GoldService& gold) {
    DatabaseSettingsRead read = readDatabaseSettings(*gold.bot.os, gold.bot.os->currentDirectory());
    for (const std::string& finding : read.findings) {
        sendConsole(gold.bot, finding);
    }
    gold.database = std::move(read.settings);
    if (read.storeClosedBecause) {
        sendConsole(gold.bot, "The store stays closed: " + *read.storeClosedBecause + ".");
        return false;
    }
    return true;
}

// The first bot of the folder opens its economy (gold.dat, inv.dat and
// what gold.log adds, or the database's, as quorvel.ini says); every later
// one joins what is open. A bot that shakes hands again keeps its seat: what
// is in play is newer than the files. A bot locked out before, or seated at
// a store that lost the folder's lock, tries for it again.
void started(GoldService& gold) {
    gold.storeWanted = gold.settings.inventory == 1; // as quorvel.ini set it just now
    const bool mayOpen = readEconomyKind(gold);
    if (gold.economy || gold.lockedOut) {
        retryEconomyLock(gold, true);
    } else if (!mayOpen) {
        gold.lockedOut = false;
    } else if (gold.database.economy == EconomyKind::database) {
        gold.lockedOut = !openDatabaseEconomy(gold.economy, gold.bot.handle, *gold.bot.os,
                                              gold.folders, consoleOf(gold), gold.database);
    } else {
        gold.lockedOut = !openFileEconomy(gold.economy, gold.bot.handle, *gold.bot.os, gold.folders,
                                          consoleOf(gold));
        if (gold.economy) {
            retryEconomyLock(gold, true); // joined a store that lost its lock
        }
    }
    gold.storeOn = gold.storeWanted && gold.economy;
    gold.autosaveCountdown = gold.settings.autoSave;
    gold.lockRetryCountdown = lockRetrySeconds;
}

void stopping(GoldService& gold) {
    if (gold.economy) {
        EconomyBackend::Cause saving(*gold.economy, gold.bot.handle, "terminate", "-");
        saveAndTell(gold, &EconomyBackend::saveInventory, FileEconomy::inventoryName);
        saveAndTell(gold, &EconomyBackend::saveGold, FileEconomy::goldName);
    }
}

// Once every service has saved: the bot leaves the folder's economy. The
// last bot to leave closes it (and frees the folder's lock), so a new
// handshake reads the files again, which hold everything by now.
void stopped(GoldService& gold) {
    gold.economy.leave();
    gold.storeOn = false;
    gold.lockedOut = false;
}

// gold.dat and inv.dat, saved by this bot: the shared accounts and records,
// so no other bot's change is written over. The countdown starts again
// whether or not the store is on, so autosaving goes on once it is switched
// back on.
void tick(GoldService& gold) {
    if (--gold.autosaveCountdown == 0) {
        if (gold.storeOn) {
            sendConsole(gold.bot, autosaveText);
            EconomyBackend::Cause saving(*gold.economy, gold.bot.handle, "autosave", "-");
            saveAndTell(gold, &EconomyBackend::saveGold, FileEconomy::goldName);
            saveAndTell(gold, &EconomyBackend::saveInventory, FileEconomy::inventoryName);
        }
        gold.autosaveCountdown = gold.settings.autoSave;
    }
    if (gold.economy) {
        std::vector<std::string> present;
        for (const PlayerRecord& player : playersOf(gold.bot)) {
            present.push_back(playerName(player));
        }
        gold.economy.playersPresent(std::move(present));
        gold.economy->sync();
    }
    if (--gold.lockRetryCountdown <= 0) {
        gold.lockRetryCountdown = lockRetrySeconds;
        if (gold.economy || gold.lockedOut) {
            retryEconomyLock(gold, false);
        }
    }
}

void arenaJoined(GoldService& gold) {
    if (gold.storeOn) {
        for (const PlayerRecord& player : playersOf(gold.bot)) {
            greetPlayer(gold, player);
        }
    }
}

void entering(GoldService& gold, const PlayerRecord& player) {
    if (gold.storeOn) {
        greetPlayer(gold, player);
    }
}

void killed(GoldService& gold, const PlayerRecord& killedPlayer, const PlayerRecord& killer) {
    if (gold.storeOn) {
        awardKill(gold, killedPlayer, killer);
    }
}

void goal(GoldService& gold, Word team) {
    if (gold.storeOn) {
        awardGoal(gold, team);
    }
}

// The help lines keep the spelling players have always seen ("Ammount",
// "avalible for purchas and there cost ect", "Invintory"): deliberate, not
// slips to correct.
constexpr Command<GoldService> commands[] = {
    {"resetgold", SOp, commandResetgold, {"!resetgold (WARNING: Deletes Gold Database.)"}},
    {"resetinv", SOp, commandResetinv, {"!resetinv (WARNING: Deletes Inventory Database.)"}},
    {"givegold",
     Mod,
     commandGivegold,
     {"!givegold", "Syntax: Player:Ammount", "Gives Gold to specified player's account."}},
    {"takegold",
     Mod,
     commandTakegold,
     {"!takegold", "Syntax: Player:Ammount", "Takes Gold from specified player's account."}},
    {"goldsave", Mod, commandGoldsave, {"!goldsave (Saves Gold Database manually.)"}},
    {"goldload", Mod, commandGoldload, {"!goldload (Loads Gold Database manually.)"}},
    {"playergold",
     Mod,
     commandPlayergold,
     {"!playergold", "Syntax: Player", "See player's Gold account."}},
    {"invsave", Mod, commandInvsave, {"!invsave (Saves Inventory Database manually.)"}},
    {"invload",
     Mod,
     commandInvload,
     {"!invload (Loads Inventory Database manually, be sure to use this before people start "
      "entering... fix planned in future.)"}},
    {"ion",
     Mod,
     commandIon,
     {"!ion (Starts using Store/Inventory functions, be sure to use this before people start "
      "entering the arena... will fix in future.)"}},
    {"ioff", Mod, commandIoff, {"!ioff (Stops using Store/Inventory functions.)"}},
    {"gratio", Player, commandGratio, {"!gratio (Displays how Gold is earned.)"}},
    {"gold", Player, commandGold, {"!gold (Displays your Gold account.)"}},
    {"lendgold",
     Player,
     commandLendgold,
     {"!lendgold Player:Ammount (Gives specified amount of Gold to specified player.)"}},
    {"buy",
     Player,
     commandBuy,
     {"!buy (display list of all items avalible for purchas and there cost ect...)",
      "!buy use item (buy item in list for instant use.)",
      "!buy inv item (buy item in list to put in Inventory for later use)"}},
    {"inv", Player, commandInv, {"!inv item (use item in your Inventory.)"}},
    {"show",
     Player,
     commandShow,
     {"!show (shows private messages for gold given when you kill someone on another team."}},
    {"hide",
     Player,
     commandHide,
     {"!hide (stops showing private messages for gold given when you kill someone on another "
      "team."}},
};

template <auto Number>
constexpr SettingKey<GoldService> key(std::string_view section, std::string_view name,
                                      SettingLimit limit = SettingLimit::anyNumber,
                                      void (*changed)(GoldService&) = nullptr) {
    return settingKey<GoldService, &GoldService::settings, Number>(section, name, limit, changed);
}

// An edit of Inventory while the bot runs does what !ion or !ioff would,
// without their answers: 1 asks for the store (and for the folder's lock
// when the bot has none), anything else switches it off. Balances,
// inventories and the economy's seat stay as they are.
void inventoryEdited(GoldService& gold) {
    gold.storeWanted = gold.settings.inventory == 1;
    if (!gold.storeWanted) {
        gold.storeOn = false;
        return;
    }
    retryEconomyLock(gold, true);
    if (gold.economy) {
        gold.storeOn = true;
    }
}

// The next autosave comes a whole new interval after the edit; a countdown
// left running from "none" (0 or less) would never reach its save.
void autoSaveEdited(GoldService& gold) {
    gold.autosaveCountdown = gold.settings.autoSave;
}

constexpr SettingLimit price = SettingLimit::notNegative;

constexpr SettingKey<GoldService> settings[] = {
    key<&GoldSettings::inventory>("Settings", "Inventory", SettingLimit::anyNumber,
                                  inventoryEdited),
    key<&GoldSettings::autoSave>("Settings", "AutoSave", SettingLimit::anyNumber, autoSaveEdited),
    key<&GoldSettings::flagVictory>("Gold", "FlagVictory"),
    key<&GoldSettings::soccerGoal>("Gold", "SoccerGoal"),
    key<&GoldSettings::kill>("Gold", "Kill"),
    key<&GoldSettings::teamKill>("Gold", "TeamKill"),
    key<&GoldSettings::antiInCenter>("Gold", "AntiInCenter"),
    key<&GoldSettings::repeatKillWindow>("Gold", "RepeatKillWindow"),
    key<&GoldSettings::flags>("Store", "Flags", price),
    key<&GoldSettings::arena>("Store", "Arena", price),
    key<&GoldSettings::points>("Store", "Points", price),
    key<&GoldSettings::bounty>("Store", "Bounty", price),
    key<&GoldSettings::multiFire>("Store", "MultiFire", price),
    key<&GoldSettings::super>("Store", "Super", price),
    key<&GoldSettings::shield>("Store", "Shield", price),
    key<&GoldSettings::multiPrize>("Store", "MultiPrize", price),
    key<&GoldSettings::thor>("Store", "Thor", price),
    key<&GoldSettings::portal>("Store", "Portal", price),
    key<&GoldSettings::gunUpgrade>("Store", "GunUpgrade", price),
    key<&GoldSettings::bombUpgrade>("Store", "BombUpgrade", price),
    key<&GoldSettings::scoreReset>("Store", "ScoreReset", price),
};

} // namespace

void retryEconomyLock(GoldService& gold, bool tellRefusal) {
    const bool seated = static_cast<bool>(gold.economy);
    if (gold.database.economy == EconomyKind::database) {
        if (!seated) {
            openDatabaseEconomy(gold.economy, gold.bot.handle, *gold.bot.os, gold.folders,
                                consoleOf(gold), gold.database, tellRefusal);
        }
    } else {
        retryFolderLock(gold.economy, gold.bot.handle, *gold.bot.os, gold.folders, consoleOf(gold),
                        tellRefusal);
    }
    if (!seated && gold.economy) {
        gold.lockedOut = false;
        gold.storeOn = gold.storeWanted;
    }
}

void endCause(GoldService& gold, EconomyBackend::Cause& cause) {
    if (const platform::Status recorded = cause.end(); !recorded.ok()) {
        sendConsole(gold.bot, recordNotWrittenText(recorded));
    }
}

const ServiceTable<GoldService> goldTable = {
    .name = "gold",
    .commands = commands,
    // The staff topic list leaves out !ion and !ioff, as it always has.
    .help =
        {
            .player = "Gold Store/Invintory commands: !gold !lendgold !buy !inv !show !hide",
            .staff = "Ext: Gold Store/Invintory commands: !givegold !takegold !playergold "
                     "!goldload !goldsave !invload !invsave !ion !ioff",
            .staffTopic = "Ext: Gold Store/Invintory commands: !givegold !takegold !playergold "
                          "!goldload !goldsave !invload !invsave",
            .sop = "Ext: Gold Store/Invintory commands: !resetgold !resetinv",
        },
    .steps =
        {
            .started = started,
            .stopping = stopping,
            .stopped = stopped,
            .arenaJoined = arenaJoined,
            .playerEntering = entering,
            .playerKilled = killed,
            .goalScored = goal,
            .tick = tick,
        },
    .settings = settings,
};

} // namespace quorvel
