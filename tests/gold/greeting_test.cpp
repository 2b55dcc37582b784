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

const std::int32_t prizeKeys[] = {8, 9, 15, 17, 18, 24, 25, 28};

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
    for (std::size_t k = 0; k < 8; ++k) {
        EXPECT_EQ(arena.spawn().playerTags.get(&bob, prizeKeys[k]), static_cast<int>(k) + 1);
    }
    EXPECT_EQ(arena.spawn().playerTags.get(&bob, 100), 15);
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

    // Leaving drops the tags; coming back restores what the record holds.
    arena.command(bob, "inv", "guns");
    arena.command(bob, "hide");
    arena.leave(bob);
    arena.take();
    auto& again = arena.addPlayer({.name = "Bob", .ship = 1});
    arena.enter(again);
    arena.take();
    EXPECT_EQ(arena.spawn().playerTags.get(&again, 8), 0);
    EXPECT_EQ(arena.spawn().playerTags.get(&again, 9), 2);
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
    EXPECT_EQ(arena.inventory().size(), 1u);
    for (std::int32_t key : prizeKeys) {
        EXPECT_TRUE(arena.spawn().playerTags.has(&bob, key));
    }
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
    EXPECT_EQ(arena.spawn().playerTags.get(&again, 24), 1);
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
    EXPECT_EQ(arena.spawn().playerTags.get(&cid, 28), 4);
}

} // namespace
} // namespace quorvel::testing
