#include "lib/zone.h"

#include <gtest/gtest.h>

using namespace quorvel;
using namespace quorvel::host;

namespace {

Received privateLine(const PlayerSlot& p, const std::string& text) {
    Received r;
    r.code = Say;
    r.chatType = Private;
    r.target = p.record.ident;
    r.text = text;
    return r;
}

Received publicLine(const std::string& text) {
    Received r;
    r.code = Say;
    r.chatType = Public;
    r.text = text;
    return r;
}

PlayerFields inShip(std::uint8_t ship) {
    PlayerFields f;
    f.ship = ship;
    return f;
}

bool noted(const ZoneOutcome& out, const std::string& part) {
    for (const std::string& n : out.notes) {
        if (n.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(Zone, ShipFreqAndSpectatorLinesChangeTheRecordAndReportIt) {
    Arena arena;
    PlayerSlot& bob = arena.add("Bob", inShip(0), false);

    ZoneOutcome ship = carryOut(privateLine(bob, "*setship 3"), arena);
    EXPECT_EQ(bob.record.ship, 2);
    ASSERT_EQ(ship.reports.size(), 1u);
    EXPECT_EQ(ship.reports[0].code, PlayerShipChanged);
    EXPECT_EQ(ship.reports[0].player, &bob);
    // The same ship again changes nothing and reports nothing.
    EXPECT_TRUE(carryOut(privateLine(bob, "*setship 3"), arena).reports.empty());
    EXPECT_TRUE(noted(carryOut(privateLine(bob, "*setship 9"), arena), "unknown"));
    EXPECT_EQ(bob.record.ship, 2);

    ZoneOutcome freq = carryOut(privateLine(bob, "*setfreq 7"), arena);
    EXPECT_EQ(bob.record.team, 7);
    ASSERT_EQ(freq.reports.size(), 1u);
    EXPECT_EQ(freq.reports[0].code, PlayerTeamChanged);

    ZoneOutcome spectated = carryOut(privateLine(bob, "*spec"), arena);
    EXPECT_EQ(bob.record.ship, 8);
    ASSERT_EQ(spectated.reports.size(), 1u);
    EXPECT_EQ(spectated.reports[0].code, PlayerSpectating);
    EXPECT_TRUE(carryOut(privateLine(bob, "*spec"), arena).reports.empty());
}

TEST(Zone, SpecallTakesEveryShipInListOrder) {
    Arena arena;
    PlayerSlot& a = arena.add("A", inShip(1), false);
    arena.add("Watcher", inShip(8), false);
    PlayerSlot& bot = arena.add("Bot", inShip(3), true);
    ZoneOutcome out = carryOut(publicLine("*specall"), arena);
    ASSERT_EQ(out.reports.size(), 2u);
    EXPECT_EQ(out.reports[0].player, &a);
    EXPECT_EQ(out.reports[1].player, &bot);
    EXPECT_EQ(bot.record.ship, 8);
}

TEST(Zone, WarpPrizesAndScore) {
    Arena arena;
    PlayerFields f;
    f.antiwarp = true;
    f.points = 40;
    f.wins = 3;
    PlayerSlot& bob = arena.add("Bob", f, false);

    ZoneOutcome warp = carryOut(privateLine(bob, "*warpto 300 -4"), arena);
    EXPECT_EQ(bob.record.tileX, 300);
    EXPECT_EQ(bob.record.tileY, -4);
    EXPECT_EQ(bob.record.pixelX, 4800);
    EXPECT_EQ(bob.record.pixelY, -64);
    ASSERT_EQ(warp.reports.size(), 1u);
    EXPECT_EQ(warp.reports[0].code, PlayerMoved);
    EXPECT_TRUE(noted(carryOut(privateLine(bob, "*warpto 300"), arena), "unknown"));

    carryOut(privateLine(bob, "*prize #-20"), arena);
    EXPECT_EQ(bob.record.antiwarpOn, 0);
    carryOut(privateLine(bob, "*prize#8"), arena);
    carryOut(privateLine(bob, "*prize 5000"), arena);
    EXPECT_EQ(bob.prizes, (std::vector<int>{-20, 8}));
    EXPECT_EQ(bob.bounty, 5000);

    carryOut(privateLine(bob, "*points 10000"), arena);
    EXPECT_EQ(bob.record.flagPoints, 10040);
    carryOut(privateLine(bob, "*scorereset"), arena);
    EXPECT_EQ(bob.record.flagPoints, 0);
    EXPECT_EQ(bob.record.wins, 0);
}

TEST(Zone, ArenaWideLines) {
    Arena arena;
    arena.jackpot = 1500;
    ZoneOutcome jackpot = carryOut(publicLine("?jackpot"), arena);
    ASSERT_EQ(jackpot.reports.size(), 1u);
    EXPECT_EQ(jackpot.reports[0].code, ChatMessage);
    EXPECT_EQ(jackpot.reports[0].text, "Current Jackpot: 1500");

    ZoneOutcome shown = carryOut(publicLine("*arena  Hello  "), arena);
    ASSERT_EQ(shown.reports.size(), 1u);
    EXPECT_EQ(shown.reports[0].text, " Hello  ");

    carryOut(publicLine("*lock"), arena);
    EXPECT_TRUE(arena.locked);
    carryOut(publicLine("*lock"), arena);
    EXPECT_FALSE(arena.locked);

    carryOut(publicLine("*timer 10"), arena);
    EXPECT_EQ(arena.timerMinutes, 10);
    carryOut(publicLine("*timereset"), arena);
    EXPECT_EQ(arena.timerMinutes, 0);
    carryOut(publicLine("*objon 3"), arena);
    EXPECT_EQ(arena.objectsOn, (std::vector<std::uint32_t>{3}));
}

TEST(Zone, UnknownLinesAreShownAndPlainChatIsLeftAlone) {
    Arena arena;
    PlayerSlot& bob = arena.add("Bob", {}, false);
    EXPECT_TRUE(noted(carryOut(publicLine("*kick everyone"), arena), "unknown zone command"));
    EXPECT_TRUE(noted(carryOut(publicLine("*setship 3"), arena), "not a public zone command"));
    EXPECT_TRUE(noted(carryOut(privateLine(bob, "*lock"), arena), "not a private zone command"));
    Received stranger = privateLine(bob, "*spec");
    stranger.target = 999;
    EXPECT_TRUE(noted(carryOut(stranger, arena), "no player with ident 999"));
    ZoneOutcome chat = carryOut(publicLine("hello *setship"), arena);
    EXPECT_TRUE(chat.notes.empty());
    EXPECT_TRUE(chat.reports.empty());
    // A line longer than a chat line holds is refused whole.
    EXPECT_EQ(carryOut(publicLine("*arena " + std::string(233, 'x')), arena).reports.size(), 1u);
    ZoneOutcome tooLong = carryOut(publicLine("*arena " + std::string(234, 'x')), arena);
    EXPECT_TRUE(noted(tooLong, "refuses a line of 241 bytes"));
    EXPECT_TRUE(tooLong.reports.empty());
}
