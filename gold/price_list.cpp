// !buy with nothing after it: the price list with the configured prices.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/text/text_rules.h"
#include "gold/gold_service.h"
#include "gold/store_items.h"
#include "gold/store_listings.h"

namespace quorvel {
namespace {

constexpr std::string_view howToBuyText =
    "Type !buy use <item name> to buy item for instant use, type !buy inv <item name> to buy "
    "and put in your Inventory.";
constexpr std::string_view howToBuyServicesText =
    "For arena, flags, points, bounty, and reset just Type !buy <item name> instead.";

} // namespace

void sendPriceList(GoldService& gold, const PlayerRecord& sender) {
    sendPrivate(gold.bot, sender, priceLine("Item Name", "Price", "Description"));
    sendPrivate(gold.bot, sender, separatorLine);
    for (const StoreItem& item : storeItems) {
        sendPrivate(gold.bot, sender,
                    priceLine(item.itemWord, decimal(gold.settings.*item.price), item.description));
    }
    sendPrivate(gold.bot, sender, howToBuyText);
    sendPrivate(gold.bot, sender, howToBuyServicesText);
}

} // namespace quorvel
