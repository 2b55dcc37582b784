#include "support/test_arena.h"

#include <gtest/gtest.h>

namespace quorvel::testing {
namespace {

TEST(CheckCommands, RepliesForEachStateAndOnlyStaffReachThem) {
    TestArena arena;
    arena.handshake();
    PlayerRecord& player = arena.addPlayer({.name = "Pat", .team = 0, .ship = 2});
    PlayerRecord& mod = arena.addPlayer({.name = "Mod", .team = 9, .ship = 8, .accessLevel = 2});
    arena.take();

    arena.command(player, "check");
    EXPECT_TRUE(arena.take().empty());
    EXPECT_FALSE(arena.spawn().shipChecker.shipCheckOn);

    arena.command(mod, "notcheck");
    EXPECT_EQ(arena.take(), (std::vector{privateLine(mod, "Ship checking already disabled.")}));
    arena.command(mod, "check");
    EXPECT_EQ(arena.take(),
              (std::vector{privateLine(mod, "Ship checking for freqs 0, 1, and 2 enabled.")}));
    EXPECT_TRUE(arena.spawn().shipChecker.shipCheckOn);
    arena.command(mod, "check");
    EXPECT_EQ(arena.take(), (std::vector{privateLine(mod, "Ship checking already enabled.")}));
    arena.command(mod, "notcheck");
    EXPECT_EQ(arena.take(),
              (std::vector{privateLine(mod, "Ship checking for freqs 0, 1, and 2 disabled.")}));
    EXPECT_FALSE(arena.spawn().shipChecker.shipCheckOn);

    // Switching on examines nobody: Pat's Spider on freq 0 waits for his
    // next change.
    arena.command(mod, "check");
    EXPECT_EQ(arena.take().size(), 1u);
    arena.shipChange(player, 2);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(player, "*setship 1")}));
}

} // namespace
} // namespace quorvel::testing
