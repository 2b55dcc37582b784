#include "flag_arena.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvel::testing {
namespace {

using Texts = std::vector<std::string>;

const std::string penaltyFive = "No Anti-Warp in center. You lose 5 Gold from your account.";
const std::string tooPoorFive =
    "Earn some Gold for you account so I can take 5 away to punish you next time!";

PlayerRecord& withAntiwarp(PlayerRecord& player) {
    player.antiwarpOn = 1;
    return player;
}

TEST(AntiwarpWatch, OnlyShipsWithAntiwarpInsideTheSquareAreStripped) {
    TestArena arena;
    connectWithIni(arena, "");
    PlayerRecord& centre = withAntiwarp(arena.addPlayer({.name = "Centre"}));
    PlayerRecord& spectator = withAntiwarp(arena.addPlayer({.name = "Viewer", .ship = 8}));
    PlayerRecord& clean = arena.addPlayer({.name = "Clean"});
    PlayerRecord& edge = withAntiwarp(arena.addPlayer({.name = "Edge", .tileX = 522}));
    PlayerRecord& corner =
        withAntiwarp(arena.addPlayer({.name = "Corner", .tileX = 503, .tileY = 521}));

    arena.move(spectator);
    arena.move(clean);
    arena.move(edge);
    arena.setPosition(edge, 502, 512);
    arena.move(edge);
    EXPECT_TRUE(arena.take().empty());

    arena.move(centre);
    arena.move(centre); // still on: taken again on every report
    arena.move(corner);
    EXPECT_EQ(arena.take(), (std::vector<Sent>{privateLine(centre, "*prize #-20"),
                                               privateLine(centre, "*prize #-20"),
                                               privateLine(corner, "*prize #-20")}));
    EXPECT_EQ(arena.gold().size(), 0u); // the store is off: no gold side
}

TEST(AntiwarpWatch, PenaltyWithAndWithoutEnoughGold) {
    TestArena arena;
    connectWithIni(arena, storeIni(""));
    PlayerRecord& rich = withAntiwarp(arena.addPlayer({.name = "Rich"}));
    PlayerRecord& poor = withAntiwarp(arena.addPlayer({.name = "Poor"}));
    PlayerRecord& broke = withAntiwarp(arena.addPlayer({.name = "Broke"}));
    arena.gold().credit("Rich", 7);
    arena.gold().credit("Poor", 4);

    arena.move(rich);
    EXPECT_EQ(arena.take(), (std::vector<Sent>{privateLine(rich, "*prize #-20"),
                                               privateLine(rich, penaltyFive)}));
    EXPECT_EQ(arena.gold().balance("Rich"), 2u);
    arena.move(rich); // 2 left is too little for the next one
    EXPECT_EQ(arena.take(), (std::vector<Sent>{privateLine(rich, "*prize #-20"),
                                               privateLine(rich, tooPoorFive)}));
    EXPECT_EQ(arena.gold().balance("Rich"), 2u);

    arena.move(poor);
    EXPECT_EQ(arena.takeTexts(), (Texts{"*prize #-20", tooPoorFive}));
    EXPECT_EQ(arena.gold().balance("Poor"), 4u);

    arena.move(broke);
    EXPECT_EQ(arena.takeTexts(), (Texts{"*prize #-20", tooPoorFive}));
    EXPECT_EQ(arena.gold().find("Broke"), nullptr);

    arena.gold().credit("Poor", 1); // exactly the penalty: taken, down to 0
    arena.move(poor);
    EXPECT_EQ(arena.takeTexts(), (Texts{"*prize #-20", penaltyFive}));
    EXPECT_EQ(arena.gold().balance("Poor"), 0u);
}

TEST(AntiwarpWatch, ZeroOrNegativePenaltyNeverCreatesGold) {
    for (const char* setting :
         {"AntiInCenter=0\n", "AntiInCenter=-5\n", "AntiInCenter=-2147483648\n"}) {
        TestArena arena;
        connectWithIni(arena, storeIni(setting));
        PlayerRecord& player = withAntiwarp(arena.addPlayer({.name = "Player"}));
        arena.gold().credit("Player", 3);
        arena.move(player);
        EXPECT_EQ(
            arena.takeTexts(),
            (Texts{"*prize #-20", "No Anti-Warp in center. You lose 0 Gold from your account."}))
            << setting;
        EXPECT_EQ(arena.gold().balance("Player"), 3u) << setting;
    }
}

TEST(AntiwarpWatch, HugePenaltyIsComparedUnsignedAndNeverWraps) {
    TestArena arena;
    connectWithIni(arena, storeIni("AntiInCenter=2147483647\n"));
    PlayerRecord& player = withAntiwarp(arena.addPlayer({.name = "Player"}));
    arena.gold().credit("Player", 2147483646u);
    arena.move(player);
    EXPECT_EQ(
        arena.takeTexts().back(),
        "Earn some Gold for you account so I can take 2147483647 away to punish you next time!");
    arena.gold().credit("Player", 2u);
    arena.move(player);
    EXPECT_EQ(arena.gold().balance("Player"), 1u);
}

TEST(FlagCommands, AradiusShowsSetsAndRefuses) {
    TestArena arena;
    connectWithIni(arena, "");
    const PlayerRecord& mod = arena.addPlayer({.name = "Mod", .accessLevel = 2});
    PlayerRecord& pilot = withAntiwarp(arena.addPlayer({.name = "Pilot", .tileX = 530}));
    auto reply = [&](const std::string& text) {
        arena.take();
        arena.command(mod, "aradius", text);
        std::vector<Sent> sent = arena.take();
        EXPECT_EQ(sent.size(), 1u) << text;
        EXPECT_EQ(sent.at(0), privateLine(mod, sent.at(0).text));
        return sent.at(0).text;
    };
    const std::string invalid = "Invalid radius.  !aradius <count of tiles>";

    EXPECT_EQ(reply(""), "Radius is 10");
    for (const char* bad : {"abc", "5 ", " 5", "+5", "-", "1-2", "2147483648", "4294967306",
                            "-2147483649", "99999999999999999999"}) {
        EXPECT_EQ(reply(bad), invalid) << bad;
    }
    EXPECT_EQ(reply(""), "Radius is 10");

    EXPECT_EQ(reply("20"), "Radius set.");
    EXPECT_EQ(reply(""), "Radius is 20");
    arena.move(pilot); // 18 tiles out is inside 20
    EXPECT_EQ(arena.takeTexts(), Texts{"*prize #-20"});

    EXPECT_EQ(reply("-5"), "Radius set.");
    EXPECT_EQ(reply(""), "Radius is -5");
    arena.setPosition(pilot, 512, 512);
    arena.move(pilot); // no tile lies inside a negative square
    EXPECT_TRUE(arena.take().empty());

    EXPECT_EQ(reply("0"), "Radius set.");
    arena.move(pilot);
    EXPECT_TRUE(arena.take().empty());
    EXPECT_EQ(reply("-2147483648"), "Radius set.");
    EXPECT_EQ(reply(""), "Radius is -2147483648");
    EXPECT_EQ(reply("2147483647"), "Radius set.");
    arena.setPosition(pilot, -100000000, 100000000);
    arena.move(pilot);
    EXPECT_EQ(arena.takeTexts(), Texts{"*prize #-20"});
}

} // namespace
} // namespace quorvel::testing
