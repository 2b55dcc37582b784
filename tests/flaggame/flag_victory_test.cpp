#include "flag_arena.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace quorvel::testing {
namespace {

using Texts = std::vector<std::string>;

const std::string header = "*arena Name               Squad              Win   Loss  Flag pts  ";
const std::string goldMessage =
    "*arena Flag Game Won!!! 100 Gold has been given to all players on winning team.";

PlayerRecord& scored(PlayerRecord& player, std::uint16_t wins, std::uint16_t losses,
                     std::int32_t points) {
    player.wins = wins;
    player.losses = losses;
    player.flagPoints = points;
    return player;
}

TEST(FlagVictory, TableObjectAndGoldWhileTheStoreIsOn) {
    ASSERT_EQ(header.size(), 67u);
    TestArena arena;
    connectWithIni(arena, storeIni(""));
    scored(arena.addPlayer({.name = "Alice", .team = 1, .squad = "Aces"}), 12, 3, 4500);
    arena.addPlayer({.name = "Loser", .team = 0});
    PlayerRecord& full =
        scored(arena.addPlayer({.name = "NineteenCharsLong19", .team = 1}), 65535, 0, -20);
    // The host's squad field may be filled to its last byte without a NUL.
    std::memcpy(full.squad, "ASquadNameOfTwenty!!", sizeof full.squad);
    scored(arena.addPlayer({.name = "Viewer", .team = 1, .ship = 8}), 0, 0, 0);
    arena.gold().credit("alice", 4294967290u); // near the top: the award stops there
    arena.flagWin(1);

    std::vector<Sent> sent = arena.take();
    for (const Sent& line : sent) {
        EXPECT_EQ(line, publicLine(line.text)) << describe(line);
    }
    Texts texts;
    for (const Sent& line : sent) {
        texts.push_back(line.text);
    }
    EXPECT_EQ(texts, (Texts{
                         header,
                         "*arena Alice              Aces               12    3     4500      ",
                         "*arena NineteenCharsLong19ASquadNameOfTwenty!65535 0     -20       ",
                         "*arena Viewer                                0     0     0         ",
                         "*objon 1",
                         goldMessage,
                     }));
    const GoldLedger& gold = arena.gold();
    EXPECT_EQ(gold.balance("Alice"), 4294967295u);
    EXPECT_EQ(gold.balance("NineteenCharsLong19"), 100u);
    EXPECT_EQ(gold.balance("Viewer"), 100u);
    EXPECT_EQ(gold.balance("Loser"), 0u);
    EXPECT_EQ(gold.find("Loser"), nullptr);
}

TEST(FlagVictory, StoreOffListsWithoutGold) {
    TestArena arena;
    connectWithIni(arena, "");
    arena.addPlayer({.name = "Bob", .team = 2});
    arena.flagWin(2);
    EXPECT_EQ(arena.takeTexts(),
              (Texts{header, "*arena Bob                                   0     0     0         ",
                     "*objon 2"}));
    EXPECT_EQ(arena.gold().size(), 0u);
}

TEST(FlagVictory, ShutupPaysQuietlyOrDoesNothing) {
    TestArena arena;
    connectWithIni(arena, storeIni(""));
    const PlayerRecord& mod = arena.addPlayer({.name = "Mod", .team = 0, .accessLevel = 2});
    arena.addPlayer({.name = "Win", .team = 3});
    arena.addPlayer({.name = "Win2", .team = 3});
    arena.command(mod, "shutup");
    arena.take();

    arena.flagWin(3);
    EXPECT_EQ(arena.takeTexts(), Texts{goldMessage});
    EXPECT_EQ(arena.gold().balance("Win"), 100u);
    EXPECT_EQ(arena.gold().balance("Win2"), 100u);
    EXPECT_EQ(arena.gold().balance("Mod"), 0u);

    arena.spawn().gold.storeOn = false;
    arena.flagWin(3);
    EXPECT_TRUE(arena.take().empty());
    EXPECT_EQ(arena.gold().balance("Win"), 100u);

    arena.command(mod, "start");
    arena.take();
    arena.flagWin(3);
    EXPECT_EQ(arena.takeTexts().size(), 4u); // header, two rows, *objon
}

TEST(FlagVictory, NegativeAwardTakesGoldButNeverBelowZero) {
    TestArena arena;
    connectWithIni(arena, storeIni("FlagVictory=-50\n"));
    arena.addPlayer({.name = "Rich", .team = 1});
    arena.addPlayer({.name = "Poor", .team = 1});
    arena.gold().credit("Rich", 80);
    arena.gold().credit("Poor", 20);
    arena.flagWin(1);
    EXPECT_EQ(arena.takeTexts().back(),
              "*arena Flag Game Won!!! -50 Gold has been given to all players on winning team.");
    EXPECT_EQ(arena.gold().balance("Rich"), 30u);
    EXPECT_EQ(arena.gold().balance("Poor"), 0u);
}

} // namespace
} // namespace quorvel::testing
