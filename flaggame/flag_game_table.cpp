// The flag game service as the module runs it: its commands with their
// help lines, and what it does on each event.
#include "flaggame/flag_game.h"
#include "flaggame/flag_watch.h"

namespace quorvel {
namespace {

constexpr Command commands[] = {
    {"aradius",
     Mod,
     step<commandAradius>,
     {"!aradius (Shows what the antiwarp radius is set to)",
      "!aradius <tiles> (Set distance from center to check antiwarp.)"}},
    {"shutup",
     Mod,
     step<commandShutup>,
     {"!shutup (Stop announcing flag victories, doesn't stop antiwarp checking.)"}},
    {"start", Mod, step<commandStart>, {"!start (Start announcing flag victories.)"}},
};

constexpr std::string_view staffList = "Ext: Flag commands: !aradius !shutup !start";

} // namespace

const ServiceTable flagGameTable = {
    .name = "flaggame",
    .commands = commands,
    .help = {.staff = staffList, .staffTopic = staffList},
    .steps =
        {
            .playerMoved = step<watchAntiwarp>,
            .arenaMessage = step<readJackpotAnswer>,
            .flagGameWon = step<announceFlagVictory>,
            .tick = step<runJackpotStep>,
        },
};

} // namespace quorvel
