#include "base/players/player_views.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

namespace quorvel::testing {
namespace {

TEST(PlayerViews, CoordinateTextNamesTheMapSquare) {
    EXPECT_EQ(coordinateText(0, 0), "A1");
    EXPECT_EQ(coordinateText(16383, 16383), "T20");
    EXPECT_EQ(coordinateText(8192, 8192), "K11");
    EXPECT_EQ(coordinateText(-16, -16), "A1");
    EXPECT_EQ(coordinateText(0, 1023 * 16), "A20");
    // Off the map nothing is guarded, but nothing breaks either.
    EXPECT_EQ(coordinateText(16384 + 16 * 52, 0), "V1");
    EXPECT_FALSE(coordinateText(2147483647, -2147483647 - 1).empty());
}

TEST(PlayerViews, NearCentreIsAStrictSquare) {
    TestArena arena;
    PlayerRecord& p = arena.addPlayer({.name = "p"});
    auto near = [&](int x, int y, int radius = 10) {
        arena.setPosition(p, x, y);
        return nearCentre(p, radius);
    };
    EXPECT_TRUE(near(503, 503));
    EXPECT_TRUE(near(521, 521));
    EXPECT_TRUE(near(512, 512));
    EXPECT_FALSE(near(502, 512));
    EXPECT_FALSE(near(512, 502));
    EXPECT_FALSE(near(522, 512));
    EXPECT_FALSE(near(512, 512, 0));
    EXPECT_FALSE(near(512, 512, -5));
}

TEST(PlayerViews, FlagsCarriedPerTeamInTheOrderTeamsAreMet) {
    TestArena arena;
    arena.handshake();
    EXPECT_EQ(flagsCarriedText(arena.spawn()), "");

    PlayerRecord& spectator = arena.addPlayer({.name = "spec", .ship = 8});
    EXPECT_EQ(flagsCarriedText(arena.spawn()), "");
    EXPECT_EQ(countPlaying(arena.spawn()), 0);

    PlayerRecord& a = arena.addPlayer({.name = "a", .team = 1});
    PlayerRecord& b = arena.addPlayer({.name = "b", .team = 0});
    PlayerRecord& c = arena.addPlayer({.name = "c", .team = 1});
    a.flagsCarried = 2;
    b.flagsCarried = 4;
    c.flagsCarried = 1;
    EXPECT_EQ(flagsCarriedText(arena.spawn()), "(1):3 (0):4");

    PlayerRecord& d = arena.addPlayer({.name = "d", .team = 100});
    PlayerRecord& e = arena.addPlayer({.name = "e", .team = 200});
    PlayerRecord& f = arena.addPlayer({.name = "f", .team = 65535});
    d.flagsCarried = 1;
    e.flagsCarried = 1;
    f.flagsCarried = 9;
    EXPECT_EQ(flagsCarriedText(arena.spawn()), "(1):3 (0):4 (Prv):1 (Prv):1");
    EXPECT_EQ(countPlaying(arena.spawn()), 6);
    (void)spectator;
}

} // namespace
} // namespace quorvel::testing
