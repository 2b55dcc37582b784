#include "warp_arena.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace quorvel::testing {
namespace {

using std::chrono::hours;

void stampFile(TestArena& arena, const std::string& name, std::filesystem::file_time_type when) {
    std::filesystem::last_write_time(std::filesystem::path(arena.directory()) / name, when);
}

std::filesystem::file_time_type hoursFromNow(int count) {
    return std::filesystem::file_time_type::clock::now() + hours(count);
}

// A file put in place with its old size and time stamp (cp -p, rsync -a,
// tar) is told apart by its bytes alone, at the next tick.
TEST(WarpFileCache, NewContentsWithTheOldSizeAndStampAreSeenAtTheNextTick) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "1", "1");
    PlayerRecord& mod = addMod(arena);
    arena.command(mod, "iwarpoff");
    arena.take();
    const auto written = hoursFromNow(-1);
    arena.writeFile("WarpArea.ini", "400 400 600 600 100 100");
    arena.writeFile("WarpTeam.ini", "10 10");
    stampFile(arena, "WarpArea.ini", written);
    stampFile(arena, "WarpTeam.ini", written);
    PlayerRecord& p =
        arena.addPlayer({.name = "P", .team = 0, .ship = 2, .tileX = 500, .tileY = 500});
    arena.move(p);
    arena.enter(p);
    EXPECT_EQ(arena.takeTexts(), (std::vector<std::string>{"*warpto 100 100", "*warpto 10 10"}));

    arena.writeFile("WarpArea.ini", "400 400 600 600 700 710");
    arena.writeFile("WarpTeam.ini", "20 20");
    stampFile(arena, "WarpArea.ini", written);
    stampFile(arena, "WarpTeam.ini", written);
    nextSecond(arena);
    arena.move(p);
    arena.enter(p);
    EXPECT_EQ(arena.takeTexts(), (std::vector<std::string>{"*warpto 700 710", "*warpto 20 20"}));

    // A file taken away is missed at the next tick, and found again.
    std::filesystem::remove(std::filesystem::path(arena.directory()) / "WarpArea.ini");
    nextSecond(arena);
    arena.move(p);
    EXPECT_EQ(arena.take(),
              (std::vector{console("WarpArea.ini error: file not found, no area is used")}));
    arena.writeFile("WarpArea.ini", "400 400 600 600 5 6");
    nextSecond(arena);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 5 6")}));
}

// Whatever its stamp (here an hour ahead, as after the clock was set back),
// a file read once is not looked at again before the next tick: moves
// between two ticks use the last parse.
TEST(WarpFileCache, MovesBetweenTicksUseTheLastParseWhateverTheStamp) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "0", "1");
    PlayerRecord& p =
        arena.addPlayer({.name = "P", .team = 1, .ship = 2, .tileX = 500, .tileY = 500});
    arena.writeFile("WarpArea.ini", "400 400 600 600 100 100");
    stampFile(arena, "WarpArea.ini", hoursFromNow(1));
    // Before any tick, the first move reads the file.
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 100 100")}));

    arena.writeFile("WarpArea.ini", "400 400 600 600 70 71 ");
    stampFile(arena, "WarpArea.ini", hoursFromNow(2));
    arena.move(p);
    arena.move(p);
    EXPECT_EQ(arena.takeTexts(), (std::vector<std::string>{"*warpto 100 100", "*warpto 100 100"}));
    nextSecond(arena);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 70 71")}));
}

} // namespace
} // namespace quorvel::testing
