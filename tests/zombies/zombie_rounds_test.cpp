#include "zombie_table.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quorvel::testing {
namespace {

using Lines = std::vector<Sent>;

std::string nameOf(const PlayerRecord& player) {
    return player.name;
}

Sent reborn(const PlayerRecord& player) {
    return publicLine("*arena An evil magic could surrounds the newly deceaced body of " +
                          nameOf(player) + ".  Suddenly the air clears and " + nameOf(player) +
                          " is reborn a zombie!",
                      13);
}

Lines turned(const PlayerRecord& player) {
    return {privateLine(player, "*setfreq 1"), privateLine(player, "*setship 3"), reborn(player)};
}

Lines finished() {
    return {publicLine("*lock"), publicLine("*specall"),
            publicLine("*arena All players should be unspeced now and can enter game at anytime "
                       "before next game begins.")};
}

Lines joined(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<PlayerRecord*> without(std::vector<PlayerRecord*> players, const PlayerRecord* gone) {
    players.erase(std::remove(players.begin(), players.end(), gone), players.end());
    return players;
}

// "!zon", then three or more humans and the 60 ticks up to the start; the
// master is moved by the zone. Returns the master.
PlayerRecord& startRound(ZombieTable& table, const std::vector<PlayerRecord*>& inShips) {
    table.arena.tick(60);
    PlayerRecord& master = *table.drawnFrom(inShips);
    table.zoneMoves(master, 1, spider);
    table.arena.take();
    return master;
}

TEST(ZombieRounds, FullRoundWithoutSanctuary) {
    for (std::uint32_t seed : {7u, 2024u, 31337u, 4u}) {
        SCOPED_TRACE(seed);
        ZombieTable table(seed);
        PlayerRecord& bot = table.arena.addPlayer({.name = "Bot", .ship = spectator});
        table.arena.joinArena(bot);
        table.staffSays("zon");
        table.arena.take();

        PlayerRecord& ann = table.human("Ann");
        EXPECT_EQ(table.arena.take(),
                  (Lines{privateLine(ann, "*setship 1"), privateLine(ann, "*setfreq 0")}));
        PlayerRecord& ben = table.human("Ben");
        PlayerRecord& cy = table.human("Cy");
        table.arena.take();

        // The countdown holds while one of the three watches.
        table.arena.tick(20);
        table.arena.spectate(cy);
        table.arena.tick(100);
        table.zoneMoves(cy, 0, warbird);
        table.arena.take();
        table.arena.tick(10);
        EXPECT_TRUE(table.arena.take().empty());
        table.arena.tick(); // the 31st tick with three in ships
        EXPECT_EQ(table.arena.take(),
                  Lines{publicLine("*arena Zombies Game starting in 30 seconds")});
        table.arena.tick(28);
        EXPECT_TRUE(table.arena.take().empty());
        table.arena.tick(); // the 60th
        PlayerRecord& master = *table.drawnFrom({&ann, &ben, &cy});
        EXPECT_EQ(table.arena.take(),
                  joined({publicLine("*arena Zombies Game has now started!"), publicLine("*lock"),
                          publicLine("*arena The source of all evil has chosen his new Zombie "
                                     "Master!")},
                         turned(master)));

        table.arena.teamChange(master, 1);
        EXPECT_EQ(table.arena.take(),
                  (Lines{privateLine(master, "*setfreq 1"),
                         privateLine(master, "You are a zombie so act like it. :p")}));
        table.arena.shipChange(master, spider);
        EXPECT_EQ(table.arena.take(), Lines{privateLine(master, "*setship 3")});
        table.arena.tick();
        EXPECT_TRUE(table.arena.take().empty()) << "two humans left";

        const std::vector<PlayerRecord*> humans = without({&ann, &ben, &cy}, &master);
        PlayerRecord& first = *humans[0];
        PlayerRecord& last = *humans[1];
        table.arena.kill(master, first);
        EXPECT_EQ(table.arena.take(),
                  Lines{publicLine("*arena What's up with this " + nameOf(master) +
                                   "?  Your already dead and yet you got killed again by " +
                                   nameOf(first) +
                                   "?!?  You can do better than that!  At I thought so....")});
        table.arena.kill(last, first);
        EXPECT_TRUE(table.arena.take().empty()) << "a human killed a human";
        table.arena.kill(first, master);
        EXPECT_EQ(table.arena.take(), turned(first));
        table.arena.kill(first, master);
        EXPECT_TRUE(table.arena.take().empty()) << "a zombie killed a zombie";
        table.zoneMoves(first, 1, spider);
        table.arena.take();

        table.arena.tick();
        EXPECT_EQ(table.arena.take(),
                  joined({publicLine("*arena " + nameOf(last) +
                                         " is the last surviving human!  Zombie game has ended!",
                                     5)},
                         finished()));

        // Every role is human again, and the next countdown runs from 0.
        table.arena.teamChange(first, 0);
        EXPECT_EQ(table.arena.take(),
                  (Lines{privateLine(first, "*setfreq 0"),
                         privateLine(first, "You are a human so act like it. :p")}));
        table.arena.tick(30);
        EXPECT_TRUE(table.arena.take().empty());
        table.arena.tick();
        EXPECT_EQ(table.arena.take(),
                  Lines{publicLine("*arena Zombies Game starting in 30 seconds")});
    }
}

TEST(ZombieRounds, LastHumanOutsideTheHumanShipEndsNothing) {
    ZombieTable table;
    table.staffSays("zon");
    PlayerRecord& ann = table.human("Ann");
    PlayerRecord& ben = table.human("Ben");
    PlayerRecord& cy = table.human("Cy");
    PlayerRecord& master = startRound(table, {&ann, &ben, &cy});
    const std::vector<PlayerRecord*> humans = without({&ann, &ben, &cy}, &master);
    table.arena.kill(*humans[0], master);
    table.zoneMoves(*humans[0], 1, spider);
    humans[1]->ship = 5; // the zone has not yet put it back in its ship
    table.arena.take();
    table.arena.tick(3);
    EXPECT_TRUE(table.arena.take().empty());
    humans[1]->ship = warbird;
    table.arena.tick();
    EXPECT_FALSE(table.arena.take().empty());
    EXPECT_FALSE(table.arena.spawn().zombieGame.gameRunning);
}

TEST(ZombieRounds, SanctuaryRoundsWonAndLost) {
    for (bool reachesSanctuary : {true, false}) {
        SCOPED_TRACE(reachesSanctuary);
        ZombieTable table(99, "0 1 1 3 10 10 20 20");
        table.staffSays("zon");
        PlayerRecord& a = table.human("Ada");
        PlayerRecord& b = table.human("Bea");
        PlayerRecord& c = table.human("Cal");
        PlayerRecord& d = table.human("Dot");
        PlayerRecord& master = startRound(table, {&a, &b, &c, &d});
        const std::vector<PlayerRecord*> humans = without({&a, &b, &c, &d}, &master);

        table.arena.kill(*humans[0], master);
        table.zoneMoves(*humans[0], 1, spider);
        // Two humans left: one of them inside the sanctuary ends nothing.
        table.arena.setPosition(*humans[1], 15, 15);
        table.arena.take();
        table.arena.tick();
        EXPECT_TRUE(table.arena.take().empty());
        table.arena.kill(*humans[1], master);
        table.zoneMoves(*humans[1], 1, spider);
        table.arena.take();

        PlayerRecord& last = *humans[2];
        table.arena.tick();
        table.arena.setPosition(last, 20, 15); // on the edge: still outside
        table.arena.tick();
        table.arena.setPosition(last, 15, 10);
        table.arena.tick();
        EXPECT_TRUE(table.arena.take().empty());
        if (reachesSanctuary) {
            table.arena.setPosition(last, 19, 15);
            table.arena.tick();
            EXPECT_EQ(table.arena.take(),
                      joined({publicLine("*arena Running though the dark " + nameOf(last) +
                                             " turned the corner and found sanctuary.",
                                         5),
                              publicLine("*arena Zombie game has ended!")},
                             finished()));
        } else {
            table.arena.kill(last, master);
            EXPECT_EQ(table.arena.take(), turned(last));
            table.zoneMoves(last, 1, spider);
            table.arena.take();
            table.arena.tick();
            EXPECT_EQ(table.arena.take(),
                      joined({publicLine("*arena Running though the dark " + nameOf(last) +
                                             " turned the corner and found sanctuary, oops sorry "
                                             "I meant a zombie. :p.",
                                         5),
                              publicLine("*arena Zombies Win!  Zombie game has ended!")},
                             finished()));
        }
        EXPECT_FALSE(table.arena.spawn().zombieGame.gameRunning);
    }
}

TEST(ZombieRounds, BotInAShipSpecsItselfEveryTickOfARound) {
    ZombieTable table(5);
    PlayerRecord& bot = table.arena.addPlayer({.name = "Bot", .team = 5, .ship = warbird});
    table.arena.joinArena(bot);
    table.staffSays("zon");
    PlayerRecord& ann = table.human("Ann");
    PlayerRecord& ben = table.human("Ben");
    PlayerRecord& cy = table.human("Cy");
    table.arena.tick(59);
    table.arena.take();
    table.arena.tick();
    PlayerRecord& master = *table.drawnFrom({&bot, &ann, &ben, &cy});
    Lines sent = table.arena.take();
    ASSERT_FALSE(sent.empty());
    EXPECT_TRUE(std::find(sent.begin(), sent.end(), privateLine(master, "*setship 3")) !=
                sent.end());
    table.zoneMoves(master, 1, spider);
    table.arena.take();
    if (&master != &bot) {
        table.arena.tick(2);
        EXPECT_EQ(table.arena.take(),
                  (Lines{privateLine(bot, "*spec"), privateLine(bot, "*spec")}));
    }
    bot.ship = spectator;
    table.arena.tick(2);
    for (const Sent& line : table.arena.take()) {
        EXPECT_NE(line.text, "*spec");
    }
}

TEST(ZombieRounds, FreqAndShipRulesInsideAndOutsideARound) {
    ZombieTable table;
    PlayerRecord& ann = table.human("Ann");
    table.arena.take();
    // Off: nothing at all.
    table.arena.teamChange(ann, 4);
    table.arena.shipChange(ann, 3);
    EXPECT_TRUE(table.arena.take().empty());
    table.zoneMoves(ann, 0, warbird);

    table.staffSays("zon");
    table.arena.take();
    table.arena.teamChange(ann, 4);
    EXPECT_EQ(table.arena.take(), (Lines{privateLine(ann, "*setfreq 0"),
                                         privateLine(ann, "You are a human so act like it. :p")}));
    table.arena.shipChange(ann, 6); // still on freq 4: neither role's freq
    EXPECT_TRUE(table.arena.take().empty());
    table.arena.teamChange(ann, 0);
    table.arena.take();
    table.arena.shipChange(ann, 6);
    EXPECT_EQ(table.arena.take(), Lines{privateLine(ann, "*setship 1")});
    table.arena.shipChange(ann, warbird); // sent whatever ship was taken
    EXPECT_EQ(table.arena.take(), Lines{privateLine(ann, "*setship 1")});

    PlayerRecord& ben = table.human("Ben");
    PlayerRecord& cy = table.human("Cy");
    PlayerRecord& master = startRound(table, {&ann, &ben, &cy});
    PlayerRecord& human = *without({&ann, &ben, &cy}, &master)[0];

    table.arena.teamChange(human, 1);
    EXPECT_EQ(table.arena.take(),
              (Lines{privateLine(human, "*setfreq 0"),
                     privateLine(human, "You are a human so act like it. :p")}));
    human.team = 0; // the zone puts it back
    table.arena.teamChange(master, 0);
    EXPECT_EQ(table.arena.take(),
              (Lines{privateLine(master, "*setfreq 1"),
                     privateLine(master, "You are a zombie so act like it. :p")}));
    // A zombie on the human freq keeps whatever ship it takes, till the zone
    // puts it back on its own freq.
    table.arena.shipChange(master, 4);
    EXPECT_TRUE(table.arena.take().empty());
    table.arena.teamChange(master, 1);
    table.arena.take();
    table.arena.shipChange(master, 4);
    EXPECT_EQ(table.arena.take(), Lines{privateLine(master, "*setship 3")});
    table.arena.shipChange(human, 4);
    EXPECT_EQ(table.arena.take(), Lines{privateLine(human, "*setship 1")});

    // A late comer is left alone during a round.
    PlayerRecord& late = table.arena.addPlayer({.name = "Late", .ship = spectator});
    table.arena.enter(late);
    EXPECT_TRUE(table.arena.take().empty());
}

TEST(ZombieRounds, WildSettingsAreSentAsTheyStand) {
    // Not range-checked when read: the zone decides what "*setship 0" means.
    ZombieTable table(3, "0 -2147483648 -3 0 0 0 0 0");
    table.staffSays("zon");
    table.arena.take();
    PlayerRecord& ann = table.human("Ann");
    EXPECT_EQ(table.arena.take(),
              (Lines{privateLine(ann, "*setship -2147483648"), privateLine(ann, "*setfreq 0")}));
    PlayerRecord& ben = table.human("Ben");
    PlayerRecord& cy = table.human("Cy");
    table.arena.take();
    table.arena.tick(60);
    PlayerRecord& master = *table.drawnFrom({&ann, &ben, &cy});
    const Lines sent = table.arena.take();
    EXPECT_TRUE(std::find(sent.begin(), sent.end(), privateLine(master, "*setfreq -3")) !=
                sent.end());
    EXPECT_TRUE(std::find(sent.begin(), sent.end(), privateLine(master, "*setship 0")) !=
                sent.end());
    // The zone parks the zombies on freq 9. One human left, but nobody can
    // sit in ship -2147483648: the round goes on.
    master.team = 9;
    PlayerRecord& victim = *without({&ann, &ben, &cy}, &master)[0];
    table.arena.kill(victim, master);
    victim.team = 9;
    table.arena.tick(5);
    EXPECT_TRUE(table.arena.spawn().zombieGame.gameRunning);
}

} // namespace
} // namespace quorvel::testing
