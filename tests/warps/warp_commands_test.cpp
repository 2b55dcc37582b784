#include "warp_arena.h"

#include <gtest/gtest.h>

namespace quorvel::testing {
namespace {

TEST(WarpCommands, EachSwitchAnswersForBothStates) {
    TestArena arena;
    arena.handshake();
    PlayerRecord& mod = addMod(arena);
    arena.take();
    const AutoWarper& warper = arena.spawn().autoWarper;
    struct Step {
        const char* command;
        const char* reply;
        bool team, area, insert;
    };
    const Step steps[] = {
        {"twarpon", "Auto Team Warping already enabled.", true, true, true},
        {"awarpon", "Auto Area Warping already enabled.", true, true, true},
        {"iwarpon", "Auto Team Warping on Insert already enabled.", true, true, true},
        {"twarpoff", "Auto Team Warping is now disabled.", false, true, true},
        {"twarpoff", "Auto Team Warping already disabled.", false, true, true},
        {"awarpoff", "Auto Area Warping is now disabled.", false, false, true},
        {"awarpoff", "Auto Area Warping already disabled.", false, false, true},
        {"iwarpoff", "Auto Team Warping on Insert is now disabled.", false, false, false},
        {"iwarpoff", "Auto Team Warping on Insert already disabled.", false, false, false},
        {"iwarpon", "Auto Team Warping on Insert is now enabled.", false, false, true},
        {"awarpon", "Auto Area Warping is now enabled.", false, true, true},
        {"alloff",
         "All Auto Warping functions have been disabled... you can now reenable which ever you "
         "want or just leave them off.",
         false, false, false},
        {"alloff",
         "All Auto Warping functions have been disabled... you can now reenable which ever you "
         "want or just leave them off.",
         false, false, false},
        {"twarpon", "Auto Team Warping is now enabled.", true, false, false},
    };
    for (const Step& step : steps) {
        arena.command(mod, step.command);
        EXPECT_EQ(arena.take(), (std::vector{privateLine(mod, step.reply)})) << step.command;
        EXPECT_EQ(warper.teamWarpOn, step.team) << step.command;
        EXPECT_EQ(warper.areaWarpOn, step.area) << step.command;
        EXPECT_EQ(warper.insertWarpOn, step.insert) << step.command;
    }

    // Players reach none of them.
    PlayerRecord& player = arena.addPlayer({.name = "Pat", .team = 0, .ship = 0});
    for (const char* command : {"twarpoff", "awarpon", "iwarpon", "alloff", "check", "notcheck"}) {
        arena.command(player, command);
    }
    EXPECT_TRUE(arena.take().empty());
    EXPECT_TRUE(warper.teamWarpOn);
    EXPECT_FALSE(arena.spawn().shipChecker.shipCheckOn);
}

} // namespace
} // namespace quorvel::testing
