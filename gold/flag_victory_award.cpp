// FlagVictory gold for one player of the winning freq. The award is capped
// so a balance never wraps past 4294967295; a negative setting takes gold
// but never below 0. And what the flag game asks of the economy.
#include "base/bot/bot.h"
#include "base/players/player_views.h"
#include "gold/awards.h"
#include "gold/economy_backend.h"
#include "gold/gold_ledger.h"
#include "gold/gold_service.h"

#include <string>

namespace quorvel {

void payFlagVictory(GoldService& gold, const PlayerRecord& winner) {
    const std::string name = playerName(winner);
    EconomyBackend::Cause cause(*gold.economy, gold.bot.handle, "flag victory", name);
    gold.economy->award(name, gold.settings.flagVictory);
    endCause(gold, cause);
}

std::int32_t flagVictoryAward(const GoldService& gold) {
    return gold.settings.flagVictory;
}

bool goldInPlay(const GoldService& gold) {
    return gold.storeOn;
}

} // namespace quorvel
