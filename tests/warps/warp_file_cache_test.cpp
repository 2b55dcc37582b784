#include "warp_arena.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace quorvel::testing {
namespace {

using std::chrono::minutes;

void stampFile(TestArena& arena, const std::string& name, std::filesystem::file_time_type when) {
    std::filesystem::last_write_time(std::filesystem::path(arena.directory()) / name, when);
}

std::filesystem::file_time_type minutesAgo(int count) {
    return std::filesystem::file_time_type::clock::now() - minutes(count);
}

// A file that has settled is parsed once and kept while its size and
// modification time stay the same; any change of either is read at the next
// move, and a file that disappears is missed at once.
TEST(WarpFileCache, ASettledAreaFileIsReadAgainOnlyWhenItsStampChanges) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "0", "1");
    PlayerRecord& p =
        arena.addPlayer({.name = "P", .team = 1, .ship = 2, .tileX = 500, .tileY = 500});
    arena.writeFile("WarpArea.ini", "400 400 600 600 100 100");
    const auto written = minutesAgo(60);
    stampFile(arena, "WarpArea.ini", written);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 100 100")}));

    // Same size, same stamp: the last parse stands.
    arena.writeFile("WarpArea.ini", "400 400 600 600 700 710");
    stampFile(arena, "WarpArea.ini", written);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 100 100")}));

    // Same size, later stamp.
    stampFile(arena, "WarpArea.ini", minutesAgo(30));
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 700 710")}));

    // Same stamp, other size.
    arena.writeFile("WarpArea.ini", "400 400 600 600 70 71");
    stampFile(arena, "WarpArea.ini", minutesAgo(30));
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 70 71")}));

    std::filesystem::remove(std::filesystem::path(arena.directory()) / "WarpArea.ini");
    arena.move(p);
    EXPECT_EQ(arena.take(),
              (std::vector{console("WarpArea.ini error: file not found, no area is used")}));
    arena.writeFile("WarpArea.ini", "400 400 600 600 5 6");
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 5 6")}));
}

// A file read in the same instant it was written may be written again
// within the clock's granularity: its stamp is not trusted until it is old.
TEST(WarpFileCache, AFreshFileIsReadAtEveryMoveUntilItHasSettled) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "0", "1");
    PlayerRecord& p =
        arena.addPlayer({.name = "P", .team = 1, .ship = 2, .tileX = 500, .tileY = 500});
    arena.writeFile("WarpArea.ini", "400 400 600 600 100 100");
    const auto written = minutesAgo(0);
    stampFile(arena, "WarpArea.ini", written);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 100 100")}));
    arena.writeFile("WarpArea.ini", "400 400 600 600 700 710");
    stampFile(arena, "WarpArea.ini", written);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 700 710")}));
}

// The team file follows the same rule, for every count and insert choice
// it is asked with.
TEST(WarpFileCache, TheTeamFileIsParsedAgainWhenItChanges) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "2", "0");
    PlayerRecord& mod = addMod(arena);
    arena.command(mod, "iwarpoff");
    arena.take();
    arena.writeFile("WarpTeam.ini", "10 10 20 20");
    stampFile(arena, "WarpTeam.ini", minutesAgo(60));
    PlayerRecord& p = arena.addPlayer({.name = "P", .team = 1, .ship = 2});
    arena.enter(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 20 20")}));
    arena.writeFile("WarpTeam.ini", "10 10 30 30");
    stampFile(arena, "WarpTeam.ini", minutesAgo(50));
    arena.teamChange(p, 1);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 30 30")}));
    arena.teamChange(p, 0);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 10 10")}));
}

} // namespace
} // namespace quorvel::testing
