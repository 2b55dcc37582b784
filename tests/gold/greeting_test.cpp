#include "economy_arena.h"

namespace quorvel::testing {
namespace {

std::string invRecord(std::string name, std::array<std::int32_t, 8> counts) {
    name.resize(20, '\0');
    for (std::int32_t count : counts) {
        for (int i = 0; i < 4; ++i) {
            name.push_back(static_cast<char>(static_cast<std::uint32_t>(count) >> (8 * i) & 0xFF));
        }
    }
    return name;
}

// The lines of an !inv listing between its heading and its last line.
std::vector<std::string> itemLines(TestArena& arena, const PlayerRecord& player) {
    arena.command(player, "inv");
    std::vector<std::string> texts = arena.takeTexts();
    if (texts.size() < 4) {
        return texts;
    }
    return {texts.begin() + 3, texts.end() - 1};
}

TEST(Greeting, WithInvDatTheInventoryComesBackInAnyLetterCase) {
    TestArena arena;
    arena.writeFile("inv.dat", invRecord("bOB", {1, 2, 3, 4, 5, 6, 7, 8}));
    openStore(arena);
    arena.gold().credit("Bob", 70);
    auto& bob = arena.addPlayer({.name = "Bob", .ship = 1});
    arena.enter(bob);
    EXPECT_TRUE(sentExactly(
        arena.take(),
        {privateLine(bob, "Welcome Bob. You have 70 Gold in your account. Type ::!help for "
                          "command list."),
         privateLine(bob, "Hello Bob, Your Inventory has been reloaded from the last time you "
                          "visited.")}));
    EXPECT_EQ(itemLines(arena, bob),
              (std::vector<std::string>{
                  "guns                1                   Increase Power of Guns by 1 level",
                  "bombs               2                   Increase Power of Bombs by 1 level",
                  "multi               3                   Receive  MultiFire",
                  "super               4                   Temp Super!",
                  "shield              5                   Temp Shields",
                  "thor                6                   Increase Thor's Hammer count",
                  "prize               7                   Multi-Prize",
                  "portal              8                   Increase Portal count"}));
    EXPECT_EQ(arena.spawn().playerTags.get(&bob, 900), 1);
    EXPECT_EQ(arena.inventory().size(), 1u);

    // A newcomer gets a zero record and no "Hello"; no gold account is opened.
    auto& ann = arena.addPlayer({.name = "Ann", .ship = 1});
    arena.enter(ann);
    EXPECT_TRUE(
        sentExactly(arena.take(), {privateLine(ann, "Welcome Ann. You have 0 Gold in your account. "
                                                    "Type ::!help for command list.")}));
    ASSERT_EQ(arena.inventory().size(), 2u);
    EXPECT_STREQ(arena.inventory().records()[1].name, "Ann");
    EXPECT_EQ(arena.gold().find("Ann"), nullptr);

    // Leaving drops the tags; coming back, the kill notices are on again
    // and the items are what the record holds.
    arena.command(bob, "inv", "guns");
    arena.command(bob, "hide");
    arena.leave(bob);
    arena.take();
    auto& again = arena.addPlayer({.name = "Bob", .ship = 1});
    arena.enter(again);
    arena.take();
    const std::vector<std::string> held = itemLines(arena, again);
    ASSERT_EQ(held.size(), 7u);
    EXPECT_EQ(held[0],
              "bombs               2                   Increase Power of Bombs by 1 level");
    EXPECT_EQ(arena.spawn().playerTags.get(&again, 900), 1);
}

TEST(Greeting, WithoutInvDatAPlayerWhoComesBackKeepsWhatTheyBought) {
    TestArena arena;
    openStore(arena);
    arena.gold().credit("Bob", 1000);
    auto& bob = arena.addPlayer({.name = "Bob", .ship = 1});
    arena.enter(bob);
    EXPECT_TRUE(sentExactly(arena.take(), {privateLine(bob, "Welcome Bob. You have 1000 Gold in "
                                                            "your account. Type ::!help for "
                                                            "command list.")}));
    ASSERT_EQ(arena.inventory().size(), 1u);
    EXPECT_EQ(arena.inventory().records()[0].counts, (std::array<std::int32_t, 8>{}));
    arena.command(bob, "buy", "inv thor");
    EXPECT_TRUE(sentExactly(arena.take(), {privateLine(bob, "Thor's Hammer placed in Inventory")}));
    arena.leave(bob);

    // Back in the same session, under another spelling: the same record, and
    // a second Thor's Hammer adds to the first instead of replacing it.
    auto& again = arena.addPlayer({.name = "BOB", .ship = 1});
    arena.enter(again);
    EXPECT_TRUE(sentExactly(
        arena.take(),
        {privateLine(again, "Welcome BOB. You have 900 Gold in your account. Type ::!help for "
                            "command list."),
         privateLine(again, "Hello BOB, Your Inventory has been reloaded from the last time you "
                            "visited.")}));
    EXPECT_EQ(arena.inventory().size(), 1u);
    EXPECT_EQ(itemLines(arena, again),
              std::vector<std::string>{
                  "thor                1                   Increase Thor's Hammer count"});
    arena.command(again, "buy", "inv thor");
    arena.take();
    EXPECT_EQ(arena.gold().balance("Bob"), 800u);
    arena.leave(again);
    ASSERT_EQ(arena.inventory().size(), 1u);
    EXPECT_EQ(arena.inventory().records()[0].counts[5], 2);
    arena.terminate();
    EXPECT_EQ(arena.readFile("inv.dat")->size(), 52u);
}

TEST(Greeting, TheBotJoiningGreetsEveryoneAlreadyThere) {
    TestArena arena;
    arena.writeFile("inv.dat", invRecord("Cid", {0, 0, 0, 0, 0, 0, 0, 4}));
    openStore(arena);
    auto& me = arena.addPlayer({.name = "Quorvel", .ship = 8});
    auto& cid = arena.addPlayer({.name = "Cid", .ship = 2});
    arena.joinArena(me);
    EXPECT_TRUE(sentExactly(
        arena.take(),
        {privateLine(me, "Welcome Quorvel. You have 0 Gold in your account. Type ::!help for "
                         "command list."),
         privateLine(cid, "Welcome Cid. You have 0 Gold in your account. Type ::!help for "
                          "command list."),
         privateLine(cid, "Hello Cid, Your Inventory has been reloaded from the last time you "
                          "visited.")}));
    EXPECT_EQ(
        itemLines(arena, cid),
        std::vector<std::string>{"portal              4                   Increase Portal count"});
}

} // namespace
} // namespace quorvel::testing
