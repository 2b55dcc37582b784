// A soccer goal pays every player of the scoring freq.
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/awards.h"
#include "gold/economy_store.h"
#include "module/bot_spawn.h"

namespace quorvel {
namespace {

constexpr std::string_view goalStart = "Goal!  ";
constexpr std::string_view goalEnd =
    " Gold has been added to each player's account on the team that scored.";

} // namespace

void awardGoal(BotSpawn& spawn, Word team) {
    const std::int32_t reward = spawn.settings.soccerGoal;
    for (const PlayerRecord& player : playersOf(spawn)) {
        if (static_cast<Word>(player.team) == team) {
            EconomyStore::Cause cause(*spawn.economy, spawn.handle, "goal", playerName(player));
            spawn.economy->award(playerName(player), reward);
        }
    }
    sendPublic(spawn, zone::arena(std::string(goalStart) + decimal(reward) + std::string(goalEnd)));
}

} // namespace quorvel
