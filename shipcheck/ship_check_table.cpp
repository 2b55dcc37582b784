// The ship checker as the module runs it: while it is on, every entry and
// every change of ship or freq is checked against the line-up.
#include "shipcheck/ship_checker.h"

namespace quorvel {
namespace {

void check(ShipChecker& checker, const PlayerRecord& player) {
    if (checker.shipCheckOn) {
        checkShip(checker, player);
    }
}

constexpr Command<ShipChecker> commands[] = {
    {"check", Mod, commandCheck, {"!check (start ship checking for freqs 0, 1, and 2.)"}},
    {"notcheck", Mod, commandNotcheck, {"!notcheck (stop ship checking for freqs 0, 1, and 2.)"}},
};

constexpr std::string_view staffList = "Ext: Star Wars Ship Checker commands: !check !notcheck";

} // namespace

const ServiceTable<ShipChecker> shipCheckTable = {
    .name = "shipcheck",
    .commands = commands,
    .help = {.staff = staffList, .staffTopic = staffList},
    .steps =
        {
            .playerEntering = check,
            .playerShipChanged = check,
            .playerTeamChanged = check,
        },
};

} // namespace quorvel
