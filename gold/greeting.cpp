// The greeting of a player who enters, or who is there when the bot joins:
// the balance, the kill-notice choice, and the word that the inventory is
// still there (or a new, empty record for a newcomer).
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/awards.h"
#include "gold/economy_backend.h"
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

} // namespace

void greetPlayer(GoldService& gold, const PlayerRecord& player) {
    const std::string name = playerName(player);
    sendPrivate(gold.bot, player,
                std::string(welcomeStart) + name + std::string(welcomeMiddle) +
                    decimal(gold.economy->balance(name)) + std::string(welcomeEnd) +
                    std::string(helpHint));
    gold.bot.playerTags.set(&player, goldNoticeTag, goldNoticeOn);

    // The player's record, from inv.dat or from an earlier visit since the
    // bot started (when there was no inv.dat to read), or made through
    // another bot of the folder: a second record of the same name would
    // never be found again. The counts stay in the record; the store reads
    // them there at every command.
    if (gold.economy->findInventory(name) != nullptr) {
        sendPrivate(gold.bot, player, "Hello " + name + std::string(reloadedEnd));
        return;
    }
    // No record yet: this visit starts empty.
    EconomyBackend::Cause entering(*gold.economy, gold.bot.handle, "entry", name);
    gold.economy->createInventory(name);
    endCause(gold, entering);
}

} // namespace quorvel
