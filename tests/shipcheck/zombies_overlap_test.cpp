// The ship checker and the zombies game both correct ships. While the
// zombies game is on it alone looks after its two freqs; left to both, a
// third zombie in a Leviathan on freq 1 would be flipped between ships for
// ever.
#include "support/test_arena.h"

#include <gtest/gtest.h>

namespace quorvel::testing {
namespace {

constexpr std::uint8_t warbird = 0, javelin = 1, leviathan = 3, spectator = 8;

TEST(ZombiesOverlap, TheZombiesGameAloneCorrectsItsFreqsWhileItIsOn) {
    TestArena arena;
    arena.writeFile("Ghoulset.ini", "0 1\n1 4\n0 0 0 0");
    arena.handshake();
    PlayerRecord& mod =
        arena.addPlayer({.name = "Mod", .team = 9, .ship = spectator, .accessLevel = 2});
    arena.command(mod, "check");
    // Two zombies already fly Leviathans on freq 1, the special ship's limit.
    for (const char* name : {"Z1", "Z2"}) {
        PlayerRecord& zombie = arena.addPlayer({.name = name, .team = 1, .ship = leviathan});
        arena.spawn().playerTags.set(&zombie, 0, 1);
    }
    PlayerRecord& third = arena.addPlayer({.name = "Z3", .team = 1, .ship = spectator});
    arena.spawn().playerTags.set(&third, 0, 1);
    PlayerRecord& other = arena.addPlayer({.name = "Other", .team = 2, .ship = spectator});
    arena.take();

    // Checker alone: the third Leviathan on freq 1 goes back to a Spider.
    arena.shipChange(third, leviathan);
    EXPECT_EQ(arena.take(), std::vector<Sent>{privateLine(third, "*setship 3")});

    // Zombies on: only the zombies game answers for freqs 0 and 1.
    arena.command(mod, "zon");
    arena.take();
    arena.shipChange(third, leviathan);
    EXPECT_EQ(arena.take(), std::vector<Sent>{privateLine(third, "*setship 4")});
    PlayerRecord& human = arena.addPlayer({.name = "H", .team = 0, .ship = spectator});
    arena.shipChange(human, javelin);
    EXPECT_EQ(arena.take(), std::vector<Sent>{privateLine(human, "*setship 1")});

    // Other freqs are still kept to the line-up.
    arena.shipChange(other, warbird);
    EXPECT_EQ(arena.take(), std::vector<Sent>{privateLine(other, "*setship 5")});
}

} // namespace
} // namespace quorvel::testing
