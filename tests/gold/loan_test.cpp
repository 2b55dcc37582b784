#include "economy_arena.h"

namespace quorvel::testing {
namespace {

TEST(Loan, MovesAtMostTheWholeBalanceAndRefusesNegativeAmounts) {
    TestArena arena;
    openStore(arena);
    auto& ann = arena.addPlayer({.name = "Ann"});
    arena.gold().credit("Ann", 10);

    arena.command(ann, "lendgold", "Bob:11");
    arena.command(ann, "lendgold", "Bob:-5");
    arena.command(ann, "lendgold", "Bob : 10");
    EXPECT_TRUE(sentExactly(arena.take(), {privateLine(ann, "You can not give more than you have."),
                                           privateLine(ann, "You can not give more than you have."),
                                           privateLine(ann, "10 Gold given to Bob")}));
    EXPECT_EQ(goldOf(arena, "Ann"), 0u);
    EXPECT_EQ(goldOf(arena, "BOB"), 10u);

    // However rich the lender, a negative loan never passes as a huge one.
    arena.gold().credit("Ann", 4294967295u);
    arena.command(ann, "lendgold", "Bob:-5");
    EXPECT_TRUE(
        sentExactly(arena.take(), {privateLine(ann, "You can not give more than you have.")}));
    EXPECT_EQ(goldOf(arena, "Ann"), 4294967295u);
    EXPECT_EQ(goldOf(arena, "Bob"), 10u);
}

TEST(Loan, RefusesTextsThatAreNotNameAndAmount) {
    TestArena arena;
    openStore(arena);
    auto& ann = arena.addPlayer({.name = "Ann"});
    arena.gold().credit("Ann", 100);
    for (const char* text : {"", "Bob", "5:5", "bob:BOB", ":5", "Bob:ten", "Bob:", "Bob:+5",
                             "Bob:4294967306", "Bob:4294967296", "Bob:-2147483649"}) {
        arena.command(ann, "lendgold", text);
    }
    const Sent notNumbers = privateLine(ann, "Ammount should be NUMBERS!");
    EXPECT_TRUE(sentExactly(
        arena.take(),
        {privateLine(ann, "More parameters required"), privateLine(ann, "Syntax: Player:Ammount"),
         privateLine(ann, "Syntax: Player:Ammount"), privateLine(ann, "Syntax: Player:Ammount"),
         privateLine(ann, "Syntax: Player:Ammount"), notNumbers, notNumbers, notNumbers, notNumbers,
         notNumbers, notNumbers}));
    EXPECT_EQ(goldOf(arena, "Ann"), 100u);
    EXPECT_EQ(arena.gold().size(), 1u);
}

TEST(Loan, ToOneselfNothingAndBeyondTheLargestBalanceChangesNoAccount) {
    TestArena arena;
    openStore(arena);
    auto& ann = arena.addPlayer({.name = "Ann"});
    arena.gold().credit("Ann", 4000000000u);

    arena.command(ann, "lendgold", "aNN:4000000000");
    arena.command(ann, "lendgold", "Nobody:0");
    EXPECT_TRUE(sentExactly(arena.take(), {privateLine(ann, "-294967296 Gold given to aNN"),
                                           privateLine(ann, "0 Gold given to Nobody")}));
    EXPECT_EQ(goldOf(arena, "Ann"), 4000000000u);
    EXPECT_EQ(arena.gold().size(), 1u);

    arena.gold().credit("Carol", 4294967290u);
    arena.command(ann, "lendgold", "Carol:6");
    EXPECT_TRUE(sentExactly(arena.take(),
                            {privateLine(ann, "That account can not hold that much more gold.")}));
    EXPECT_EQ(goldOf(arena, "Carol"), 4294967290u);
    EXPECT_EQ(goldOf(arena, "Ann"), 4000000000u);
    arena.command(ann, "lendgold", "Carol:5");
    arena.take();
    EXPECT_EQ(goldOf(arena, "Carol"), 4294967295u);
    EXPECT_EQ(goldOf(arena, "Ann"), 3999999995u);
}

} // namespace
} // namespace quorvel::testing
