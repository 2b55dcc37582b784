// The gold economy as the module runs it: its commands with their help
// lines, and what it does on each event. Everything but the handshake,
// Terminate and the tick happens only while the store is on.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "gold/admin_commands.h"
#include "gold/awards.h"
#include "gold/file_economy.h"
#include "gold/gold_service.h"
#include "gold/store_commands.h"

namespace quorvel {
namespace {

constexpr const char* autosaveText = "AutoSave...";
// Seconds between two tries at a folder lock another process holds.
constexpr std::int32_t lockRetrySeconds = 60;

EconomyStore::Console consoleOf(GoldService& gold) {
    return [&gold](std::string_view text) { sendConsole(gold.bot, text); };
}

// A save nobody asked for by command: a failure is told on the console.
void saveAndTell(GoldService& gold, platform::Status (EconomyStore::*save)(),
                 std::string_view fileName) {
    const platform::Status saved = ((*gold.economy).*save)();
    if (!saved.ok()) {
        sendConsole(gold.bot, notSavedText(fileName, saved));
    }
}

// The first bot of the folder opens its economy (gold.dat, inv.dat and
// what gold.log adds); every later one joins what is loaded. A bot that
// shakes hands again keeps its seat: what is in play is newer than the
// files. A bot locked out before, or seated at a store that lost the
// folder's lock, tries for it again.
void started(GoldService& gold) {
    gold.storeWanted = gold.storeOn; // as quorvel.ini set it just now
    if (gold.economy || gold.lockedOut) {
        retryEconomyLock(gold, true);
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
        EconomyStore::Cause saving(*gold.economy, gold.bot.handle, "terminate", "-");
        saveAndTell(gold, &EconomyStore::saveInventory, FileEconomy::inventoryName);
        saveAndTell(gold, &EconomyStore::saveGold, FileEconomy::goldName);
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
            EconomyStore::Cause saving(*gold.economy, gold.bot.handle, "autosave", "-");
            saveAndTell(gold, &EconomyStore::saveGold, FileEconomy::goldName);
            saveAndTell(gold, &EconomyStore::saveInventory, FileEconomy::inventoryName);
        }
        gold.autosaveCountdown = gold.settings.autoSave;
    }
    if (gold.economy) {
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
constexpr Command commands[] = {
    {"resetgold", SOp, step<commandResetgold>, {"!resetgold (WARNING: Deletes Gold Database.)"}},
    {"resetinv", SOp, step<commandResetinv>, {"!resetinv (WARNING: Deletes Inventory Database.)"}},
    {"givegold",
     Mod,
     step<commandGivegold>,
     {"!givegold", "Syntax: Player:Ammount", "Gives Gold to specified player's account."}},
    {"takegold",
     Mod,
     step<commandTakegold>,
     {"!takegold", "Syntax: Player:Ammount", "Takes Gold from specified player's account."}},
    {"goldsave", Mod, step<commandGoldsave>, {"!goldsave (Saves Gold Database manually.)"}},
    {"goldload", Mod, step<commandGoldload>, {"!goldload (Loads Gold Database manually.)"}},
    {"playergold",
     Mod,
     step<commandPlayergold>,
     {"!playergold", "Syntax: Player", "See player's Gold account."}},
    {"invsave", Mod, step<commandInvsave>, {"!invsave (Saves Inventory Database manually.)"}},
    {"invload",
     Mod,
     step<commandInvload>,
     {"!invload (Loads Inventory Database manually, be sure to use this before people start "
      "entering... fix planned in future.)"}},
    {"ion",
     Mod,
     step<commandIon>,
     {"!ion (Starts using Store/Inventory functions, be sure to use this before people start "
      "entering the arena... will fix in future.)"}},
    {"ioff", Mod, step<commandIoff>, {"!ioff (Stops using Store/Inventory functions.)"}},
    {"gratio", Player, step<commandGratio>},
    {"gold", Player, step<commandGold>, {"!gold (Displays your Gold account.)"}},
    {"lendgold",
     Player,
     step<commandLendgold>,
     {"!lendgold Player:Ammount (Gives specified amount of Gold to specified player.)"}},
    {"buy",
     Player,
     step<commandBuy>,
     {"!buy (display list of all items avalible for purchas and there cost ect...)",
      "!buy use item (buy item in list for instant use.)",
      "!buy inv item (buy item in list to put in Inventory for later use)"}},
    {"inv", Player, step<commandInv>, {"!inv item (use item in your Inventory.)"}},
    {"show",
     Player,
     step<commandShow>,
     {"!show (shows private messages for gold given when you kill someone on another team."}},
    {"hide",
     Player,
     step<commandHide>,
     {"!hide (stops showing private messages for gold given when you kill someone on another "
      "team."}},
};

} // namespace

void retryEconomyLock(GoldService& gold, bool tellRefusal) {
    const bool seated = static_cast<bool>(gold.economy);
    retryFolderLock(gold.economy, gold.bot.handle, *gold.bot.os, gold.folders, consoleOf(gold),
                    tellRefusal);
    if (!seated && gold.economy) {
        gold.lockedOut = false;
        gold.storeOn = gold.storeWanted;
    }
}

const ServiceTable goldTable = {
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
            .started = step<started>,
            .stopping = step<stopping>,
            .stopped = step<stopped>,
            .arenaJoined = step<arenaJoined>,
            .playerEntering = step<entering>,
            .playerKilled = step<killed>,
            .goalScored = step<goal>,
            .tick = step<tick>,
        },
};

} // namespace quorvel
