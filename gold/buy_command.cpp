// !buy: the price list, items for instant use or for the inventory, and the
// paid services (arena message, flag listing, points, bounty, score reset).
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/economy_store.h"
#include "gold/gold_tags.h"
#include "gold/store_commands.h"
#include "gold/store_items.h"
#include "gold/store_listings.h"
#include "module/bot_spawn.h"
#include "module/plugin_settings.h"

#include <climits>

namespace quorvel {
namespace {

constexpr Word arenaMessageSound = 2;

constexpr std::string_view arenaSyntaxText = "Syntax: !buy arena msg";
constexpr std::string_view pointsDoneText = "Points Increased by 10,000";
constexpr std::string_view bountyDoneText = "Bounty Increased by 6,000";
constexpr std::string_view scoreResetDoneText = "Score Reset";
constexpr std::string_view inventoryFullText = "Your Inventory can not hold any more of that item.";

void charge(BotSpawn& spawn, const PlayerRecord& sender, std::int32_t PluginSettings::*price) {
    spawn.economy->debit(playerName(sender), priceOf(spawn, price));
}

void buyArenaMessage(BotSpawn& spawn, const PlayerRecord& sender, std::string_view word,
                     const std::string& rest) {
    if (!passesBalanceCheck(spawn, sender, &PluginSettings::arena)) {
        return;
    }
    // No message after the word, or "arena" typed twice: nothing to send. An
    // empty message is not paid for either.
    if (rest == word || rest.empty()) {
        sendPrivate(spawn, sender, arenaSyntaxText);
        return;
    }
    charge(spawn, sender, &PluginSettings::arena);
    sendPublicSound(spawn, arenaMessageSound, zone::arena(rest + " -" + playerName(sender)));
}

void buyForInstantUse(BotSpawn& spawn, const PlayerRecord& sender, const ItemTexts& item) {
    if (!passesBalanceCheck(spawn, sender, item.price)) {
        return;
    }
    if (!isPlaying(sender)) {
        sendPrivate(spawn, sender, item.useNowNotPlaying);
        return;
    }
    sendPrivate(spawn, sender, zone::prize(prizeNumberOf(item.kind)));
    charge(spawn, sender, item.price);
    sendPrivate(spawn, sender, item.useNowDone);
}

void buyIntoInventory(BotSpawn& spawn, const PlayerRecord& sender, const ItemTexts& item) {
    if (!passesBalanceCheck(spawn, sender, item.price)) {
        return;
    }
    if (!isPlaying(sender)) {
        sendPrivate(spawn, sender, item.storedNotPlaying);
        return;
    }
    const std::int32_t held = itemCount(spawn, sender, item.kind);
    if (held == INT32_MAX) {
        sendPrivate(spawn, sender, inventoryFullText); // nothing charged
        return;
    }
    // A player who came in while the store was off, or whose record was
    // wiped by !resetinv, gets a record now, as on entry: what he buys is
    // still there when he comes back.
    const std::string name = playerName(sender);
    if (spawn.economy->findInventory(name) == nullptr) {
        spawn.economy->createInventory(name);
        spawn.playerTags.set(&sender, inventoryMarkTag, inventoryMarkSet);
    }
    storeItemCount(spawn, sender, item.kind, held + 1);
    charge(spawn, sender, item.price);
    sendPrivate(spawn, sender, item.storedDone);
}

// Points, bounty and score reset: charged and sent whether or not the buyer
// is in a ship.
void buyService(BotSpawn& spawn, const PlayerRecord& sender, std::int32_t PluginSettings::*price,
                std::string_view zoneLine, std::string_view doneText) {
    if (!passesBalanceCheck(spawn, sender, price)) {
        return;
    }
    charge(spawn, sender, price);
    sendPrivate(spawn, sender, zoneLine);
    sendPrivate(spawn, sender, doneText);
}

} // namespace

void commandBuy(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text) {
    if (!spawn.storeOn) {
        return;
    }
    if (text.empty()) {
        sendPriceList(spawn, sender);
        return;
    }
    std::string rest;
    const std::string word = firstWord(text, rest);
    // Journal lines of this purchase name the item bought.
    const bool itemPurchase = equalIgnoringCase(word, "use") || equalIgnoringCase(word, "inv");
    EconomyStore::Cause purchase(*spawn.economy, spawn.handle,
                                 "purchase " + foldedCopy(itemPurchase ? rest : word),
                                 playerName(sender));
    if (equalIgnoringCase(word, "arena")) {
        buyArenaMessage(spawn, sender, word, rest);
    } else if (equalIgnoringCase(word, "use")) {
        if (const ItemTexts* item = findInventoryItem(rest)) {
            buyForInstantUse(spawn, sender, *item);
        }
    } else if (equalIgnoringCase(word, "inv")) {
        if (const ItemTexts* item = findInventoryItem(rest)) {
            buyIntoInventory(spawn, sender, *item);
        }
    } else if (equalIgnoringCase(word, "points")) {
        buyService(spawn, sender, &PluginSettings::points, zone::points10000, pointsDoneText);
    } else if (equalIgnoringCase(word, "bounty")) {
        buyService(spawn, sender, &PluginSettings::bounty, zone::bounty6000, bountyDoneText);
    } else if (equalIgnoringCase(word, "flags")) {
        if (passesBalanceCheck(spawn, sender, &PluginSettings::flags)) {
            charge(spawn, sender, &PluginSettings::flags);
            sendFlagListing(spawn, sender);
        }
    } else if (equalIgnoringCase(word, "reset")) {
        buyService(spawn, sender, &PluginSettings::scoreReset, zone::scoreReset,
                   scoreResetDoneText);
    }
}

} // namespace quorvel
