// !check and !notcheck switch the ship checker; neither looks at the players
// already in ships, who are examined at their next entry, ship or freq change.
#include "shipcheck/ship_checker.h"

#include "base/messages/senders.h"
#include "module/bot_spawn.h"

namespace quorvel {
namespace {

constexpr std::string_view checkingEnabled = "Ship checking for freqs 0, 1, and 2 enabled.";
constexpr std::string_view checkingAlreadyEnabled = "Ship checking already enabled.";
constexpr std::string_view checkingDisabled = "Ship checking for freqs 0, 1, and 2 disabled.";
constexpr std::string_view checkingAlreadyDisabled = "Ship checking already disabled.";

} // namespace

void commandCheck(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    bool& on = spawn.shipChecker.shipCheckOn;
    if (on) {
        sendPrivate(spawn, sender, checkingAlreadyEnabled);
        return;
    }
    on = true;
    sendPrivate(spawn, sender, checkingEnabled);
}

void commandNotcheck(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    bool& on = spawn.shipChecker.shipCheckOn;
    if (!on) {
        sendPrivate(spawn, sender, checkingAlreadyDisabled);
        return;
    }
    on = false;
    sendPrivate(spawn, sender, checkingDisabled);
}

} // namespace quorvel
