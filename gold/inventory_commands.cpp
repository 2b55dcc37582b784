// !inv: the listing of what the player holds, and the use of one item.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/economy_backend.h"
#include "gold/gold_service.h"
#include "gold/store_commands.h"
#include "gold/store_items.h"
#include "gold/store_listings.h"

namespace quorvel {
namespace {

constexpr std::string_view inventoryTitleText = "Your Inventory";
constexpr std::string_view howToUseText = "Type !inv <item name> use an item in your Inventory.";

void useItem(GoldService& gold, const PlayerRecord& sender, const ItemTexts& item) {
    const std::int32_t held = itemCount(gold, sender, item.kind);
    // A count below zero can only come from a damaged inv.dat; it holds
    // nothing to use.
    if (held <= 0) {
        sendPrivate(gold.bot, sender, item.usedNoneLeft);
        return;
    }
    if (!isPlaying(sender)) {
        sendPrivate(gold.bot, sender, item.usedNotPlaying);
        return;
    }
    // Taken from the record before the prize is given: held > 0 came from
    // the record, so it is there, and no item is handed out twice.
    EconomyBackend::Cause use(*gold.economy, gold.bot.handle, "inventory use", playerName(sender));
    if (!storeItemCount(gold, sender, item.kind, held - 1)) {
        return;
    }
    sendPrivate(gold.bot, sender, zone::prize(prizeNumberOf(item.kind)));
    sendPrivate(gold.bot, sender, item.usedDone);
    endCause(gold, use);
}

} // namespace

void sendInventoryListing(GoldService& gold, const PlayerRecord& sender) {
    sendPrivate(gold.bot, sender, inventoryTitleText);
    sendPrivate(gold.bot, sender, priceLine("Item Name", "Number Owned", "Description"));
    sendPrivate(gold.bot, sender, separatorLine);
    for (const ItemTexts& item : inventoryItems) {
        const std::int32_t held = itemCount(gold, sender, item.kind);
        if (held != 0) {
            sendPrivate(gold.bot, sender,
                        priceLine(item.store->itemWord, decimal(held), item.store->description));
        }
    }
    sendPrivate(gold.bot, sender, howToUseText);
}

void commandInv(GoldService& gold, const PlayerRecord& sender, std::string_view text) {
    if (!gold.storeOn) {
        return;
    }
    if (text.empty()) {
        sendInventoryListing(gold, sender);
        return;
    }
    std::string rest;
    if (const ItemTexts* item = findInventoryItem(firstWord(text, rest))) {
        useItem(gold, sender, *item);
    }
}

} // namespace quorvel
