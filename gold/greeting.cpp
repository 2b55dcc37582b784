// The greeting of a player who enters, or who is there when the bot joins:
// the balance, the kill-notice choice, and the inventory brought back into
// the player's tags.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/awards.h"
#include "gold/economy_store.h"
#include "gold/gold_service.h"
#include "gold/gold_tags.h"

namespace quorvel {
namespace {

constexpr std::string_view welcomeStart = "Welcome ";
constexpr std::string_view welcomeMiddle = ". You have ";
constexpr std::string_view welcomeEnd = " Gold in your account.";
constexpr std::string_view helpHint = " Type ::!help for command list.";
constexpr std::string_view reloadedEnd =
    ", Your Inventory has been reloaded from the last time you visited.";

void setItemTags(GoldService& gold, const PlayerRecord& player,
                 const std::array<std::int32_t, itemKindCount>& counts) {
    gold.bot.playerTags.set(&player, inventoryMarkTag, inventoryMarkSet);
    for (std::size_t k = 0; k < itemKindCount; ++k) {
        gold.bot.playerTags.set(&player, itemPrizeNumbers[k], counts[k]);
    }
}

} // namespace

void greetPlayer(GoldService& gold, const PlayerRecord& player) {
    const std::string name = playerName(player);
    sendPrivate(gold.bot, player,
                std::string(welcomeStart) + name + std::string(welcomeMiddle) +
                    decimal(gold.economy->balance(name)) + std::string(welcomeEnd) +
                    std::string(helpHint));
    gold.bot.playerTags.set(&player, goldNoticeTag, goldNoticeOn);

    // The player's record, from inv.dat or from an earlier visit since the
    // bot started (when there was no inv.dat to read): a second record of
    // the same name would never be found again, and whatever was bought into
    // the inventory on this visit would be written over the first one.
    if (const InventoryRecord* record = gold.economy->findInventory(name)) {
        setItemTags(gold, player, record->counts);
        sendPrivate(gold.bot, player, "Hello " + name + std::string(reloadedEnd));
    }
    // No record yet: this visit starts empty.
    if (gold.bot.playerTags.get(&player, inventoryMarkTag) != inventoryMarkSet) {
        setItemTags(gold, player, {});
        EconomyStore::Cause entering(*gold.economy, gold.bot.handle, "entry", name);
        gold.economy->createInventory(name);
    }
}

} // namespace quorvel
