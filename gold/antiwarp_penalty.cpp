// The price of anti-warp in the centre: AntiInCenter gold, taken only from a
// balance that holds it. A negative setting counts as 0: a penalty never
// pays out, and the balance never wraps.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/awards.h"
#include "gold/economy_backend.h"
#include "gold/gold_ledger.h"
#include "gold/gold_service.h"

#include <algorithm>
#include <string>

namespace quorvel {
namespace {

constexpr std::string_view tooPoorStart = "Earn some Gold for you account so I can take ";
constexpr std::string_view tooPoorEnd = " away to punish you next time!";
constexpr std::string_view penaltyStart = "No Anti-Warp in center. You lose ";
constexpr std::string_view penaltyEnd = " Gold from your account.";

} // namespace

void penalizeAntiwarp(GoldService& gold, const PlayerRecord& player) {
    const std::int32_t penalty = std::max(gold.settings.antiInCenter, std::int32_t{0});
    const std::string name = playerName(player);
    const std::string amount = decimal(penalty);
    if (gold.economy->balance(name) < static_cast<std::uint32_t>(penalty)) {
        sendPrivate(gold.bot, player, std::string(tooPoorStart) + amount + std::string(tooPoorEnd));
        return;
    }
    sendPrivate(gold.bot, player, std::string(penaltyStart) + amount + std::string(penaltyEnd));
    EconomyBackend::Cause cause(*gold.economy, gold.bot.handle, "anti-warp", name);
    gold.economy->award(name, -penalty);
    endCause(gold, cause);
}

} // namespace quorvel
