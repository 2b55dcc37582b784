#include "warp_arena.h"

#include <gtest/gtest.h>

namespace quorvel::testing {
namespace {

TEST(TeamWarp, EachFreqGoesToItsPlaceOnEntryDeathShipAndFreqChange) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "2", "0");
    arena.writeFile("WarpTeam.ini", "500 500\n520 520\n0\n");
    PlayerRecord& one = arena.addPlayer({.name = "One", .team = 1, .ship = 2});
    arena.shipChange(one, 3);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(one, "*warpto 520 520")}));
    // The 0 after the pairs switched warping on insert off.
    EXPECT_FALSE(arena.spawn().autoWarper.insertWarpOn);
    EXPECT_TRUE(arena.spawn().autoWarper.teamWarpOn);

    PlayerRecord& two = arena.addPlayer({.name = "Two", .team = 2, .ship = 2});
    arena.shipChange(two, 1);
    EXPECT_TRUE(arena.take().empty());

    // Spectators are warped too.
    PlayerRecord& zero = arena.addPlayer({.name = "Zero", .team = 0, .ship = 8});
    arena.enter(zero);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(zero, "*warpto 500 500")}));
    arena.kill(one, two);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(one, "*warpto 520 520")}));
    arena.teamChange(two, 0);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(two, "*warpto 500 500")}));

    // The file is read again on the tick: an edit counts from the next second.
    arena.writeFile("WarpTeam.ini", "100 101 200 201 0");
    nextSecond(arena);
    arena.teamChange(two, 1);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(two, "*warpto 200 201")}));

    PlayerRecord& mod = addMod(arena);
    arena.command(mod, "twarpoff");
    arena.take();
    arena.shipChange(one, 2);
    arena.kill(two, one);
    EXPECT_TRUE(arena.take().empty());
}

TEST(TeamWarp, InsertRectangleWarpsOnlyStrictlyInside) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "2", "0");
    arena.writeFile("WarpTeam.ini", "300 300 320 320 490 490 530 530");
    PlayerRecord& p =
        arena.addPlayer({.name = "P", .team = 1, .ship = 0, .tileX = 500, .tileY = 500});
    // The rectangle is known once a team warp has read the file.
    arena.move(p);
    EXPECT_TRUE(arena.take().empty());
    arena.enter(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 320 320")}));
    EXPECT_TRUE(arena.spawn().autoWarper.insertWarpOn);

    // Team warping off does not stop the warp on insert.
    PlayerRecord& mod = addMod(arena);
    arena.command(mod, "twarpoff");
    arena.take();
    for (auto [x, y] : {std::pair{490, 500}, {530, 500}, {500, 490}, {500, 530}, {489, 500}}) {
        arena.setPosition(p, x, y);
        arena.move(p);
        EXPECT_TRUE(arena.take().empty()) << x << "," << y;
    }
    for (auto [x, y] : {std::pair{500, 500}, {491, 529}}) {
        arena.setPosition(p, x, y);
        arena.move(p);
        EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 320 320")})) << x << "," << y;
    }
    arena.command(mod, "iwarpoff");
    arena.take();
    arena.move(p);
    EXPECT_TRUE(arena.take().empty());
}

TEST(TeamWarp, WithoutTeamPlacesTheFirstNumberIsTheInsertLeft) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "0", "0");
    arena.writeFile("WarpTeam.ini", "490 491 530 531");
    PlayerRecord& p = arena.addPlayer({.name = "P", .team = 0, .ship = 0});
    arena.enter(p);
    EXPECT_TRUE(arena.take().empty());
    const AutoWarper& warper = arena.spawn().autoWarper;
    EXPECT_FALSE(warper.teamWarpOn);
    EXPECT_TRUE(warper.insertWarpOn);
    EXPECT_EQ(warper.insertArea.left, 490);
    EXPECT_EQ(warper.insertArea.top, 491);
    EXPECT_EQ(warper.insertArea.right, 530);
    EXPECT_EQ(warper.insertArea.bottom, 531);
}

TEST(TeamWarp, NoSizesSwitchTeamAndAreaWarpingOffSilently) {
    // No quorvel.ini at all, and negative sizes, which count as none.
    for (const char* settings : {"", "[Settings]\nMaxWarpTeams=-2\nMaxWarpAreas=-5\n"}) {
        TestArena arena;
        if (*settings != '\0') {
            arena.writeFile("quorvel.ini", settings);
        }
        arena.handshake();
        arena.take();
        arena.writeFile("WarpTeam.ini", "500 500 520 520 0");
        arena.writeFile("WarpArea.ini", "0 0 1024 1024 5 5");
        PlayerRecord& p = arena.addPlayer({.name = "P", .team = 0, .ship = 0});
        const AutoWarper& warper = arena.spawn().autoWarper;
        arena.enter(p);
        EXPECT_TRUE(arena.take().empty()) << settings;
        EXPECT_FALSE(warper.teamWarpOn) << settings;
        EXPECT_TRUE(warper.areaWarpOn) << settings;
        arena.move(p);
        EXPECT_TRUE(arena.take().empty()) << settings;
        EXPECT_FALSE(warper.areaWarpOn) << settings;
        // Without team places the file's first number, 500, is the insert left.
        EXPECT_EQ(warper.insertArea.left, 500) << settings;

        // Turned on again, each goes off again at its next use, without a word.
        PlayerRecord& mod = addMod(arena);
        arena.command(mod, "twarpon");
        arena.command(mod, "awarpon");
        EXPECT_EQ(arena.take(),
                  (std::vector{privateLine(mod, "Auto Team Warping is now enabled."),
                               privateLine(mod, "Auto Area Warping is now enabled.")}));
        arena.shipChange(p, 1);
        arena.move(p);
        EXPECT_TRUE(arena.take().empty()) << settings;
        EXPECT_FALSE(warper.teamWarpOn) << settings;
        EXPECT_FALSE(warper.areaWarpOn) << settings;
    }
}

TEST(TeamWarp, LeftOfMinusOneReplacesOnlyTheLeft) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "1", "0");
    arena.writeFile("WarpTeam.ini", "300 300 490 490 530 530");
    PlayerRecord& p =
        arena.addPlayer({.name = "P", .team = 0, .ship = 0, .tileX = 5, .tileY = 500});
    arena.enter(p);
    EXPECT_EQ(arena.takeTexts(), (std::vector<std::string>{"*warpto 300 300"}));
    arena.writeFile("WarpTeam.ini", "300 300 -1");
    nextSecond(arena);
    arena.shipChange(p, 1);
    EXPECT_EQ(arena.takeTexts(), (std::vector<std::string>{"*warpto 300 300"}));
    const AutoWarper& warper = arena.spawn().autoWarper;
    EXPECT_FALSE(warper.insertWarpOn);
    EXPECT_EQ(warper.insertArea.left, -1);
    EXPECT_EQ(warper.insertArea.right, 530);

    // Back on, the rectangle from -1 to 530 holds the player, and the team
    // warp it causes reads the -1 again and switches it off.
    PlayerRecord& mod = addMod(arena);
    arena.command(mod, "iwarpon");
    arena.take();
    arena.move(p);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(p, "*warpto 300 300")}));
    EXPECT_FALSE(warper.insertWarpOn);
}

TEST(TeamWarp, ShipCheckComesBeforeTheWarp) {
    TestArena arena;
    handshakeWithWarpSizes(arena, "1", "0");
    arena.writeFile("WarpTeam.ini", "300 310 0");
    PlayerRecord& mod = addMod(arena);
    arena.command(mod, "check");
    arena.take();
    PlayerRecord& p = arena.addPlayer({.name = "P", .team = 0, .ship = 4});
    arena.enter(p);
    EXPECT_EQ(arena.take(),
              (std::vector{privateLine(p, "*setship 1"), privateLine(p, "*warpto 300 310")}));
}

} // namespace
} // namespace quorvel::testing
