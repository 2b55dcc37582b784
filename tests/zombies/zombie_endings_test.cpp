#include "zombie_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace quorvel::testing {
namespace {

using Lines = std::vector<Sent>;

std::string nameOf(const PlayerRecord& player) {
    return player.name;
}

std::vector<PlayerRecord*> without(std::vector<PlayerRecord*> players, const PlayerRecord* gone) {
    players.erase(std::remove(players.begin(), players.end(), gone), players.end());
    return players;
}

Word ref(const PlayerRecord& player) {
    return reinterpret_cast<Word>(&player);
}

// Hosts differ in when they drop a leaving player from their list: before
// PlayerLeaving, or after it.
enum class Drop { AfterEvent, BeforeEvent };

void leave(TestArena& arena, PlayerRecord& player, Drop drop) {
    if (drop == Drop::AfterEvent) {
        arena.leave(player);
    } else {
        arena.removePlayer(player);
        arena.event(PlayerLeaving, {ref(player)});
    }
}

// Somebody reuses a record once its player has gone.
void reuse(PlayerRecord& record) {
    std::memset(record.name, 0, sizeof record.name);
    std::memcpy(record.name, "Stranger", 8);
    record.team = 0;
    record.ship = 0;
}

PlayerRecord& startRound(ZombieTable& table, const std::vector<PlayerRecord*>& inShips) {
    table.arena.tick(60);
    PlayerRecord& master = *table.drawnFrom(inShips);
    table.zoneMoves(master, 1, spider);
    table.arena.take();
    return master;
}

Lines newMaster(const PlayerRecord& player) {
    const std::string name = nameOf(player);
    return {publicLine("*arena The source of all evil has chosen his new Zombie Master!"),
            publicLine("*arena " + name + "turned a pale color and became the new Zombie Master!"),
            privateLine(player, "*setfreq 1"), privateLine(player, "*setship 3"),
            publicLine("*arena An evil magic could surrounds the newly deceaced body of " + name +
                           ".  Suddenly the air clears and " + name + " is reborn a zombie!",
                       13)};
}

TEST(ZombieEndings, TheOnlyZombieGoneBringsANewMasterNeverTheOneGoing) {
    for (int way = 0; way < 3; ++way) {
        for (std::uint32_t seed = 1; seed <= 12; ++seed) {
            SCOPED_TRACE(::testing::Message() << "way " << way << " seed " << seed);
            ZombieTable table(seed);
            table.staffSays("zon");
            std::vector<PlayerRecord*> all;
            for (const char* name : {"Ann", "Ben", "Cy", "Dee"}) {
                all.push_back(&table.human(name));
            }
            PlayerRecord& master = startRound(table, all);
            if (way == 2) {
                table.arena.spectate(master);
            } else {
                leave(table.arena, master, way == 0 ? Drop::AfterEvent : Drop::BeforeEvent);
            }
            // The second draw of the generator, among the three still in ships.
            SpawnRandom rng(seed);
            rng.draw();
            const std::vector<PlayerRecord*> left = without(all, &master);
            PlayerRecord& next = *left[rng.draw() % 3];
            EXPECT_EQ(table.arena.take(), newMaster(next));
            EXPECT_TRUE(table.arena.spawn().zombieGame.gameRunning);
        }
    }
}

TEST(ZombieEndings, TooFewPlayersEndTheRoundWithoutAWinner) {
    const std::string specced =
        "*arena Last zombie has gone into spec and now there are not enough humans playing to "
        "create another zombie. Zombies Game will start again when there are 3 or more people "
        "ingame.";
    const std::string departed =
        "*arena Last zombie has left the arena and now there are not enough humans playing to "
        "create another zombie.  Zombies Game will restart when there are 3 or more people ingame.";
    const std::string noWinner =
        "*arena Not enough players to finish game so game ended with no winner.  Zombies Game "
        "will start again when there are 3 or more people ingame.";
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        ZombieTable table;
        table.staffSays("zon");
        PlayerRecord& ann = table.human("Ann");
        PlayerRecord& ben = table.human("Ben");
        PlayerRecord& cy = table.human("Cy");
        PlayerRecord& master = startRound(table, {&ann, &ben, &cy});
        if (way == 0) {
            table.arena.spectate(master);
        } else {
            leave(table.arena, master, way == 1 ? Drop::AfterEvent : Drop::BeforeEvent);
        }
        EXPECT_EQ(table.arena.take(),
                  (Lines{publicLine(way == 0 ? specced : departed), publicLine("*lock")}));
        EXPECT_FALSE(table.arena.spawn().zombieGame.gameRunning);
        // The countdown starts again from 0 once three are in ships.
        PlayerRecord& dee = table.arena.addPlayer({.name = "Dee", .ship = warbird});
        table.arena.tick(30);
        EXPECT_TRUE(table.arena.take().empty());
        table.arena.tick();
        EXPECT_EQ(table.arena.take(),
                  Lines{publicLine("*arena Zombies Game starting in 30 seconds")});
        table.arena.removePlayer(dee);
    }

    // A zombie is still there but only two are in ships: no winner, and the
    // zombie keeps its role until it changes freq outside a round.
    ZombieTable table;
    table.staffSays("zon");
    PlayerRecord& ann = table.human("Ann");
    PlayerRecord& ben = table.human("Ben");
    PlayerRecord& cy = table.human("Cy");
    PlayerRecord& master = startRound(table, {&ann, &ben, &cy});
    PlayerRecord& human = *without({&ann, &ben, &cy}, &master)[0];
    table.arena.spectate(human);
    EXPECT_EQ(table.arena.take(), (Lines{publicLine(noWinner), publicLine("*lock")}));
    table.arena.teamChange(master, 0);
    EXPECT_EQ(table.arena.take(),
              (Lines{privateLine(master, "*setfreq 0"),
                     privateLine(master, "You have been turned into a human so act like it. :p")}));
    table.arena.teamChange(master, 0);
    EXPECT_EQ(table.arena.take(),
              (Lines{privateLine(master, "*setfreq 0"),
                     privateLine(master, "You are a human so act like it. :p")}));
}

TEST(ZombieEndings, ALastHumanWhoLeftIsNamedButNeverRead) {
    for (Drop drop : {Drop::AfterEvent, Drop::BeforeEvent}) {
        SCOPED_TRACE(static_cast<int>(drop));
        ZombieTable table(11, "0 1 1 3 10 10 20 20");
        table.staffSays("zon");
        std::vector<PlayerRecord*> all;
        for (const char* name : {"Ann", "Ben", "Cy", "Dee", "Eve"}) {
            all.push_back(&table.human(name));
        }
        PlayerRecord& master = startRound(table, all);
        const std::vector<PlayerRecord*> humans = without(all, &master);
        for (int i = 0; i < 3; ++i) {
            table.arena.kill(*humans[static_cast<std::size_t>(i)], master);
            table.zoneMoves(*humans[static_cast<std::size_t>(i)], 1, spider);
        }
        PlayerRecord& last = *humans[3];
        table.arena.take();
        table.arena.tick(); // sees the last human, outside the sanctuary
        EXPECT_TRUE(table.arena.take().empty());
        EXPECT_EQ(table.arena.spawn().zombieGame.lastHuman, &last);

        const std::string name = nameOf(last);
        leave(table.arena, last, drop);
        EXPECT_TRUE(table.arena.take().empty()); // four zombies still in ships
        EXPECT_EQ(table.arena.spawn().zombieGame.lastHuman, nullptr);
        reuse(last);
        table.arena.tick();
        const Lines sent = table.arena.take();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent[0], publicLine("*arena Running though the dark " + name +
                                          " turned the corner and found sanctuary, oops sorry I "
                                          "meant a zombie. :p.",
                                      5));
        EXPECT_EQ(sent[1], publicLine("*arena Zombies Win!  Zombie game has ended!"));
    }
}

TEST(ZombieEndings, HumansGoneBetweenTwoChecksNameTheLastOneTurned) {
    ZombieTable table(21, "0 1 1 3 10 10 20 20");
    table.staffSays("zon");
    std::vector<PlayerRecord*> all;
    for (const char* name : {"Ann", "Ben", "Cy", "Dee"}) {
        all.push_back(&table.human(name));
    }
    PlayerRecord& master = startRound(table, all);
    const std::vector<PlayerRecord*> humans = without(all, &master);
    table.arena.kill(*humans[0], master);
    table.zoneMoves(*humans[0], 1, spider);
    // From two humans to none before any check sees one alone.
    leave(table.arena, *humans[1], Drop::AfterEvent);
    table.arena.kill(*humans[2], master);
    table.zoneMoves(*humans[2], 1, spider);
    reuse(*humans[1]);
    table.arena.take();
    table.arena.tick();
    const Lines sent = table.arena.take();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0], publicLine("*arena Running though the dark " + nameOf(*humans[2]) +
                                      " turned the corner and found sanctuary, oops sorry I meant "
                                      "a zombie. :p.",
                                  5));

    // A new round remembers nobody from the last one.
    table.arena.tick(60);
    EXPECT_TRUE(table.arena.spawn().zombieGame.gameRunning);
    EXPECT_EQ(table.arena.spawn().zombieGame.lastHuman, nullptr);
    EXPECT_TRUE(table.arena.spawn().zombieGame.lastTurnedName.empty());
}

} // namespace
} // namespace quorvel::testing
