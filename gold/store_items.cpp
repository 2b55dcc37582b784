#include "gold/store_items.h"

#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/economy_backend.h"
#include "gold/gold_journal.h"
#include "gold/gold_service.h"
#include "gold/gold_settings.h"

namespace quorvel {
namespace {

constexpr std::size_t firstColumnWidth = 20;
constexpr std::size_t secondColumnEnd = 40;

constexpr std::string_view mustHaveStart = "You must have ";
constexpr std::string_view mustHaveEnd = " Gold in your account to access this command.";

using S = GoldSettings;

} // namespace

const std::array<StoreItem, 13> storeItems = {{
    {"flags", &S::flags, "Displays all flag coords"},
    {"arena", &S::arena, "Send an arena message"},
    {"points", &S::points, "Receive 10,000 Points"},
    {"bounty", &S::bounty, "Receive 6,000 Bounty"},
    {"multi", &S::multiFire, "Receive  MultiFire"},
    {"super", &S::super, "Temp Super!"},
    {"shield", &S::shield, "Temp Shields"},
    {"prize", &S::multiPrize, "Multi-Prize"},
    {"thor", &S::thor, "Increase Thor's Hammer count"},
    {"portal", &S::portal, "Increase Portal count"},
    {"guns", &S::gunUpgrade, "Increase Power of Guns by 1 level"},
    {"bombs", &S::bombUpgrade, "Increase Power of Bombs by 1 level"},
    {"reset", &S::scoreReset, "Reset your score"},
}};

const std::array<ItemTexts, itemKindCount> inventoryItems = {{
    {ItemKind::Guns, &storeItems[10], // guns
     "Gun Upgrade Installed", "You must be playing to install Gun Upgrade",
     "Gun Upgrade placed in Inventory", "You must be playing to buy Gun Upgrade",
     "Gun Upgrade Installed", "Sorry but you don't have any Gun Upgrades in your Inventory.",
     "You must be playing to install Gun Upgrade"},
    {ItemKind::Bombs, &storeItems[11], // bombs
     "Bomb Upgrade Installed", "You must be playing to install Bomb Upgrade",
     "Bomb Upgrade placed in Inventory", "You must be playing to buy Bomb Upgrade",
     "Bomb Upgrade Installed", "Sorry but you don't have any Bomb Upgrades in your Inventory.",
     "You must be playing to install Bomb Upgrade"},
    {ItemKind::Multi, &storeItems[4], // multi
     "MultiFire", "You must be playing before buying MultiFire", "MultiFire placed in Inventory",
     "You must be playing before buying MultiFire", "MultiFire Installed",
     "Sorry but you don't have any MultiFire Upgrades in your Inventory.",
     "You must be playing before Installing MultiFire"},
    {ItemKind::Super, &storeItems[5], // super
     "Super!", "You must be playing before buying Super", "Super! placed in Inventory",
     "You must be playing before buying Super", "Super! Activated",
     "Sorry but you don't have even a single Super! in your Inventory.",
     "You must be playing before Activating Super"},
    {ItemKind::Shield, &storeItems[6], // shield
     "Shields Increased.", "You must be playing before buying Shields",
     "Shields placed in Inventory", "You must be playing before buying Shields",
     "Shields Activated", "Sorry but you don't have any Shields in your Inventory.",
     "You must be playing before Activating Shields"},
    {ItemKind::Thor, &storeItems[8], // thor
     "Thor's Hammer Increased", "You must be playing before buying Thor's Hammer",
     "Thor's Hammer placed in Inventory", "You must be playing before buying Thor's Hammer",
     "Thor's Hammer Increased", "Sorry but you don't have any Thor's Hammers in your Inventory.",
     "You must be playing before Increasing Thor's Hammer"},
    {ItemKind::Prize, &storeItems[7], // prize
     " Multiprize", "You must be playing before buying Multiprize",
     " Multiprize placed in Inventory", "You must be playing before buying Multiprize",
     " Multiprize Awarded", "Sorry but you don't have any Multiprizes in your Inventory.",
     "You must be playing before using Multiprize"},
    {ItemKind::Portal, &storeItems[9], // portal
     "Portal Increased", "You must be playing before buying a Portal", "Portal placed in Inventory",
     "You must be playing before buying a Portal", "Portal Increased",
     "Sorry but you don't have any Portals in your Inventory.",
     "You must be playing before using Portal"},
}};

const ItemTexts* findInventoryItem(std::string_view word) {
    for (const ItemTexts& item : inventoryItems) {
        if (equalIgnoringCase(item.store->itemWord, word)) {
            return &item;
        }
    }
    return nullptr;
}

std::optional<ItemKind> itemKindOfWord(std::string_view word) {
    for (const ItemTexts& item : inventoryItems) {
        if (item.store->itemWord == word) {
            return item.kind;
        }
    }
    return std::nullopt;
}

std::int32_t prizeNumberOf(ItemKind kind) {
    return itemPrizeNumbers[static_cast<std::size_t>(kind)];
}

std::string priceLine(std::string_view first, std::string_view second, std::string_view third) {
    std::string line = fillToWidth(first, firstColumnWidth);
    line += second;
    line = fillToWidth(line, secondColumnEnd);
    line += third;
    return line;
}

std::uint32_t priceOf(const GoldService& gold, std::int32_t GoldSettings::*price) {
    return static_cast<std::uint32_t>(gold.settings.*price);
}

bool passesBalanceCheck(GoldService& gold, const PlayerRecord& sender,
                        std::int32_t GoldSettings::*price) {
    if (priceOf(gold, price) <= gold.economy->balance(playerName(sender))) {
        return true;
    }
    tellMustHave(gold, sender, price);
    return false;
}

void tellMustHave(GoldService& gold, const PlayerRecord& player,
                  std::int32_t GoldSettings::*price) {
    std::string reply(mustHaveStart);
    reply += decimal(gold.settings.*price);
    reply += mustHaveEnd;
    sendPrivate(gold.bot, player, reply);
}

std::int32_t itemCount(const GoldService& gold, const PlayerRecord& player, ItemKind kind) {
    const InventoryRecord* record = gold.economy->findInventory(playerName(player));
    return record != nullptr ? record->counts[static_cast<std::size_t>(kind)] : 0;
}

bool storeItemCount(GoldService& gold, const PlayerRecord& player, ItemKind kind,
                    std::int32_t count) {
    return gold.economy->setItemCount(playerName(player), kind, count);
}

std::string firstWord(std::string_view text, std::string& rest) {
    rest = std::string(text);
    return splitAt(rest, ' ');
}

} // namespace quorvel
