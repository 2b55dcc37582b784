// !buy: the price list, items for instant use or for the inventory, and the
// paid services (arena message, flag listing, points, bounty, score reset).
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/economy_backend.h"
#include "gold/gold_service.h"
#include "gold/gold_settings.h"
#include "gold/store_commands.h"
#include "gold/store_items.h"
#include "gold/store_listings.h"

#include <climits>

namespace quorvel {
namespace {

constexpr Word arenaMessageSound = 2;

constexpr std::string_view arenaSyntaxText = "Syntax: !buy arena msg";
constexpr std::string_view pointsDoneText = "Points Increased by 10,000";
constexpr std::string_view bountyDoneText = "Bounty Increased by 6,000";
constexpr std::string_view scoreResetDoneText = "Score Reset";
constexpr std::string_view inventoryFullText = "Your Inventory can not hold any more of that item.";

void charge(GoldService& gold, const PlayerRecord& sender, std::int32_t GoldSettings::*price) {
    gold.economy->debit(playerName(sender), priceOf(gold, price));
}

// The typed text as it goes out before " -Name": cut where the whole line
// would pass a chat line's length, so the buyer's name always ends it, and
// with nothing that shows as blank left at its end, so padding can never
// push the name out of sight and leave another name typed in the text
// looking like the sender.
std::string_view arenaMessageText(std::string_view typed, std::string_view signature) {
    const std::size_t lead = zone::arena("").size();
    const std::size_t room =
        maxChatLine > lead + signature.size() ? maxChatLine - lead - signature.size() : 0;
    return withoutTrailingBlankLooking(typed.substr(0, room));
}

void buyArenaMessage(GoldService& gold, const PlayerRecord& sender, std::string_view word,
                     const std::string& rest) {
    if (!passesBalanceCheck(gold, sender, &GoldSettings::arena)) {
        return;
    }
    const std::string signature = " -" + playerName(sender);
    const std::string_view text = arenaMessageText(rest, signature);
    // No message after the word, or "arena" typed twice: nothing to send. An
    // empty message (blank padding only) is not paid for either.
    if (rest == word || text.empty()) {
        sendPrivate(gold.bot, sender, arenaSyntaxText);
        return;
    }
    charge(gold, sender, &GoldSettings::arena);
    sendPublicSound(gold.bot, arenaMessageSound, zone::arena(std::string(text) + signature));
}

void buyForInstantUse(GoldService& gold, const PlayerRecord& sender, const ItemTexts& item) {
    if (!passesBalanceCheck(gold, sender, item.store->price)) {
        return;
    }
    if (!isPlaying(sender)) {
        sendPrivate(gold.bot, sender, item.useNowNotPlaying);
        return;
    }
    sendPrivate(gold.bot, sender, zone::prize(prizeNumberOf(item.kind)));
    charge(gold, sender, item.store->price);
    sendPrivate(gold.bot, sender, item.useNowDone);
}

void buyIntoInventory(GoldService& gold, const PlayerRecord& sender, const ItemTexts& item) {
    if (!passesBalanceCheck(gold, sender, item.store->price)) {
        return;
    }
    if (!isPlaying(sender)) {
        sendPrivate(gold.bot, sender, item.storedNotPlaying);
        return;
    }
    // The count is read from the shared record now, not from what this bot
    // saw at entry: another bot of the arena may have sold or handed out
    // items to the player since.
    const std::int32_t held = itemCount(gold, sender, item.kind);
    if (held == INT32_MAX) {
        sendPrivate(gold.bot, sender, inventoryFullText); // nothing charged
        return;
    }
    // A player who came in while the store was off, or whose record was
    // wiped by !resetinv, gets a record now, as on entry: what he buys is
    // still there when he comes back.
    const std::string name = playerName(sender);
    if (gold.economy->findInventory(name) == nullptr) {
        gold.economy->createInventory(name);
    }
    // Paid only once the item is in the record: gold is never taken for an
    // item that did not land.
    if (!storeItemCount(gold, sender, item.kind, held + 1)) {
        return;
    }
    charge(gold, sender, item.store->price);
    sendPrivate(gold.bot, sender, item.storedDone);
}

// Points, bounty and score reset: charged and sent whether or not the buyer
// is in a ship.
void buyService(GoldService& gold, const PlayerRecord& sender, std::int32_t GoldSettings::*price,
                std::string_view zoneLine, std::string_view doneText) {
    if (!passesBalanceCheck(gold, sender, price)) {
        return;
    }
    charge(gold, sender, price);
    sendPrivate(gold.bot, sender, zoneLine);
    sendPrivate(gold.bot, sender, doneText);
}

} // namespace

void commandBuy(GoldService& gold, const PlayerRecord& sender, std::string_view text) {
    if (!gold.storeOn) {
        return;
    }
    if (text.empty()) {
        sendPriceList(gold, sender);
        return;
    }
    std::string rest;
    const std::string word = firstWord(text, rest);
    // Journal lines of this purchase name the item bought.
    const bool itemPurchase = equalIgnoringCase(word, "use") || equalIgnoringCase(word, "inv");
    EconomyBackend::Cause purchase(*gold.economy, gold.bot.handle,
                                   "purchase " + foldedCopy(itemPurchase ? rest : word),
                                   playerName(sender));
    if (equalIgnoringCase(word, "arena")) {
        buyArenaMessage(gold, sender, word, rest);
    } else if (equalIgnoringCase(word, "use")) {
        if (const ItemTexts* item = findInventoryItem(rest)) {
            buyForInstantUse(gold, sender, *item);
        }
    } else if (equalIgnoringCase(word, "inv")) {
        if (const ItemTexts* item = findInventoryItem(rest)) {
            buyIntoInventory(gold, sender, *item);
        }
    } else if (equalIgnoringCase(word, "points")) {
        buyService(gold, sender, &GoldSettings::points, zone::points10000, pointsDoneText);
    } else if (equalIgnoringCase(word, "bounty")) {
        buyService(gold, sender, &GoldSettings::bounty, zone::bounty6000, bountyDoneText);
    } else if (equalIgnoringCase(word, "flags")) {
        if (passesBalanceCheck(gold, sender, &GoldSettings::flags)) {
            charge(gold, sender, &GoldSettings::flags);
            sendFlagListing(gold, sender);
        }
    } else if (equalIgnoringCase(word, "reset")) {
        buyService(gold, sender, &GoldSettings::scoreReset, zone::scoreReset, scoreResetDoneText);
    }
    endCause(gold, purchase);
}

} // namespace quorvel
