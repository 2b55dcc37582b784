// !inv: the listing of what the player holds, and the use of one item.
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/economy_store.h"
#include "gold/store_commands.h"
#include "gold/store_items.h"
#include "gold/store_listings.h"
#include "module/bot_spawn.h"

namespace quorvel {
namespace {

constexpr std::string_view inventoryTitleText = "Your Inventory";
constexpr std::string_view howToUseText = "Type !inv <item name> use an item in your Inventory.";

void useItem(BotSpawn& spawn, const PlayerRecord& sender, const ItemTexts& item) {
    const std::int32_t held = itemCount(spawn, sender, item.kind);
    // A count below zero can only come from a damaged inv.dat; it holds
    // nothing to use.
    if (held <= 0) {
        sendPrivate(spawn, sender, item.usedNoneLeft);
        return;
    }
    if (!isPlaying(sender)) {
        sendPrivate(spawn, sender, item.usedNotPlaying);
        return;
    }
    sendPrivate(spawn, sender, zone::prize(prizeNumberOf(item.kind)));
    EconomyStore::Cause use(*spawn.economy, spawn.handle, "inventory use", playerName(sender));
    storeItemCount(spawn, sender, item.kind, held - 1);
    sendPrivate(spawn, sender, item.usedDone);
}

} // namespace

void sendInventoryListing(BotSpawn& spawn, const PlayerRecord& sender) {
    sendPrivate(spawn, sender, inventoryTitleText);
    sendPrivate(spawn, sender, priceLine("Item Name", "Number Owned", "Description"));
    sendPrivate(spawn, sender, separatorLine);
    for (const ItemTexts& item : inventoryItems) {
        const std::int32_t held = itemCount(spawn, sender, item.kind);
        if (held != 0) {
            sendPrivate(spawn, sender, priceLine(item.itemWord, decimal(held), item.description));
        }
    }
    sendPrivate(spawn, sender, howToUseText);
}

void commandInv(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text) {
    if (!spawn.storeOn) {
        return;
    }
    if (text.empty()) {
        sendInventoryListing(spawn, sender);
        return;
    }
    std::string rest;
    if (const ItemTexts* item = findInventoryItem(firstWord(text, rest))) {
        useItem(spawn, sender, *item);
    }
}

} // namespace quorvel
