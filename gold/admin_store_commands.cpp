// Staff commands over the whole store: saving and reloading gold.dat and
// inv.dat, switching the store on and off, and wiping either database.
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "gold/admin_commands.h"
#include "gold/economy_store.h"
#include "module/bot_spawn.h"

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

// A save that failed is never reported as done: the staff member hears why.
void replyToSave(BotSpawn& spawn, const PlayerRecord& sender, const platform::Status& result,
                 std::string_view savedText, std::string_view notSavedText) {
    if (result.ok()) {
        sendPrivate(spawn, sender, savedText);
    } else {
        sendPrivate(spawn, sender,
                    std::string(notSavedText) + result.reason() + std::string(previousKeptText));
    }
}

} // namespace

void commandGoldsave(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    if (!spawn.storeOn) {
        return;
    }
    EconomyStore::Cause saving(*spawn.economy, spawn.handle, "goldsave", playerName(sender));
    replyToSave(spawn, sender, spawn.economy->saveGold(), goldSavedText, goldNotSavedText);
}

void commandGoldload(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    if (!spawn.storeOn) {
        return;
    }
    // A gold.dat that cannot be read leaves the accounts in play as they are.
    EconomyStore::Cause reloading(*spawn.economy, spawn.handle, "goldload", playerName(sender));
    platform::Status loaded = spawn.economy->reloadGold();
    if (!loaded.ok()) {
        sendPrivate(spawn, sender,
                    std::string(goldNotLoadedText) + loaded.reason() +
                        std::string(heldUnchangedText));
        return;
    }
    sendPrivate(spawn, sender, goldLoadedText);
}

void commandInvsave(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    if (!spawn.storeOn) {
        return;
    }
    EconomyStore::Cause saving(*spawn.economy, spawn.handle, "invsave", playerName(sender));
    replyToSave(spawn, sender, spawn.economy->saveInventory(), inventorySavedText,
                inventoryNotSavedText);
}

void commandInvload(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    if (!spawn.storeOn) {
        return;
    }
    // Players in the arena keep the counts in their tags; later entries see
    // the reloaded records.
    EconomyStore::Cause reloading(*spawn.economy, spawn.handle, "invload", playerName(sender));
    platform::Status loaded = spawn.economy->reloadInventory();
    if (!loaded.ok()) {
        sendPrivate(spawn, sender,
                    std::string(inventoryNotLoadedText) + loaded.reason() +
                        std::string(recordsUnchangedText));
        return;
    }
    sendPrivate(spawn, sender, inventoryLoadedText);
}

void commandIon(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    if (spawn.storeOn) {
        sendPrivate(spawn, sender, storeAlreadyOnText);
        return;
    }
    if (!spawn.economy) {
        sendPrivate(spawn, sender, noFilesText);
        return;
    }
    spawn.storeOn = true;
    sendPrivate(spawn, sender, storeOnText);
}

void commandIoff(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    if (!spawn.storeOn) {
        sendPrivate(spawn, sender, storeAlreadyOffText);
        return;
    }
    spawn.storeOn = false;
    sendPrivate(spawn, sender, storeOffText);
}

void commandResetgold(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    if (!spawn.economy) {
        sendPrivate(spawn, sender, noFilesText);
        return;
    }
    EconomyStore::Cause resetting(*spawn.economy, spawn.handle, "resetgold", playerName(sender));
    spawn.economy->resetGold();
    sendPrivate(spawn, sender, goldResetText);
}

void commandResetinv(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    if (!spawn.economy) {
        sendPrivate(spawn, sender, noFilesText);
        return;
    }
    EconomyStore::Cause resetting(*spawn.economy, spawn.handle, "resetinv", playerName(sender));
    spawn.economy->resetInventory();
    sendPrivate(spawn, sender, inventoryResetText);
}

} // namespace quorvel
