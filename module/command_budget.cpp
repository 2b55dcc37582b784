#include "module/command_budget.h"

#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "module/bot_spawn.h"
#include "module/commands.h"

#include <iterator>
#include <string_view>

namespace quorvel {
namespace {

constexpr std::string_view tooFastText =
    "You are typing commands too fast. I will answer again in a few seconds.";
// Past this many typists, those quiet for a whole window are forgotten.
constexpr std::size_t typistsKept = 256;

} // namespace

CommandBudget::Verdict CommandBudget::take(const PlayerRecord& player, std::int64_t now,
                                           std::int32_t budget, bool answersWaiting) {
    if (typists_.size() > typistsKept) {
        std::erase_if(typists_, [now](const auto& entry) {
            return entry.second.answered.empty() ||
                   now - entry.second.answered.back() >= windowSeconds;
        });
    }
    Typist& typist = typists_[foldedCopy(playerName(player))];
    while (!typist.answered.empty() && now - typist.answered.front() >= windowSeconds) {
        typist.answered.pop_front();
    }
    if (!answersWaiting && typist.answered.size() < static_cast<std::size_t>(budget)) {
        typist.answered.push_back(now);
        typist.told = false;
        return Verdict::answer;
    }
    if (typist.told) {
        return Verdict::silence;
    }
    typist.told = true;
    return Verdict::notice;
}

bool withinCommandBudget(BotSpawn& spawn, const PlayerRecord& sender) {
    const std::int32_t budget = spawn.own.settings.commandBudget;
    if (budget <= 0 || sender.accessLevel >= Mod) {
        return true;
    }
    switch (spawn.commandBudget.take(sender, spawn.secondsRun, budget,
                                     answersWaitingFor(spawn, sender) > 0)) {
    case CommandBudget::Verdict::answer:
        return true;
    case CommandBudget::Verdict::notice:
        sendPrivate(spawn, sender, tooFastText);
        return false;
    case CommandBudget::Verdict::silence:
        return false;
    }
    return false;
}

} // namespace quorvel
