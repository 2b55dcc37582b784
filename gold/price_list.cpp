// !buy with nothing after it: the price list with the configured prices.
#include "base/messages/senders.h"
#include "base/text/text_rules.h"
#include "gold/store_items.h"
#include "gold/store_listings.h"
#include "module/bot_spawn.h"

namespace quorvel {
namespace {

constexpr std::string_view howToBuyText =
    "Type !buy use <item name> to buy item for instant use, type !buy inv <item name> to buy "
    "and put in your Inventory.";
constexpr std::string_view howToBuyServicesText =
    "For arena, flags, points, bounty, and reset just Type !buy <item name> instead.";

} // namespace

void sendPriceList(BotSpawn& spawn, const PlayerRecord& sender) {
    sendPrivate(spawn, sender, priceLine("Item Name", "Price", "Description"));
    sendPrivate(spawn, sender, separatorLine);
    for (const StoreItem& item : storeItems) {
        sendPrivate(
            spawn, sender,
            priceLine(item.itemWord, decimal(spawn.settings.*item.price), item.description));
    }
    sendPrivate(spawn, sender, howToBuyText);
    sendPrivate(spawn, sender, howToBuyServicesText);
}

} // namespace quorvel
