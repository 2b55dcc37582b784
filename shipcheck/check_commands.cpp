// !check and !notcheck switch the ship checker; neither looks at the players
// already in ships, who are examined at their next entry, ship or freq change.
#include "shipcheck/ship_checker.h"

#include "base/bot/bot.h"
#include "base/messages/senders.h"

namespace quorvel {
namespace {

constexpr std::string_view checkingEnabled = "Ship checking for freqs 0, 1, and 2 enabled.";
constexpr std::string_view checkingAlreadyEnabled = "Ship checking already enabled.";
constexpr std::string_view checkingDisabled = "Ship checking for freqs 0, 1, and 2 disabled.";
constexpr std::string_view checkingAlreadyDisabled = "Ship checking already disabled.";

} // namespace

void commandCheck(ShipChecker& checker, const PlayerRecord& sender, std::string_view) {
    bool& on = checker.shipCheckOn;
    if (on) {
        sendPrivate(checker.bot, sender, checkingAlreadyEnabled);
        return;
    }
    on = true;
    sendPrivate(checker.bot, sender, checkingEnabled);
}

void commandNotcheck(ShipChecker& checker, const PlayerRecord& sender, std::string_view) {
    bool& on = checker.shipCheckOn;
    if (!on) {
        sendPrivate(checker.bot, sender, checkingAlreadyDisabled);
        return;
    }
    on = false;
    sendPrivate(checker.bot, sender, checkingDisabled);
}

} // namespace quorvel
