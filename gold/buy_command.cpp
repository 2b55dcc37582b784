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
#include <functional>
#include <optional>

namespace quorvel {
namespace {

constexpr Word arenaMessageSound = 2;

constexpr std::string_view arenaSyntaxText = "Syntax: !buy arena msg";
constexpr std::string_view pointsDoneText = "Points Increased by 10,000";
constexpr std::string_view bountyDoneText = "Bounty Increased by 6,000";
constexpr std::string_view scoreResetDoneText = "Score Reset";
constexpr std::string_view inventoryFullText = "Your Inventory can not hold any more of that item.";

constexpr std::string_view bankUnreachableText =
    "The gold bank cannot be reached just now: nothing was bought and no gold was taken. Try "
    "again in a moment.";

// The buyer as the bot sees him now: in an economy a database settles, the
// answer comes at a later tick, and he may have left by then.
const PlayerRecord* playerNamed(const GoldService& gold, const std::string& name) {
    for (const PlayerRecord& player : playersOf(gold.bot)) {
        if (playerName(player) == name) {
            return &player;
        }
    }
    return nullptr;
}

// Gives back what a buyer paid for something he can no longer be given.
void refund(GoldService& gold, const std::string& name, std::uint32_t price) {
    EconomyBackend::Cause giving(*gold.economy, gold.bot.handle, "refund", name);
    gold.economy->credit(name, price);
    endCause(gold, giving);
}

// What is bought: paid for (the item, if any, lands in the inventory in the
// same change), then `deliver` runs for the buyer; a refusal is answered.
// `deliver` is handed nothing when the buyer has left since he asked, and
// returns whether it delivered: what was not is given back.
using Deliver = std::function<bool(const PlayerRecord* buyer)>;
void buyAndDeliver(GoldService& gold, const PlayerRecord& sender, std::int32_t GoldSettings::*price,
                   std::optional<ItemKind> item, Deliver deliver) {
    const std::string name = playerName(sender);
    const std::uint32_t amount = priceOf(gold, price);
    gold.economy.purchase({name, amount, item},
                          [&gold, name, amount, price,
                           deliver = std::move(deliver)](EconomyBackend::PurchaseOutcome outcome) {
                              const PlayerRecord* buyer = playerNamed(gold, name);
                              switch (outcome) {
                              case EconomyBackend::PurchaseOutcome::paid:
                                  if (!deliver(buyer)) {
                                      refund(gold, name, amount);
                                  }
                                  return;
                              case EconomyBackend::PurchaseOutcome::tooPoor:
                                  if (buyer != nullptr) {
                                      tellMustHave(gold, *buyer, price);
                                  }
                                  return;
                              case EconomyBackend::PurchaseOutcome::unavailable:
                                  if (buyer != nullptr) {
                                      sendPrivate(gold.bot, *buyer, bankUnreachableText);
                                  }
                                  return;
                              }
                          });
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
    buyAndDeliver(gold, sender, &GoldSettings::arena, std::nullopt,
                  [&gold, line = zone::arena(std::string(text) + signature)](const PlayerRecord*) {
                      sendPublicSound(gold.bot, arenaMessageSound, line);
                      return true;
                  });
}

void buyForInstantUse(GoldService& gold, const PlayerRecord& sender, const ItemTexts& item) {
    if (!passesBalanceCheck(gold, sender, item.store->price)) {
        return;
    }
    if (!isPlaying(sender)) {
        sendPrivate(gold.bot, sender, item.useNowNotPlaying);
        return;
    }
    buyAndDeliver(gold, sender, item.store->price, std::nullopt,
                  [&gold, &item](const PlayerRecord* buyer) {
                      if (buyer == nullptr) {
                          return false;
                      }
                      sendPrivate(gold.bot, *buyer, zone::prize(prizeNumberOf(item.kind)));
                      sendPrivate(gold.bot, *buyer, item.useNowDone);
                      return true;
                  });
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
    // still there when he comes back. He pays only once the item is in the
    // record: gold is never taken for an item that did not land.
    buyAndDeliver(gold, sender, item.store->price, item.kind,
                  [&gold, &item](const PlayerRecord* buyer) {
                      if (buyer != nullptr) {
                          sendPrivate(gold.bot, *buyer, item.storedDone);
                      }
                      return true; // in the inventory, whether or not he is still here
                  });
}

// Points, bounty and score reset: charged and sent whether or not the buyer
// is in a ship.
void buyService(GoldService& gold, const PlayerRecord& sender, std::int32_t GoldSettings::*price,
                std::string_view zoneLine, std::string_view doneText) {
    if (!passesBalanceCheck(gold, sender, price)) {
        return;
    }
    buyAndDeliver(gold, sender, price, std::nullopt,
                  [&gold, zoneLine, doneText](const PlayerRecord* buyer) {
                      if (buyer == nullptr) {
                          return false;
                      }
                      sendPrivate(gold.bot, *buyer, zoneLine);
                      sendPrivate(gold.bot, *buyer, doneText);
                      return true;
                  });
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
            buyAndDeliver(gold, sender, &GoldSettings::flags, std::nullopt,
                          [&gold](const PlayerRecord* buyer) {
                              if (buyer == nullptr) {
                                  return false;
                              }
                              sendFlagListing(gold, *buyer);
                              return true;
                          });
        }
    } else if (equalIgnoringCase(word, "reset")) {
        buyService(gold, sender, &GoldSettings::scoreReset, zone::scoreReset, scoreResetDoneText);
    }
    endCause(gold, purchase);
}

} // namespace quorvel
