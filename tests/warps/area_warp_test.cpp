#include "warp_arena.h"

#include <gtest/gtest.h>

namespace quorvel::testing {
namespace {

TEST(AreaWarp, EveryAreaThePlayerIsInsideSendsHimOnInFileOrder) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "0", "3");
    arena.writeFile("WarpArea.ini", "400 400 600 600 100 100\n"
                                    "450 450 550 550 200 200\n"
                                    "0 0 10 10 300 300\n");
    // Any freq and any ship, spectators included.
    PlayerRecord& p =
        arena.addPlayer({.name = "P", .team = 17, .ship = 8, .tileX = 500, .tileY = 500});
    arena.move(p);
    EXPECT_EQ(arena.take(),
              (std::vector{privateLine(p, "*warpto 100 100"), privateLine(p, "*warpto 200 200")}));
    arena.setPosition(p, 420, 420);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 100 100")}));
    arena.setPosition(p, 400, 500);
    arena.move(p);
    arena.setPosition(p, 10, 5);
    arena.move(p);
    EXPECT_TRUE(arena.take().empty());
    arena.setPosition(p, 9, 1);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 300 300")}));

    PlayerRecord& mod = addMod(arena);
    arena.command(mod, "awarpoff");
    arena.take();
    arena.setPosition(p, 500, 500);
    arena.move(p);
    EXPECT_TRUE(arena.take().empty());
}

TEST(AreaWarp, AnEditTakesEffectAtTheNextTick) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "0", "1");
    arena.writeFile("WarpArea.ini", "400 400 600 600 100 100");
    PlayerRecord& p =
        arena.addPlayer({.name = "P", .team = 1, .ship = 2, .tileX = 500, .tileY = 500});
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 100 100")}));
    arena.writeFile("WarpArea.ini", "400 400 600 600 700 710");
    arena.tick();
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 700 710")}));
    arena.writeFile("WarpArea.ini", "0 0 20 20 700 710");
    arena.tick();
    arena.move(p);
    EXPECT_TRUE(arena.take().empty());
}

} // namespace
} // namespace quorvel::testing
