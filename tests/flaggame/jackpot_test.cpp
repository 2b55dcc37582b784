#include "flag_arena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quorvel::testing {
namespace {

using Texts = std::vector<std::string>;

// Ticks one at a time and returns the tick numbers (counted from the
// spawn's creation) on which something was sent, with what was sent.
struct TickLog {
    int tick;
    Sent sent;
};

std::vector<TickLog> runTicks(TestArena& arena, int& tickNumber, int count) {
    std::vector<TickLog> log;
    for (int i = 0; i < count; ++i) {
        arena.tick();
        ++tickNumber;
        for (Sent& sent : arena.take()) {
            log.push_back({tickNumber, std::move(sent)});
        }
    }
    return log;
}

TEST(JackpotCycle, QueryOnTheFifthTickBroadcastOnTheTenthThenEvery900) {
    TestArena arena;
    connectWithIni(arena, "");
    int tick = 0;

    auto log = runTicks(arena, tick, 9);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].tick, 5);
    EXPECT_EQ(log[0].sent, publicLine("?jackpot"));

    arena.arenaMessage("Current Jackpot: 1500");
    EXPECT_TRUE(arena.take().empty()); // reading the answer says nothing
    log = runTicks(arena, tick, 1);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].tick, 10);
    EXPECT_EQ(log[0].sent, publicLine("*arena Jackpot: 1500  ")); // nobody carries a flag

    log = runTicks(arena, tick, 900);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].tick, 905);
    EXPECT_EQ(log[0].sent, publicLine("?jackpot"));
    // The jackpot keeps its last value when the zone does not answer again.
    EXPECT_EQ(log[1].tick, 910);
    EXPECT_EQ(log[1].sent, publicLine("*arena Jackpot: 1500  "));
}

TEST(JackpotCycle, BroadcastCarriesTheFlagsPerFreq) {
    TestArena arena;
    connectWithIni(arena, "");
    arena.addPlayer({.name = "A", .team = 1}).flagsCarried = 2;
    arena.addPlayer({.name = "B", .team = 0}).flagsCarried = 4;
    arena.addPlayer({.name = "C", .team = 1}).flagsCarried = 1;
    arena.addPlayer({.name = "D", .team = 0}); // carries none
    arena.addPlayer({.name = "E", .team = 305}).flagsCarried = 1;
    arena.tick(9);
    arena.arenaMessage("Current Jackpot: 2500");
    arena.take();
    arena.tick();
    EXPECT_EQ(arena.take(),
              std::vector<Sent>{publicLine("*arena Jackpot: 2500  (1):3 (0):4 (Prv):1")});
}

TEST(JackpotCycle, OnlyArenaMessagesWithTheWholePrefixAreRead) {
    TestArena arena;
    connectWithIni(arena, "");
    std::int32_t& jackpot = arena.spawn().flagWatch.jackpot;
    arena.spawn().arenaQuery = Bot::ArenaQuery{"?jackpot", true}; // "?jackpot" has gone out

    arena.chat(Public, "Current Jackpot: 500");
    arena.chat(Private, "Current Jackpot: 500");
    arena.arenaMessage("Current");
    arena.arenaMessage("Current jackpot: 500");
    arena.arenaMessage("The Current Jackpot: 500");
    EXPECT_EQ(jackpot, 0);

    arena.arenaMessage("Current Jackpot: 500");
    EXPECT_EQ(jackpot, 500);
    // The query is answered: what comes after is nobody's answer.
    arena.arenaMessage("Current Jackpot: 900");
    arena.arenaMessage("Current Jackpot: 1,000");
    EXPECT_EQ(jackpot, 500);
}

TEST(JackpotCycle, AMessageTheBotSentItselfIsNeverTheAnswer) {
    TestArena arena;
    connectWithIni(arena, "[Settings]\nInventory=1\nAutoSave=0\n");
    auto& bob = arena.addPlayer({.name = "Bob"});
    arena.gold().credit("Bob", 1000);
    arena.tick(5);
    EXPECT_EQ(arena.takeTexts(), Texts{"?jackpot"});
    // Bob's paid message goes out, and the zone shows it to the bot too,
    // before its answer to the query.
    arena.command(bob, "buy", "arena Current Jackpot: 2000000000 (just kidding)");
    arena.arenaMessage("Current Jackpot: 2000000000 (just kidding) -Bob");
    arena.arenaMessage("Current Jackpot: 1500");
    arena.take();
    arena.tick(5);
    EXPECT_EQ(arena.takeTexts(), Texts{"*arena Jackpot: 1500  "});
}

// Players flood the line budget the second before the query, then 17 paid
// arena messages go out together with it, more than the bot would otherwise
// remember of its own lines: the zone shows the first of them back after the
// query, and it is still not the answer.
TEST(JackpotCycle, NoneOfTheBotsOwnArenaLinesSinceTheQueryIsTheAnswer) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=0\nLinesPerSecond=20\n");
    arena.handshake();
    std::vector<const PlayerRecord*> buyers;
    for (int i = 0; i < 17; ++i) {
        const std::string name = "Buyer" + std::to_string(i);
        buyers.push_back(&arena.addPlayer({.name = name}));
        arena.gold().credit(name, 1000);
    }
    arena.tick(4);
    for (int i = 0; i < 6; ++i) { // 42 lines of !about
        arena.command(*buyers[static_cast<std::size_t>(i)], "about");
    }
    arena.take();
    arena.tick();
    for (std::size_t i = 0; i < buyers.size(); ++i) {
        arena.command(*buyers[i], "buy",
                      "arena Current Jackpot: 2000000000 (bonus round " + std::to_string(i) + ")");
    }
    arena.tick(3);
    Texts sent = arena.takeTexts();
    const auto query = std::find(sent.begin(), sent.end(), "?jackpot");
    ASSERT_NE(query, sent.end());
    EXPECT_EQ(std::count_if(query, sent.end(),
                            [](const std::string& text) { return text.starts_with("*arena "); }),
              17);
    // The zone shows them back in the order they went out, after the query.
    for (std::size_t i = 0; i < buyers.size(); ++i) {
        arena.arenaMessage("Current Jackpot: 2000000000 (bonus round " + std::to_string(i) +
                           ") -Buyer" + std::to_string(i));
        ASSERT_EQ(arena.spawn().flagWatch.jackpot, 0) << i;
    }
    arena.arenaMessage("Current Jackpot: 1500");
    arena.tick(2);
    EXPECT_EQ(arena.takeTexts(), Texts{"*arena Jackpot: 1500  "});
}

// With the line budget, "?jackpot" may wait behind other lines for the
// zone: until it is handed to the host no arena message is its answer.
TEST(JackpotCycle, AQueryStillWaitingToGoOutIsNotYetAsked) {
    TestArena arena;
    arena.writeFile("quorvel.ini",
                    "[Settings]\nLinesPerSecond=2\nInventory=1\n[Store]\nArena=40\n");
    arena.handshake();
    const PlayerRecord& pat = arena.addPlayer({.name = "Pat"});
    arena.tick(4);
    arena.gold().credit("Pat", 7 * 40);
    for (int i = 0; i < 7; ++i) {
        arena.command(pat, "buy", "arena hello"); // 2 now, the rest on later ticks
    }
    arena.take();
    arena.tick(); // the query waits behind three arena messages
    EXPECT_EQ(arena.takeTexts().size(), 2u);
    arena.arenaMessage("Current Jackpot: 1999999999");
    EXPECT_EQ(arena.spawn().flagWatch.jackpot, 0);
    arena.tick();
    EXPECT_EQ(arena.takeTexts().size(), 2u); // two more arena messages
    arena.arenaMessage("Current Jackpot: 1999999998");
    EXPECT_EQ(arena.spawn().flagWatch.jackpot, 0);
    arena.tick();
    const Texts last = arena.takeTexts();
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(last[1], "?jackpot");
    arena.arenaMessage("Current Jackpot: 1500");
    EXPECT_EQ(arena.spawn().flagWatch.jackpot, 1500);
}

TEST(JackpotCycle, TrailingTextAndOutOfRangeAmountsNeverGiveAWrongJackpot) {
    TestArena arena;
    connectWithIni(arena, "");
    std::int32_t& jackpot = arena.spawn().flagWatch.jackpot;
    struct Case {
        const char* answer;
        std::int32_t jackpot;
    };
    const Case cases[] = {
        {"Current Jackpot: 1500 points", 1500},
        {"Current Jackpot: 1500.", 1500},
        {"Current Jackpot: 1500, flags in play", 1500},
        {"Current Jackpot: 2147483647", 2147483647},
        {"Current Jackpot: 0042", 42},
        // Not read: no jackpot is known until a readable answer comes.
        {"Current Jackpot: 1,500", 0},
        {"Current Jackpot: 12.5", 0},
        {"Current Jackpot: 1500abc", 0},
        {"Current Jackpot: ff", 0},
        {"Current Jackpot: -5", 0},
        {"Current Jackpot: ", 0},
        {"Current Jackpot:  500", 0},
        {"Current Jackpot: 2147483648", 0},
        {"Current Jackpot: 4294967796", 0}, // 2^32 + 500 must not read as 500
        {"Current Jackpot: 99999999999999999999999999", 0},
    };
    for (const Case& c : cases) {
        jackpot = 777;
        arena.spawn().arenaQuery = Bot::ArenaQuery{"?jackpot", true};
        arena.arenaMessage(c.answer);
        EXPECT_EQ(jackpot, c.jackpot) << c.answer;
    }
    // An unreadable answer to the query stops a stale broadcast.
    jackpot = 1500;
    arena.tick(5);
    arena.arenaMessage("Current Jackpot: 1,700");
    arena.tick(5);
    EXPECT_EQ(arena.takeTexts(), Texts{"?jackpot"});
}

} // namespace
} // namespace quorvel::testing
