// A soccer goal pays every player of the scoring freq.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/awards.h"
#include "gold/economy_backend.h"
#include "gold/gold_service.h"

namespace quorvel {
namespace {

constexpr std::string_view goalStart = "Goal!  ";
constexpr std::string_view goalEnd =
    " Gold has been added to each player's account on the team that scored.";

} // namespace

void awardGoal(GoldService& gold, Word team) {
    const std::int32_t reward = gold.settings.soccerGoal;
    for (const PlayerRecord& player : playersOf(gold.bot)) {
        if (static_cast<Word>(player.team) == team) {
            EconomyBackend::Cause cause(*gold.economy, gold.bot.handle, "goal", playerName(player));
            gold.economy->award(playerName(player), reward);
            endCause(gold, cause);
        }
    }
    sendPublic(gold.bot,
               zone::arena(std::string(goalStart) + decimal(reward) + std::string(goalEnd)));
}

} // namespace quorvel
