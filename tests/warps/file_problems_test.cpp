#include "warp_arena.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quorvel::testing {
namespace {

const std::string areaShort = "WarpArea.ini error: fewer numbers than MaxWarpAreas records need, "
                              "incomplete records are not used";
const std::string areaDamaged = "WarpArea.ini error: a value is not a whole number, it and every "
                                "value after it are not used";
const std::string areaMissing = "WarpArea.ini error: file not found, no area is used";
const std::string teamShort = "WarpTeam.ini error: fewer numbers than MaxWarpTeams and the insert "
                              "rectangle need, what is missing is not used";
const std::string teamDamaged = "WarpTeam.ini error: a value is not a whole number, it and every "
                                "value after it are not used";
const std::string teamMissing = "WarpTeam.ini error: file not found, no team place is used";

std::vector<std::string> warpsIn(const std::vector<Sent>& sent) {
    std::vector<std::string> warps;
    for (const Sent& s : sent) {
        if (s.text.starts_with("*warpto")) {
            warps.push_back(s.text);
        }
    }
    return warps;
}

TEST(WarpFileProblems, DamagedAreasAreSkippedAndToldOncePerProblem) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "0", "3");
    // The second record lacks its destination y: its rectangle holds the
    // player but there is nowhere read to send him.
    arena.writeFile("WarpArea.ini", "0 0 10 10 20 20\n400 400 600 600 77");
    PlayerRecord& p =
        arena.addPlayer({.name = "P", .team = 0, .ship = 0, .tileX = 500, .tileY = 500});
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{console(areaShort)}));
    arena.move(p);
    arena.move(p);
    EXPECT_TRUE(arena.take().empty());

    // An edit that leaves the file broken is told again, once.
    arena.writeFile("WarpArea.ini", "400 400 600 600 100 100\n400 400 600 600 x 5\n");
    nextSecond(arena);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 100 100"), console(areaDamaged)}));
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 100 100")}));

    // A number beyond 32 bits is no number, and nothing after it counts.
    arena.writeFile("WarpArea.ini", "400 400 600 600 4294967396 100 400 400 600 600 9 9 1 2");
    nextSecond(arena);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{console(areaDamaged)}));

    arena.writeFile("WarpArea.ini", "");
    nextSecond(arena);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{console(areaShort)}));

    // A sound file forgets the notice; the same problem coming back is told.
    arena.writeFile("WarpArea.ini", "0 0 1 1 2 2  0 0 1 1 2 2  0 0 1 1 2 2");
    nextSecond(arena);
    arena.move(p);
    EXPECT_TRUE(arena.take().empty());
    arena.writeFile("WarpArea.ini", "");
    nextSecond(arena);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{console(areaShort)}));

    std::remove((arena.directory() + "/WarpArea.ini").c_str());
    nextSecond(arena);
    arena.move(p);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{console(areaMissing)}));
}

TEST(WarpFileProblems, TeamPlacesNotReadAreNeverUsed) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "3", "0");
    arena.writeFile("WarpTeam.ini", "100 100 200 200 490 490 530 530");
    PlayerRecord& zero = arena.addPlayer({.name = "Zero", .team = 0, .ship = 0});
    PlayerRecord& one =
        arena.addPlayer({.name = "One", .team = 1, .ship = 0, .tileX = 500, .tileY = 500});
    PlayerRecord& two = arena.addPlayer({.name = "Two", .team = 2, .ship = 0});
    // Three teams take six numbers, the rectangle's four give freq 2 its
    // place and the insert left, and then the file ends.
    arena.enter(two);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(two, "*warpto 490 490"), console(teamShort)}));
    arena.enter(one);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(one, "*warpto 200 200")}));
    // The left 530 was read but not the rest: no rectangle is in use.
    EXPECT_EQ(arena.spawn().autoWarper.insertArea.left, 0);
    arena.move(one);
    EXPECT_TRUE(arena.take().empty());

    // Freq 1's x without its y: freq 1 stays put, freq 0 still goes.
    arena.writeFile("WarpTeam.ini", "100 100 200");
    nextSecond(arena);
    arena.enter(one);
    arena.enter(two);
    arena.enter(zero);
    EXPECT_EQ(arena.take(),
              (std::vector{console(teamShort), privateLine(zero, "*warpto 100 100")}));

    arena.writeFile("WarpTeam.ini", "100 100 2OO 200 300 300 0");
    nextSecond(arena);
    arena.enter(one);
    arena.enter(zero);
    EXPECT_EQ(arena.take(),
              (std::vector{console(teamDamaged), privateLine(zero, "*warpto 100 100")}));

    std::remove((arena.directory() + "/WarpTeam.ini").c_str());
    nextSecond(arena);
    arena.enter(zero);
    arena.kill(zero, one);
    EXPECT_EQ(arena.take(), (std::vector{console(teamMissing)}));
}

TEST(WarpFileProblems, ARectangleReadInPartIsDroppedNotPatched) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "1", "0");
    arena.writeFile("WarpTeam.ini", "300 300 490 490 530 530");
    PlayerRecord& p =
        arena.addPlayer({.name = "P", .team = 0, .ship = 0, .tileX = 500, .tileY = 500});
    arena.enter(p);
    arena.move(p);
    EXPECT_EQ(warpsIn(arena.take()),
              (std::vector<std::string>{"*warpto 300 300", "*warpto 300 300"}));
    // The file now ends after the new left: the old top, right and bottom
    // must not complete it.
    arena.writeFile("WarpTeam.ini", "300 300 480");
    nextSecond(arena);
    arena.enter(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 300 300"), console(teamShort)}));
    arena.move(p);
    EXPECT_TRUE(arena.take().empty());
    EXPECT_TRUE(arena.spawn().autoWarper.insertWarpOn);

    // Repaired, the next team warp brings the rectangle back.
    arena.writeFile("WarpTeam.ini", "300 300 480 480 520 520");
    nextSecond(arena);
    arena.enter(p);
    arena.move(p);
    EXPECT_EQ(arena.takeTexts(), (std::vector<std::string>{"*warpto 300 300", "*warpto 300 300"}));

    // A file that ends with the pairs holds no rectangle any more either.
    arena.writeFile("WarpTeam.ini", "300 300\n");
    nextSecond(arena);
    arena.enter(p);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 300 300"), console(teamShort)}));
}

TEST(WarpFileProblems, AreasOnALoopAreToldOnceAndNotUsed) {
    const std::string selfLoop =
        "WarpArea.ini error: the destination of area 1 leads back into the area, it is not used";
    TestArena arena;
    handshakeWithWarpSizes(arena, "0", "2");
    arena.writeFile("WarpArea.ini", "100 100 120 120 110 110\n400 400 600 600 50 50\n");
    PlayerRecord& p =
        arena.addPlayer({.name = "P", .team = 0, .ship = 0, .tileX = 500, .tileY = 500});
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 50 50"), console(selfLoop)}));
    arena.setPosition(p, 110, 110);
    arena.move(p);
    arena.move(p);
    EXPECT_TRUE(arena.take().empty());

    // Edited and still looping: told again; the other area's loop is another.
    arena.writeFile("WarpArea.ini", "100 100 120 120 111 111\n400 400 600 600 50 50\n");
    nextSecond(arena);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{console(selfLoop)}));
    arena.writeFile("WarpArea.ini", "100 100 120 120 50 50\n400 400 600 600 500 500\n");
    nextSecond(arena);
    arena.move(p);
    EXPECT_EQ(arena.take(),
              (std::vector{privateLine(p, "*warpto 50 50"),
                           console("WarpArea.ini error: the destination of area 2 leads back into "
                                   "the area, it is not used")}));

    // Mended, the notice is forgotten: the same loop coming back is told.
    arena.writeFile("WarpArea.ini", "100 100 120 120 50 50\n400 400 600 600 60 60\n");
    nextSecond(arena);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 50 50")}));
    arena.writeFile("WarpArea.ini", "100 100 120 120 110 110\n400 400 600 600 50 50\n");
    nextSecond(arena);
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{console(selfLoop)}));
}

TEST(WarpFileProblems, NoFileIsNeededWithoutTeamPlaces) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "0", "0");
    PlayerRecord& p = arena.addPlayer({.name = "P", .team = 0, .ship = 0});
    arena.enter(p);
    arena.move(p);
    EXPECT_TRUE(arena.take().empty());
    EXPECT_TRUE(arena.spawn().autoWarper.insertWarpOn);
    EXPECT_EQ(arena.spawn().autoWarper.insertArea.left, 0);
}

} // namespace
} // namespace quorvel::testing
