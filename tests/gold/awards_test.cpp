#include "economy_arena.h"

namespace quorvel::testing {
namespace {

TEST(KillAward, EnemyKillsPayAndTellUnlessHidden) {
    TestArena arena;
    openStore(arena);
    auto& ann = arena.addPlayer({.name = "Ann", .team = 0, .ship = 1});
    auto& bob = arena.addPlayer({.name = "Bob", .team = 1, .ship = 1});
    arena.enter(ann);
    arena.enter(bob);
    arena.take();

    arena.kill(bob, ann);
    EXPECT_TRUE(sentExactly(
        arena.take(), {privateLine(ann, "You have just been given 2 gold for killing Bob.")}));
    arena.command(ann, "show");
    arena.command(ann, "hide");
    arena.kill(bob, ann);
    arena.command(ann, "hide");
    arena.command(ann, "show");
    arena.kill(bob, ann);
    EXPECT_TRUE(sentExactly(
        arena.take(),
        {privateLine(ann, "I have already been told to tell you when you are given gold."),
         privateLine(ann, "I will now stop telling you when you are given gold."),
         privateLine(ann, "I have already been told to be quite when you are given gold."),
         privateLine(ann, "I will now tell you when you are given gold."),
         privateLine(ann, "You have just been given 2 gold for killing Bob.")}));
    EXPECT_EQ(goldOf(arena, "Ann"), 6u);
    EXPECT_EQ(goldOf(arena, "Bob"), 0u);

    // A player who has not been greeted (entered while the store was off)
    // has no notice tag: paid, not told.
    auto& cid = arena.addPlayer({.name = "Cid", .team = 2, .ship = 1});
    arena.kill(bob, cid);
    EXPECT_TRUE(sentExactly(arena.take(), {}));
    EXPECT_EQ(goldOf(arena, "Cid"), 2u);
}

TEST(KillAward, TeamKillCostsThePenaltyOnlyWhenItCanBePaid) {
    struct Case {
        std::string ini;
        std::uint32_t before, after;
        std::string reply;
    };
    const Case cases[] = {
        {"", 5, 0, "No Team Killing Allowed Here. You lose 5 Gold from your account."},
        {"", 4, 4, "Earn some Gold for your account so I can take 5 away to punish you next time!"},
        {"", 0, 0, "Earn some Gold for your account so I can take 5 away to punish you next time!"},
        {"[Gold]\nTeamKill=0\n", 0, 0,
         "No Team Killing Allowed Here. You lose 0 Gold from your account."},
        {"[Gold]\nTeamKill=-3\n", 10, 10,
         "Earn some Gold for your account so I can take -3 away to punish you next time!"},
    };
    for (const Case& c : cases) {
        TestArena arena;
        openStore(arena, c.ini);
        auto& ann = arena.addPlayer({.name = "Ann", .team = 3, .ship = 1});
        auto& bob = arena.addPlayer({.name = "Bob", .team = 3, .ship = 1});
        if (c.before != 0) {
            arena.gold().credit("Ann", c.before);
        }
        arena.kill(bob, ann);
        EXPECT_TRUE(sentExactly(arena.take(), {privateLine(ann, c.reply)})) << c.ini << c.before;
        EXPECT_EQ(goldOf(arena, "Ann"), c.after) << c.ini << c.before;
    }
}

TEST(KillAward, AwardsFromTheSettingsNeverWrapABalance) {
    TestArena arena;
    openStore(arena, "[Gold]\nKill=-3\nSoccerGoal=2147483647\n");
    auto& ann = arena.addPlayer({.name = "Ann", .team = 0, .ship = 1});
    auto& bob = arena.addPlayer({.name = "Bob", .team = 1, .ship = 1});
    arena.gold().credit("Ann", 2);
    arena.kill(bob, ann);
    EXPECT_EQ(goldOf(arena, "Ann"), 0u);
    arena.kill(bob, ann);
    EXPECT_EQ(goldOf(arena, "Ann"), 0u);

    arena.gold().credit("Bob", 4294967000u);
    arena.goal(1);
    arena.goal(1);
    EXPECT_EQ(goldOf(arena, "Bob"), 4294967295u);
    EXPECT_EQ(goldOf(arena, "Ann"), 0u);
}

TEST(GoalAward, PaysEveryPlayerOfTheScoringFreqAndAnnouncesIt) {
    TestArena arena;
    openStore(arena);
    auto& ann = arena.addPlayer({.name = "Ann", .team = 1, .ship = 1});
    arena.addPlayer({.name = "Bob", .team = 1, .ship = 8});
    arena.addPlayer({.name = "Cid", .team = 0, .ship = 1});
    arena.gold().credit("Ann", 10);
    arena.goal(1);
    EXPECT_TRUE(sentExactly(
        arena.take(), {publicLine("*arena Goal!  25 Gold has been added to each player's account "
                                  "on the team that scored.")}));
    EXPECT_EQ(goldOf(arena, "Ann"), 35u);
    EXPECT_EQ(goldOf(arena, "Bob"), 25u);
    EXPECT_EQ(arena.gold().find("Cid"), nullptr);
    (void)ann;
}

TEST(Awards, NothingMovesWhileTheStoreIsOff) {
    TestArena arena;
    arena.writeFile("inv.dat", "");
    arena.handshake();
    arena.take();
    auto& ann = arena.addPlayer({.name = "Ann", .team = 0, .ship = 1});
    auto& bob = arena.addPlayer({.name = "Bob", .team = 1, .ship = 1});
    arena.enter(ann);
    arena.kill(bob, ann);
    arena.kill(ann, bob);
    arena.goal(0);
    arena.joinArena(ann);
    EXPECT_TRUE(sentExactly(arena.take(), {}));
    EXPECT_EQ(arena.gold().size(), 0u);
    EXPECT_EQ(arena.inventory().size(), 0u);
    EXPECT_FALSE(arena.spawn().playerTags.has(&ann, 900)); // nobody was greeted
}

TEST(KillAward, KillingTheSamePlayerAgainSoonPaysNothingButTeamKillsStillCost) {
    TestArena arena;
    openStore(arena, "AutoSave=0\n[Gold]\nRepeatKillWindow=60\n");
    auto& ann = arena.addPlayer({.name = "Ann", .team = 0, .ship = 1});
    auto& bob = arena.addPlayer({.name = "Bob", .team = 1, .ship = 1});
    auto& cat = arena.addPlayer({.name = "Cat", .team = 0, .ship = 1});
    for (auto* player : {&ann, &bob, &cat}) {
        arena.enter(*player);
    }
    arena.gold().credit("Ann", 100);
    arena.take();

    arena.kill(bob, ann);
    arena.kill(bob, ann);
    arena.kill(bob, ann);
    arena.kill(ann, bob); // the other way round is a pair of its own
    EXPECT_TRUE(sentExactly(
        arena.take(), {privateLine(ann, "You have just been given 2 gold for killing Bob."),
                       privateLine(ann, "No gold for killing Bob again so soon."),
                       privateLine(bob, "You have just been given 2 gold for killing Ann.")}));
    EXPECT_EQ(goldOf(arena, "Ann"), 102u);

    arena.kill(cat, ann);
    arena.kill(cat, ann);
    EXPECT_EQ(goldOf(arena, "Ann"), 92u); // both team kills cost

    arena.tick(59);
    arena.kill(bob, ann);
    EXPECT_EQ(goldOf(arena, "Ann"), 92u);
    arena.tick();
    arena.take();
    arena.kill(bob, ann);
    EXPECT_TRUE(sentExactly(arena.take(), {privateLine(ann, "You have just been given 2 gold for "
                                                            "killing Bob.")}));
    EXPECT_EQ(goldOf(arena, "Ann"), 94u);
}

} // namespace
} // namespace quorvel::testing
