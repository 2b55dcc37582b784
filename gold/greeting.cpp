// The greeting of a player who enters, or who is there when the bot joins:
// the balance, the kill-notice choice, and the inventory brought back into
// the player's tags.
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/awards.h"
#include "gold/economy_store.h"
#include "gold/gold_tags.h"
#include "module/bot_spawn.h"

namespace quorvel {
namespace {

constexpr std::string_view welcomeStart = "Welcome ";
constexpr std::string_view welcomeMiddle = ". You have ";
constexpr std::string_view welcomeEnd = " Gold in your account.";
constexpr std::string_view helpHint = " Type ::!help for command list.";
constexpr std::string_view reloadedEnd =
    ", Your Inventory has been reloaded from the last time you visited.";

void setItemTags(BotSpawn& spawn, const PlayerRecord& player,
                 const std::array<std::int32_t, itemKindCount>& counts) {
    spawn.playerTags.set(&player, inventoryMarkTag, inventoryMarkSet);
    for (std::size_t k = 0; k < itemKindCount; ++k) {
        spawn.playerTags.set(&player, itemPrizeNumbers[k], counts[k]);
    }
}

} // namespace

void greetPlayer(BotSpawn& spawn, const PlayerRecord& player) {
    const std::string name = playerName(player);
    sendPrivate(spawn, player,
                std::string(welcomeStart) + name + std::string(welcomeMiddle) +
                    decimal(spawn.economy->balance(name)) + std::string(welcomeEnd) +
                    std::string(helpHint));
    spawn.playerTags.set(&player, goldNoticeTag, goldNoticeOn);

    // The player's record, from inv.dat or from an earlier visit since the
    // bot started (when there was no inv.dat to read): a second record of
    // the same name would never be found again, and whatever was bought into
    // the inventory on this visit would be written over the first one.
    if (const InventoryRecord* record = spawn.economy->findInventory(name)) {
        setItemTags(spawn, player, record->counts);
        sendPrivate(spawn, player, "Hello " + name + std::string(reloadedEnd));
    }
    // No record yet: this visit starts empty.
    if (spawn.playerTags.get(&player, inventoryMarkTag) != inventoryMarkSet) {
        setItemTags(spawn, player, {});
        EconomyStore::Cause entering(*spawn.economy, spawn.handle, "entry", name);
        spawn.economy->createInventory(name);
    }
}

} // namespace quorvel
