// Gold for a kill: the Kill reward for an enemy, the TeamKill penalty for a
// team mate. gold.log records the change under "kill NAME" or "team kill
// NAME", NAME being the player killed. Settings may hold any number, so every change goes through
// applyAward and no balance wraps.
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

constexpr std::string_view givenStart = "You have just been given ";
constexpr std::string_view givenMiddle = " gold for killing ";
constexpr std::string_view earnStart = "Earn some Gold for your account so I can take ";
constexpr std::string_view earnEnd = " away to punish you next time!";
constexpr std::string_view loseStart = "No Team Killing Allowed Here. You lose ";
constexpr std::string_view loseEnd = " Gold from your account.";
constexpr std::string_view againStart = "No gold for killing ";
constexpr std::string_view againEnd = " again so soon.";

void rewardKill(GoldService& gold, const PlayerRecord& killed, const PlayerRecord& killer) {
    const std::int32_t reward = gold.settings.kill;
    if (const std::int32_t window = gold.settings.repeatKillWindow; window > 0) {
        switch (gold.repeatKills.judge(playerName(killer), playerName(killed), gold.bot.secondsRun,
                                       window)) {
        case RepeatKills::Verdict::pay:
            break;
        case RepeatKills::Verdict::unpaidFirst:
            sendPrivate(gold.bot, killer,
                        std::string(againStart) + playerName(killed) + std::string(againEnd));
            return;
        case RepeatKills::Verdict::unpaidAgain:
            return;
        }
    }
    // The notice comes from the bot that paid: a second bot of the arena saw
    // the same kill.
    if (gold.economy->award(playerName(killer), reward) &&
        gold.bot.playerTags.get(&killer, goldNoticeTag) == goldNoticeOn) {
        sendPrivate(gold.bot, killer,
                    std::string(givenStart) + decimal(reward) + std::string(givenMiddle) +
                        playerName(killed) + ".");
    }
}

void punishTeamKill(GoldService& gold, const PlayerRecord& killer) {
    const std::int32_t penalty = gold.settings.teamKill;
    const std::string name = playerName(killer);
    // Compared as gold amounts are: a negative penalty reads as a huge one
    // that nobody can pay, so it only ever warns.
    if (penalty < 0 || gold.economy->balance(name) < static_cast<std::uint32_t>(penalty)) {
        sendPrivate(gold.bot, killer,
                    std::string(earnStart) + decimal(penalty) + std::string(earnEnd));
        return;
    }
    if (gold.economy->award(name, -penalty)) {
        sendPrivate(gold.bot, killer,
                    std::string(loseStart) + decimal(penalty) + std::string(loseEnd));
    }
}

} // namespace

void awardKill(GoldService& gold, const PlayerRecord& killed, const PlayerRecord& killer) {
    const bool teamKill = killer.team == killed.team;
    // The cause names the player killed, as a purchase names its item, so
    // gold.log shows who killed whom (and pairs farming gold off each other).
    const std::string what = (teamKill ? "team kill " : "kill ") + playerName(killed);
    EconomyBackend::Cause cause(*gold.economy, gold.bot.handle, what, playerName(killer));
    if (!teamKill) {
        rewardKill(gold, killed, killer);
    } else {
        punishTeamKill(gold, killer);
    }
    endCause(gold, cause);
}

} // namespace quorvel
