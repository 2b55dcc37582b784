// The flag game service as the module runs it: its commands with their
// help lines, and what it does on each event.
#include "flaggame/flag_game.h"
#include "flaggame/flag_watch.h"

namespace quorvel {
namespace {

constexpr Command<FlagWatch> commands[] = {
    {"aradius",
     Mod,
     commandAradius,
     {"!aradius (Shows what the antiwarp radius is set to)",
      "!aradius <tiles> (Set distance from center to check antiwarp.)"}},
    {"shutup",
     Mod,
     commandShutup,
     {"!shutup (Stop announcing flag victories, doesn't stop antiwarp checking.)"}},
    {"start", Mod, commandStart, {"!start (Start announcing flag victories.)"}},
};

constexpr std::string_view staffList = "Ext: Flag commands: !aradius !shutup !start";

} // namespace

const ServiceTable<FlagWatch> flagGameTable = {
    .name = "flaggame",
    .commands = commands,
    .help = {.staff = staffList, .staffTopic = staffList},
    .steps =
        {
            .playerMoved = watchAntiwarp,
            .arenaMessage = readJackpotAnswer,
            .flagGameWon = announceFlagVictory,
            .tick = runJackpotStep,
        },
};

} // namespace quorvel
