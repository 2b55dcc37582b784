// The price of anti-warp in the centre: AntiInCenter gold, taken only from a
// balance that holds it. A negative setting counts as 0: a penalty never
// pays out, and the balance never wraps.
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/awards.h"
#include "gold/economy_store.h"
#include "gold/gold_ledger.h"
#include "module/bot_spawn.h"

#include <algorithm>
#include <string>

namespace quorvel {
namespace {

constexpr std::string_view tooPoorStart = "Earn some Gold for you account so I can take ";
constexpr std::string_view tooPoorEnd = " away to punish you next time!";
constexpr std::string_view penaltyStart = "No Anti-Warp in center. You lose ";
constexpr std::string_view penaltyEnd = " Gold from your account.";

} // namespace

void penalizeAntiwarp(BotSpawn& spawn, const PlayerRecord& player) {
    const std::int32_t penalty = std::max(spawn.settings.antiInCenter, std::int32_t{0});
    const std::string name = playerName(player);
    const std::string amount = decimal(penalty);
    if (spawn.economy->balance(name) < static_cast<std::uint32_t>(penalty)) {
        sendPrivate(spawn, player, std::string(tooPoorStart) + amount + std::string(tooPoorEnd));
        return;
    }
    sendPrivate(spawn, player, std::string(penaltyStart) + amount + std::string(penaltyEnd));
    EconomyStore::Cause cause(*spawn.economy, spawn.handle, "anti-warp", name);
    spawn.economy->award(name, -penalty);
}

} // namespace quorvel
