// FlagVictory gold for one player of the winning freq. The award is capped
// so a balance never wraps past 4294967295; a negative setting takes gold
// but never below 0.
#include "base/players/player_views.h"
#include "gold/awards.h"
#include "gold/economy_store.h"
#include "gold/gold_ledger.h"
#include "module/bot_spawn.h"

#include <string>

namespace quorvel {

void payFlagVictory(BotSpawn& spawn, const PlayerRecord& winner) {
    const std::string name = playerName(winner);
    EconomyStore::Cause cause(*spawn.economy, spawn.handle, "flag victory", name);
    spawn.economy->award(name, spawn.settings.flagVictory);
}

} // namespace quorvel
