#include "rabbit_test_support.h"

#include <gtest/gtest.h>

#include <utility>

namespace quorvel::testing {
namespace {

using Timed = std::pair<int, Sent>; // tick number, line

// Ticks `count` times and keeps the rabbit game's own lines with the tick
// they came on (the jackpot's lines are left out).
std::vector<Timed> tickAndCollect(TestArena& arena, int count) {
    std::vector<Timed> lines;
    for (int t = 1; t <= count; ++t) {
        arena.tick();
        for (Sent& sent : arena.take()) {
            if (sent.text.find("abbit") != std::string::npos ||
                sent.text.find("overstayed") != std::string::npos ||
                sent.text.rfind("*timer", 0) == 0 || sent.text == "*prize 5000") {
                lines.emplace_back(t, std::move(sent));
            }
        }
    }
    return lines;
}

std::string survived(const PlayerRecord& rabbit, int minutes, const std::string& square) {
    return "*arena " + nameOf(rabbit) + " has survived for " + std::to_string(minutes) +
           " minutes as Bounty Rabbit!  Last seen at " + square;
}

std::string uberabbit(const PlayerRecord& rabbit) {
    return "*arena " + nameOf(rabbit) +
           " has survived the 10-minute duration as Bounty Rabbit!  Congratulations on becoming "
           "an Uberabbit!";
}

std::vector<Timed> startedAt(int tick, const PlayerRecord& rabbit) {
    std::vector<Timed> lines;
    for (Sent& sent : drawnStart(rabbit)) {
        lines.emplace_back(tick, std::move(sent));
    }
    return lines;
}

// The 5-minute, 9-minute and Uberabbit steps come 300, 540 and 600 ticks
// after the start, once each, while the jackpot broadcasts run meanwhile; a
// successor started on a tick gets its own steps counted from that tick.
TEST(RabbitClock, StepsComeOnceAtTheirTicks) {
    for (std::uint32_t seed : {3u, 17u, 123456u}) {
        TestArena arena(seed);
        DrawMirror mirror(seed);
        arena.handshake();
        arena.take();
        arena.arenaMessage("Current Jackpot: 500");
        PlayerRecord& mod = arena.addPlayer({.name = "Mo", .ship = 8, .accessLevel = modLevel});
        PlayerRecord& ann = arena.addPlayer({.name = "Ann", .ship = 0, .tileX = 100, .tileY = 900});
        PlayerRecord& bob = arena.addPlayer({.name = "Bob", .ship = 2});
        PlayerRecord& cat = arena.addPlayer({.name = "Cat", .ship = 5, .tileX = 1000, .tileY = 20});
        const auto squareOf = [&](const PlayerRecord& p) {
            return &p == &ann ? std::string("B18") : &p == &bob ? "K11" : "T1";
        };
        arena.tick(7);
        arena.take();
        arena.command(mod, "newpick");
        const PlayerRecord* first = mirror.pick({&ann, &bob, &cat});
        ASSERT_EQ(arena.take(), drawnStart(*first));

        auto lines = tickAndCollect(arena, 400);
        EXPECT_EQ(lines, (std::vector<Timed>{
                             {300, publicLine(survived(*first, 5, squareOf(*first)), 13)}}));
        // The 9-minute step tells where the rabbit is now.
        PlayerRecord& moved = const_cast<PlayerRecord&>(*first);
        arena.setPosition(moved, 0, 0);
        arena.move(moved);
        lines = tickAndCollect(arena, 200); // ticks 401 to 600
        const PlayerRecord* second = mirror.pick({&ann, &bob, &cat});
        std::vector<Timed> expected = {{140, publicLine(survived(*first, 9, "A1"), 13)},
                                       {200, publicLine(uberabbit(*first), 5)}};
        for (Timed& line : startedAt(200, *second)) {
            expected.push_back(std::move(line));
        }
        EXPECT_EQ(lines, expected) << "seed " << seed;

        // The successor started on tick 600 hears its steps on 900, 1140, 1200.
        lines = tickAndCollect(arena, 600);
        ASSERT_GE(lines.size(), 3u);
        const std::string secondSquare = second == first ? "A1" : squareOf(*second);
        EXPECT_EQ(lines[0], Timed(300, publicLine(survived(*second, 5, secondSquare), 13)));
        EXPECT_EQ(lines[1], Timed(540, publicLine(survived(*second, 9, secondSquare), 13)));
        EXPECT_EQ(lines[2], Timed(600, publicLine(uberabbit(*second), 5)));
        EXPECT_EQ(lines.size(), 7u); // and the third rabbit's start
    }
}

// Inside a safety zone on every report: the overstay comes on the 20th tick
// after the first report that finds the countdown run out. Reported outside
// once a tick: never.
TEST(RabbitClock, SafetyZoneOverstay) {
    const std::uint32_t seed = 41;
    TestArena arena(seed);
    DrawMirror mirror(seed);
    arena.handshake();
    arena.take();
    PlayerRecord& mod = arena.addPlayer({.name = "Mo", .ship = 8, .accessLevel = modLevel});
    PlayerRecord& ann = arena.addPlayer({.name = "Ann", .ship = 0});
    PlayerRecord& bob = arena.addPlayer({.name = "Bob", .ship = 1});
    arena.command(mod, "newpick");
    PlayerRecord& rabbit = const_cast<PlayerRecord&>(*mirror.pick({&ann, &bob}));
    arena.take();

    // Outside once a tick, inside on the reports around it.
    for (int t = 0; t < 250; ++t) {
        rabbit.inSafetyZone = 1;
        arena.move(rabbit);
        rabbit.inSafetyZone = 0;
        arena.move(rabbit);
        rabbit.inSafetyZone = 1;
        arena.move(rabbit);
        arena.tick();
    }
    for (const Sent& sent : arena.take()) {
        EXPECT_EQ(sent.text.find("overstayed"), std::string::npos) << describe(sent);
    }

    // Inside on every report from now on: the last tick left the countdown
    // at -1, so the first report times the stay from 20.
    rabbit.inSafetyZone = 1;
    std::vector<Timed> lines;
    for (int t = 1; t <= 30 && lines.empty(); ++t) {
        arena.move(rabbit);
        arena.tick();
        for (Sent& sent : arena.take()) {
            lines.emplace_back(t, std::move(sent));
        }
    }
    const PlayerRecord* next = mirror.pick({&ann, &bob});
    std::vector<Timed> expected = {{20, publicLine("*arena " + nameOf(rabbit) +
                                                   " overstayed his welcome in the safety zone.")}};
    for (Timed& line : startedAt(20, *next)) {
        expected.push_back(std::move(line));
    }
    EXPECT_EQ(lines, expected);
}

// An Uberabbit tick on which the old rabbit's stay also ran out: the
// successor started on that tick has not overstayed.
TEST(RabbitClock, SuccessorOfAnUberabbitHasNotOverstayed) {
    const std::uint32_t seed = 5;
    TestArena arena(seed);
    DrawMirror mirror(seed);
    arena.handshake();
    arena.take();
    PlayerRecord& mod = arena.addPlayer({.name = "Mo", .ship = 8, .accessLevel = modLevel});
    PlayerRecord& ann = arena.addPlayer({.name = "Ann", .ship = 0});
    PlayerRecord& bob = arena.addPlayer({.name = "Bob", .ship = 1});
    PlayerRecord& cat = arena.addPlayer({.name = "Cat", .ship = 1});
    arena.command(mod, "newpick");
    PlayerRecord& rabbit = const_cast<PlayerRecord&>(*mirror.pick({&ann, &bob, &cat}));
    arena.tick(580);
    rabbit.inSafetyZone = 1;
    arena.move(rabbit); // timed from 20: runs out on tick 600 with the ten minutes
    arena.take();
    auto lines = tickAndCollect(arena, 40);
    const PlayerRecord* next = mirror.pick({&ann, &bob, &cat});
    std::vector<Timed> expected = {{20, publicLine(uberabbit(rabbit), 5)}};
    for (Timed& line : startedAt(20, *next)) {
        expected.push_back(std::move(line));
    }
    EXPECT_EQ(lines, expected);
}

} // namespace
} // namespace quorvel::testing
