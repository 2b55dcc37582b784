// Staff commands over the whole store: saving and reloading gold.dat and
// inv.dat, switching the store on and off, and wiping either database.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "gold/admin_commands.h"
#include "gold/economy_backend.h"
#include "gold/file_economy.h"
#include "gold/gold_service.h"

namespace quorvel {
namespace {

constexpr std::string_view goldSavedText = "Gold accounts saved for backup purposes.";
constexpr std::string_view goldNotSavedText = "Gold accounts could not be saved: ";
constexpr std::string_view previousKeptText = ". The previous backup is unchanged.";
constexpr std::string_view goldLoadedText = "Gold accounts loaded from saved backup.";
constexpr std::string_view goldNotLoadedText = "Gold accounts could not be loaded: ";
constexpr std::string_view heldUnchangedText = ". The accounts in play are unchanged.";
constexpr std::string_view inventorySavedText = "Inventory Database saved for backup purposes.";
constexpr std::string_view inventoryNotSavedText = "Inventory Database could not be saved: ";
constexpr std::string_view inventoryLoadedText = "Inventory Database loaded from saved backup.";
constexpr std::string_view inventoryNotLoadedText = "Inventory Database could not be loaded: ";
constexpr std::string_view recordsUnchangedText = ". The records in play are unchanged.";
constexpr std::string_view storeAlreadyOnText = "Store/Inventory functions already activated.";
constexpr std::string_view storeOnText = "Store/Inventory functions enabled.";
constexpr std::string_view storeAlreadyOffText = "Store/Inventory functions already deactivated.";
constexpr std::string_view storeOffText = "Store/Inventory functions disabled.";
constexpr std::string_view noFilesText =
    "The store stays off: this bot has no gold files open (its console says why).";
constexpr std::string_view goldResetText = "You have just reset the entire Gold Database";
constexpr std::string_view inventoryResetText = "You have just reset the entire Inventory Database";

// A save that failed is never reported as done: the bot's console and the
// staff member hear why.
void replyToSave(GoldService& gold, const PlayerRecord& sender, const platform::Status& result,
                 std::string_view fileName, std::string_view savedText,
                 std::string_view failedText) {
    if (result.ok()) {
        sendPrivate(gold.bot, sender, savedText);
    } else {
        sendConsole(gold.bot, notSavedText(fileName, result));
        sendPrivate(gold.bot, sender,
                    std::string(failedText) + result.reason() + std::string(previousKeptText));
    }
}

// What the reload found wrong with the file goes to this bot's console; a
// reload done is told on every bot's console.
bool tellReload(GoldService& gold, const PlayerRecord& sender, const LoadResult& loaded,
                std::string_view done) {
    sendConsoleLines(gold.bot, loaded.findings);
    if (loaded.status.ok()) {
        gold.economy->tellEveryBot(wholeTableDoneText(done, playerName(sender), gold.bot.handle));
    }
    return loaded.status.ok();
}

} // namespace

void commandGoldsave(GoldService& gold, const PlayerRecord& sender, std::string_view) {
    if (!gold.storeOn) {
        return;
    }
    EconomyBackend::Cause saving(*gold.economy, gold.bot.handle, "goldsave", playerName(sender));
    replyToSave(gold, sender, gold.economy->saveGold(), FileEconomy::goldName, goldSavedText,
                goldNotSavedText);
}

void commandGoldload(GoldService& gold, const PlayerRecord& sender, std::string_view) {
    if (!gold.storeOn) {
        return;
    }
    // A gold.dat that cannot be read leaves the accounts in play as they are.
    EconomyBackend::Cause reloading(*gold.economy, gold.bot.handle, "goldload", playerName(sender));
    const LoadResult loaded = gold.economy->reloadGold();
    if (!tellReload(gold, sender, loaded, goldReloadedDone)) {
        sendPrivate(gold.bot, sender,
                    std::string(goldNotLoadedText) + loaded.status.reason() +
                        std::string(heldUnchangedText));
        return;
    }
    sendPrivate(gold.bot, sender, goldLoadedText);
    endCause(gold, reloading);
}

void commandInvsave(GoldService& gold, const PlayerRecord& sender, std::string_view) {
    if (!gold.storeOn) {
        return;
    }
    EconomyBackend::Cause saving(*gold.economy, gold.bot.handle, "invsave", playerName(sender));
    replyToSave(gold, sender, gold.economy->saveInventory(), FileEconomy::inventoryName,
                inventorySavedText, inventoryNotSavedText);
}

void commandInvload(GoldService& gold, const PlayerRecord& sender, std::string_view) {
    if (!gold.storeOn) {
        return;
    }
    // Players in the arena keep the counts in their tags; later entries see
    // the reloaded records.
    EconomyBackend::Cause reloading(*gold.economy, gold.bot.handle, "invload", playerName(sender));
    const LoadResult loaded = gold.economy->reloadInventory();
    if (!tellReload(gold, sender, loaded, inventoryReloadedDone)) {
        sendPrivate(gold.bot, sender,
                    std::string(inventoryNotLoadedText) + loaded.status.reason() +
                        std::string(recordsUnchangedText));
        return;
    }
    sendPrivate(gold.bot, sender, inventoryLoadedText);
    endCause(gold, reloading);
}

// A bot locked out of its folder's economy, or whose economy lost the
// folder's lock, tries for it again first.
void commandIon(GoldService& gold, const PlayerRecord& sender, std::string_view) {
    const bool wasOn = gold.storeOn;
    gold.storeWanted = true;
    retryEconomyLock(gold, true);
    if (wasOn) {
        sendPrivate(gold.bot, sender, storeAlreadyOnText);
        return;
    }
    if (!gold.economy) {
        sendPrivate(gold.bot, sender, noFilesText);
        return;
    }
    gold.storeOn = true;
    sendPrivate(gold.bot, sender, storeOnText);
}

void commandIoff(GoldService& gold, const PlayerRecord& sender, std::string_view) {
    gold.storeWanted = false;
    if (!gold.storeOn) {
        sendPrivate(gold.bot, sender, storeAlreadyOffText);
        return;
    }
    gold.storeOn = false;
    sendPrivate(gold.bot, sender, storeOffText);
}

void commandResetgold(GoldService& gold, const PlayerRecord& sender, std::string_view) {
    if (!gold.economy) {
        sendPrivate(gold.bot, sender, noFilesText);
        return;
    }
    EconomyBackend::Cause resetting(*gold.economy, gold.bot.handle, "resetgold",
                                    playerName(sender));
    gold.economy->resetGold();
    gold.economy->tellEveryBot(
        wholeTableDoneText(goldResetDone, playerName(sender), gold.bot.handle));
    sendPrivate(gold.bot, sender, goldResetText);
    endCause(gold, resetting);
}

void commandResetinv(GoldService& gold, const PlayerRecord& sender, std::string_view) {
    if (!gold.economy) {
        sendPrivate(gold.bot, sender, noFilesText);
        return;
    }
    EconomyBackend::Cause resetting(*gold.economy, gold.bot.handle, "resetinv", playerName(sender));
    gold.economy->resetInventory();
    gold.economy->tellEveryBot(
        wholeTableDoneText(inventoryResetDone, playerName(sender), gold.bot.handle));
    sendPrivate(gold.bot, sender, inventoryResetText);
    endCause(gold, resetting);
}

} // namespace quorvel
