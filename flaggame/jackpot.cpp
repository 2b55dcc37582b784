// The jackpot cycle: "?jackpot" goes out five seconds before each broadcast
// step, the zone's "Current Jackpot: N" arena message sets the jackpot, and
// the step broadcasts it with the flags each freq carries.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "flaggame/flag_game.h"
#include "flaggame/flag_watch.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>

namespace quorvel {
namespace {

constexpr std::string_view jackpotAnswerPrefix = "Current Jackpot: ";
constexpr std::string_view jackpotBroadcastText = "Jackpot: ";
constexpr std::int32_t queryAt = 5;
constexpr std::int32_t secondsAfterBroadcast = 900;
constexpr std::int32_t secondsWithoutJackpot = 300;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The amount in the text after "Current Jackpot: ". The zone sends the
// digits alone; a word after them ("1500 points", "1500.") is allowed and
// ignored. Anything that could be a different number than the digits
// suggest is not read: "1,500", "12.5", "1500abc", a minus sign, no digits,
// or an amount beyond 2147483647 (which would wrap into a wrong jackpot).
std::optional<std::int32_t> jackpotAmount(std::string_view text) {
    std::size_t digits = 0;
    while (digits < text.size() && isDigit(text[digits])) {
        ++digits;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    std::string_view after = text.substr(digits);
    const bool endsCleanly =
        after.empty() || after.front() == ' ' ||
        ((after.front() == '.' || after.front() == '!' || after.front() == ',') &&
         (after.size() == 1 || after[1] == ' '));
    if (!endsCleanly) {
        return std::nullopt;
    }
    std::optional<std::int64_t> amount =
        readBoundedNumber(text.substr(0, digits), 0, std::numeric_limits<std::int32_t>::max());
    if (!amount) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*amount);
}

} // namespace

void runJackpotStep(FlagWatch& watch) {
    --watch.jackpotCountdown;
    if (watch.jackpotCountdown == queryAt) {
        watch.bot.arenaQuery = Bot::ArenaQuery{std::string(zone::jackpotQuery)};
        sendPublic(watch.bot, zone::jackpotQuery);
    }
    if (watch.jackpotCountdown != 0) {
        return;
    }
    watch.bot.arenaQuery.reset(); // an answer after the step belongs to no query
    if (watch.jackpot == 0) {
        watch.jackpotCountdown = secondsWithoutJackpot;
        return;
    }
    // !shutup promises no periodic messages: the cycle keeps its rhythm
    // (so !start resumes on time) but the broadcast is held back.
    if (!watch.announcementsOff) {
        sendPublic(watch.bot,
                   zone::arena(std::string(jackpotBroadcastText) + decimal(watch.jackpot) + "  " +
                               flagsCarriedText(watch.bot)));
    }
    watch.jackpotCountdown = secondsAfterBroadcast;
}

void readJackpotAnswer(FlagWatch& watch, std::string_view arenaMessage) {
    // Only the zone's answer to the bot's own "?jackpot" counts: an arena
    // message while no query is pending (none put out, or it still waits for
    // the line budget), or one the bot itself sent (a player's "!buy arena"
    // message among them), is not an answer.
    std::deque<std::string>& own = watch.bot.ownArenaTexts;
    if (auto mine = std::find(own.begin(), own.end(), arenaMessage); mine != own.end()) {
        own.erase(mine);
        return;
    }
    const std::optional<Bot::ArenaQuery>& query = watch.bot.arenaQuery;
    if (!query || !query->handed || !beginsWith(arenaMessage, jackpotAnswerPrefix)) {
        return;
    }
    watch.bot.arenaQuery.reset();
    // An answer that cannot be read leaves no jackpot known rather than a
    // stale or wrapped one: nothing is broadcast until a readable answer.
    watch.jackpot = jackpotAmount(arenaMessage.substr(jackpotAnswerPrefix.size())).value_or(0);
}

} // namespace quorvel
