#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvel::testing {
namespace {

constexpr std::uint8_t warbird = 0, javelin = 1, spider = 2, leviathan = 3, terrier = 4, weasel = 5,
                       lancaster = 6, shark = 7, spectator = 8;

// An arena with the checker switched on by a moderator who watches from
// freq 9.
struct CheckedArena {
    TestArena arena;
    PlayerRecord* mod = nullptr;

    CheckedArena() {
        arena.handshake();
        mod = &arena.addPlayer({.name = "Mod", .team = 9, .ship = spectator, .accessLevel = 2});
        arena.command(*mod, "check");
        arena.take();
    }
};

// One cell of the line-up: a player of `team` takes `ship` while
// `specialsBeside` other players of that freq fly its special ship.
struct Cell {
    std::uint8_t ship;
    int specialsBeside;
    std::string expected; // empty: the ship is allowed
};

void expectCells(std::uint16_t team, std::uint8_t special, const std::vector<Cell>& cells) {
    for (const Cell& cell : cells) {
        CheckedArena checked;
        TestArena& arena = checked.arena;
        for (int i = 0; i < cell.specialsBeside; ++i) {
            arena.addPlayer({.name = "Ace" + std::to_string(i), .team = team, .ship = special});
        }
        // The same ship flown on other freqs must not count.
        for (std::uint16_t other : {std::uint16_t(team + 1), std::uint16_t(7)}) {
            for (int i = 0; i < 3; ++i) {
                arena.addPlayer({.name = "Far" + std::to_string(other) + std::to_string(i),
                                 .team = other,
                                 .ship = special});
            }
        }
        PlayerRecord& pilot = arena.addPlayer({.name = "Pilot", .team = team, .ship = spectator});
        arena.shipChange(pilot, cell.ship);
        std::vector<Sent> expected;
        if (!cell.expected.empty()) {
            expected.push_back(privateLine(pilot, cell.expected));
        }
        EXPECT_EQ(arena.take(), expected) << "freq " << team << ", ship " << int(cell.ship) << ", "
                                          << cell.specialsBeside << " special ships beside";
    }
}

TEST(LineUp, FreqZeroFliesWarbirdsAndOneJavelin) {
    expectCells(0, javelin,
                {
                    {warbird, 0, ""},
                    {warbird, 4, ""},
                    {javelin, 0, ""},
                    {javelin, 1, "*setship 1"},
                    {spider, 0, "*setship 1"},
                    {leviathan, 0, "*setship 2"},
                    {leviathan, 1, "*setship 2"},
                    {leviathan, 2, "*setship 1"},
                    {terrier, 0, "*setship 1"},
                    {weasel, 1, "*setship 2"},
                    {weasel, 2, "*setship 1"},
                    {lancaster, 5, ""},
                    {shark, 5, ""},
                });
}

TEST(LineUp, FreqOneFliesSpidersAndTwoLeviathans) {
    expectCells(1, leviathan,
                {
                    {warbird, 0, "*setship 3"},
                    {javelin, 2, "*setship 4"},
                    {javelin, 3, "*setship 3"},
                    {spider, 5, ""},
                    {leviathan, 1, ""},
                    {leviathan, 2, "*setship 3"},
                    {terrier, 0, "*setship 3"},
                    {weasel, 2, "*setship 4"},
                    {weasel, 3, "*setship 3"},
                    {lancaster, 5, ""},
                    {shark, 5, ""},
                });
}

TEST(LineUp, FreqTwoFliesTerriersAndTwoWeasels) {
    expectCells(2, weasel,
                {
                    {warbird, 0, "*setship 5"},
                    {javelin, 2, "*setship 6"},
                    {javelin, 3, "*setship 5"},
                    {spider, 0, "*setship 5"},
                    {leviathan, 2, "*setship 6"},
                    {leviathan, 3, "*setship 5"},
                    {terrier, 5, ""},
                    {weasel, 1, ""},
                    {weasel, 2, "*setship 5"},
                    {lancaster, 5, ""},
                    {shark, 5, ""},
                });
}

TEST(LineUp, CorrectionReachesTheLineUpInTwoSteps) {
    CheckedArena checked;
    TestArena& arena = checked.arena;
    // Freq 0 with one Javelin: a Leviathan is offered the Javelin, and once
    // the zone reports him in it, the freq is over its limit.
    arena.addPlayer({.name = "Jav", .team = 0, .ship = javelin});
    PlayerRecord& bob = arena.addPlayer({.name = "Bob", .team = 0, .ship = spectator});
    arena.shipChange(bob, leviathan);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(bob, "*setship 2")}));
    arena.shipChange(bob, javelin);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(bob, "*setship 1")}));
    arena.shipChange(bob, warbird);
    EXPECT_TRUE(arena.take().empty());

    // Freq 1 with two Leviathans: a Javelin pilot who joins it is moved the
    // same way, through the freq change and then the ship change.
    arena.addPlayer({.name = "Lev1", .team = 1, .ship = leviathan});
    arena.addPlayer({.name = "Lev2", .team = 1, .ship = leviathan});
    PlayerRecord& cat = arena.addPlayer({.name = "Cat", .team = 4, .ship = javelin});
    arena.teamChange(cat, 1);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(cat, "*setship 4")}));
    arena.shipChange(cat, leviathan);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(cat, "*setship 3")}));
    arena.shipChange(cat, spider);
    EXPECT_TRUE(arena.take().empty());
}

TEST(LineUp, EntryAndFreqChangeAreExaminedAndOtherFreqsLeftAlone) {
    CheckedArena checked;
    TestArena& arena = checked.arena;
    PlayerRecord& ann = arena.addPlayer({.name = "Ann", .team = 0, .ship = spider});
    arena.enter(ann);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(ann, "*setship 1")}));

    PlayerRecord& wb = arena.addPlayer({.name = "Wb", .team = 3, .ship = warbird});
    arena.enter(wb);
    EXPECT_TRUE(arena.take().empty());
    arena.teamChange(wb, 1);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(wb, "*setship 3")}));
    // Lancasters and Sharks in any number, on every freq.
    for (std::uint16_t team : {0, 1, 2}) {
        for (int i = 0; i < 4; ++i) {
            PlayerRecord& pilot = arena.addPlayer(
                {.name = "L" + std::to_string(team) + std::to_string(i), .team = team});
            arena.shipChange(pilot, i % 2 == 0 ? lancaster : shark);
        }
    }
    EXPECT_TRUE(arena.take().empty());
}

TEST(LineUp, SpectatorsAreNeverExaminedButLeavingSpectatorModeIs) {
    CheckedArena checked;
    TestArena& arena = checked.arena;
    arena.addPlayer({.name = "Jav", .team = 0, .ship = javelin});
    arena.addPlayer({.name = "Jav2", .team = 0, .ship = javelin});
    PlayerRecord& watcher = arena.addPlayer({.name = "Watcher", .team = 0, .ship = spectator});
    arena.enter(watcher);
    arena.teamChange(watcher, 1);
    arena.teamChange(watcher, 0);
    arena.spectate(watcher);
    EXPECT_TRUE(arena.take().empty());
    arena.shipChange(watcher, terrier);
    EXPECT_EQ(arena.take(), (std::vector{privateLine(watcher, "*setship 1")}));
}

TEST(LineUp, CheckerOffSendsNothing) {
    TestArena arena;
    arena.handshake();
    PlayerRecord& mod =
        arena.addPlayer({.name = "Mod", .team = 9, .ship = spectator, .accessLevel = 2});
    arena.take();
    auto tryEveryWrongShip = [&] {
        PlayerRecord& p = arena.addPlayer({.name = "P", .team = 0, .ship = spider});
        arena.enter(p);
        arena.shipChange(p, terrier);
        arena.teamChange(p, 1);
        arena.shipChange(p, warbird);
        arena.teamChange(p, 2);
        arena.addPlayer({.name = "W1", .team = 2, .ship = weasel});
        arena.addPlayer({.name = "W2", .team = 2, .ship = weasel});
        arena.shipChange(p, weasel);
    };
    tryEveryWrongShip();
    EXPECT_TRUE(arena.take().empty());
    arena.command(mod, "check");
    arena.command(mod, "notcheck");
    arena.take();
    tryEveryWrongShip();
    EXPECT_TRUE(arena.take().empty());
}

} // namespace
} // namespace quorvel::testing
