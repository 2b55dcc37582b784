// Automatic warping as the module runs it: each of the three kinds acts
// while its switch is on; the warp files are looked at again every second.
#include "warps/auto_warper.h"

namespace quorvel {
namespace {

void teamWarp(AutoWarper& warper, const PlayerRecord& player) {
    if (warper.teamWarpOn) {
        warpTeam(warper, player);
    }
}

void killed(AutoWarper& warper, const PlayerRecord& killedPlayer, const PlayerRecord&) {
    teamWarp(warper, killedPlayer);
}

void moved(AutoWarper& warper, const PlayerRecord& player) {
    if (warper.areaWarpOn) {
        warpArea(warper, player);
    }
    if (warper.insertWarpOn) {
        checkInsertWarp(warper, player);
    }
}

constexpr Command<AutoWarper> commands[] = {
    {"twarpon",
     Mod,
     commandTwarpon,
     {"!twarpon (Start Auto Team Warping to tiles specified in WarpTeam.ini.)"}},
    {"twarpoff", Mod, commandTwarpoff, {"!twarpoff (Stop Auto Team Warping.)"}},
    {"awarpon",
     Mod,
     commandAwarpon,
     {"!awarpon (Start Auto Area Warping to and from tiles specified in WarpArea.ini.)"}},
    {"awarpoff", Mod, commandAwarpoff, {"!awarpoff (Stop Auto Area Warping.)"}},
    {"iwarpon",
     Mod,
     commandIwarpon,
     {"!iwarpon (Start Auto Team Warping on Insert to tiles specified in WarpTeam.ini.)"}},
    {"iwarpoff", Mod, commandIwarpoff, {"!iwarpoff (Stop Auto Team Warping on Insert.)"}},
    {"alloff", Mod, commandAlloff, {"!alloff (Stop all Auto Warping Functions.)"}},
};

constexpr SettingKey<AutoWarper> settings[] = {
    settingKey<AutoWarper, &WarpTableSizes::maxWarpTeams>("Settings", "MaxWarpTeams"),
    settingKey<AutoWarper, &WarpTableSizes::maxWarpAreas>("Settings", "MaxWarpAreas"),
};

} // namespace

const ServiceTable<AutoWarper> warpsTable = {
    .name = "warps",
    .commands = commands,
    // The plain list spells the commands as the zone's old help did; the
    // topic list spells them as they are typed.
    .help =
        {
            .staff = "Ext: Auto Team/Area Warp commands: !Twarpon !Twarpoff !Awarpon !Awarpoff "
                     "!warpon !warpoff !alloff",
            .staffTopic = "Ext: Auto Team/Area Warp commands: !twarpon !twarpoff !awarpon "
                          "!awarpoff !iwarpon !iwarpoff !alloff",
        },
    .steps =
        {
            .playerEntering = teamWarp,
            .playerMoved = moved,
            .playerKilled = killed,
            .playerShipChanged = teamWarp,
            .playerTeamChanged = teamWarp,
            .tick = runWarpFilesTick,
        },
    .settings = settings,
};

} // namespace quorvel
