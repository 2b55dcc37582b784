// The soak's checks must be able to fail: each is shown a fault of the kind
// it watches for, made by hand, and must report it; and the same session
// without the fault must pass.
#include "departure_watch.h"
#include "ledger_audit.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <fstream>

namespace quorvel::testing {
namespace {

AuditRules someRules() {
    AuditRules rules;
    rules.kill = 2;
    rules.teamKill = 5;
    rules.prices = {{"guns", 300}};
    return rules;
}

struct AuditedArena {
    AuditedArena() : audit(arena.directory() + "/gold.log", someRules()) {
        arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=0\n[Gold]\nKill=2\n");
        arena.handshake();
        arena.take();
    }
    void after(std::vector<std::int64_t> typed = {}) {
        audit.afterEvent(arena.gold(), typed, ++event);
    }
    void journal(const std::string& line) {
        std::ofstream(arena.directory() + "/gold.log", std::ios::app) << line << "\n";
    }
    TestArena arena;
    LedgerAudit audit;
    std::uint64_t event = 0;
};

TEST(LedgerAuditCheck, PassesAPlainSessionAndReportsEachKindOfFault) {
    AuditedArena a;
    PlayerRecord& staff = a.arena.addPlayer({.name = "Warden", .accessLevel = 2});
    PlayerRecord& bob = a.arena.addPlayer({.name = "Bob", .team = 1, .ship = 1});
    PlayerRecord& al = a.arena.addPlayer({.name = "Al", .team = 2, .ship = 1});
    a.arena.command(staff, "givegold", "Bob:400");
    a.after({400});
    a.arena.kill(al, bob);
    a.after();
    a.arena.command(bob, "buy", "use guns");
    a.after();
    a.arena.command(bob, "lendgold", "al:30");
    a.after({30});
    ASSERT_TRUE(a.audit.faults().empty()) << a.audit.faults().front();
    ASSERT_EQ(a.audit.goldLines(), 5u);

    // A balance that moves without a line.
    a.arena.gold().find("Bob")->amount += 7;
    a.after();
    ASSERT_EQ(a.audit.faults().size(), 1u);
    EXPECT_NE(a.audit.faults()[0].find("Bob holds 79 but gold.log says 72"), std::string::npos)
        << a.audit.faults()[0];

    // A line whose before and after do not add up, and a change its cause
    // cannot explain (a kill pays 2).
    a.journal("2026-12-08T00:00:00Z\tkill Bob\tAl\tAl\tgold\t+2\t999\t1\t99\t1/1");
    a.arena.gold().find("Al")->amount = 999;
    a.after();
    ASSERT_EQ(a.audit.faults().size(), 2u);
    EXPECT_NE(a.audit.faults()[1].find("Al went from 30 by +2 to 999"), std::string::npos)
        << a.audit.faults()[1];
    a.journal("2026-12-08T00:00:00Z\tkill Bob\tAl\tAl\tgold\t+7\t1006\t1\t99\t1/1");
    a.arena.gold().find("Al")->amount = 1006;
    a.after();
    ASSERT_EQ(a.audit.faults().size(), 3u);
    EXPECT_NE(a.audit.faults()[2].find("caused by \"kill Bob\""), std::string::npos)
        << a.audit.faults()[2];

    // A staff gift of an amount nobody typed, and a wrapped balance.
    a.journal("2026-12-08T00:00:00Z\tgivegold\tWarden\tAl\tgold\t+5\t1011\t1\t99\t1/1");
    a.arena.gold().find("Al")->amount = 1011;
    a.after({6});
    ASSERT_EQ(a.audit.faults().size(), 4u);
    a.journal(
        "2026-12-08T00:00:00Z\tgivegold\tWarden\tAl\tgold\t+4294967295\t4294968306\t1\t99\t1/1");
    a.after({4294967295LL});
    ASSERT_EQ(a.audit.faults().size(), 6u); // out of range, and not where Al's balance is
    EXPECT_NE(a.audit.faults()[4].find("left 0..4294967295"), std::string::npos)
        << a.audit.faults()[4];
}

TEST(DepartureWatchCheck, ReportsLinesToAndAboutPlayersWhoLeft) {
    TestArena arena;
    DepartureWatch watch;
    PlayerRecord& bob = arena.addPlayer({.name = "Bob"});
    PlayerRecord& al = arena.addPlayer({.name = "Al"});
    watch.entered(bob);
    watch.entered(al);
    watch.check({privateLine(bob, "Welcome Bob."), publicLine("*arena New rabbit: Bob")}, {}, 1);
    ASSERT_TRUE(watch.faults().empty());

    watch.left(bob);
    watch.check({privateLine(al, "Hello Al")}, {}, 2);
    ASSERT_TRUE(watch.faults().empty());
    watch.check({privateLine(bob, "*setship 1")}, {}, 3);
    ASSERT_EQ(watch.faults().size(), 1u);
    watch.check({publicLine("*arena New rabbit: BOB")}, {}, 4);
    ASSERT_EQ(watch.faults().size(), 2u);
    // Answering a command that typed the name is fine, and so is naming
    // another player of the same name who is in the arena.
    watch.check({privateLine(al, "5 Gold given to bob")}, "bob:5", 5);
    PlayerRecord& bobAgain = arena.addPlayer({.name = "BOB"});
    watch.entered(bobAgain);
    watch.check({publicLine("*arena New rabbit: BOB")}, {}, 6);
    EXPECT_EQ(watch.faults().size(), 2u);
}

} // namespace
} // namespace quorvel::testing
