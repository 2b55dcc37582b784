// A bot whose folder keeps its economy in a database: the tests play it
// through the module as a host would, against a PostgreSQL of their own, and
// play the other hosts of the network by writing to that database directly.
#include "economy_arena.h"
#include "gold/database_economy.h"
#include "gold/database_schema.h"
#include "support/stalling_proxy.h"
#include "support/throwaway_server.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace quorvel::testing {
namespace {

using platform::odbc::Connection;
using Clock = std::chrono::steady_clock;

std::string databaseIni(const std::string& connection, const std::string& more = "") {
    return "[Settings]\nInventory=1\n[Database]\nEconomy=database\nConnection=" + connection +
           "\nHostId=east\nPollSeconds=1\nTerminateWaitMs=10000\n" + more;
}

DatabaseEconomy& economyOf(TestArena& arena) {
    return dynamic_cast<DatabaseEconomy&>(*arena.spawn().gold.economy);
}

// Ticks the bot until `done` holds, at most `seconds`; the records sent meanwhile
// are kept in `sent`.
bool tickUntil(TestArena& arena, std::vector<Sent>& sent, const std::function<bool()>& done,
               int seconds = 20) {
    const auto until = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < until) {
        arena.tick();
        for (Sent& record : arena.take()) {
            sent.push_back(std::move(record));
        }
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

bool saw(const std::vector<Sent>& sent, const Sent& wanted) {
    return std::ranges::find(sent, wanted) != sent.end();
}

std::size_t countStarting(const std::vector<Sent>& sent, std::string_view start) {
    return static_cast<std::size_t>(std::ranges::count_if(
        sent, [&](const Sent& record) { return record.text.starts_with(start); }));
}

std::int64_t number(Connection& db, const std::string& sql, const Connection::Values& values = {}) {
    std::optional<std::int64_t> value;
    const platform::Status read = db.queryNumber(sql, values, value);
    EXPECT_TRUE(read.ok()) << read.reason();
    return value.value_or(-1);
}

std::int64_t goldIn(Connection& db, const std::string& folded) {
    return number(db, "SELECT gold FROM quorvel_accounts WHERE folded = ?", {folded});
}

JournalEntry line(std::string_view account, std::string_view field, std::string_view change) {
    JournalEntry entry;
    entry.cause = {"west", "-", 1};
    entry.account = account;
    entry.field = field;
    entry.change = change;
    entry.after = "0";
    entry.time = "2026-12-09T05:00:00Z";
    return entry;
}

void applyAsWest(Connection& db, const DatabaseRecord& record) {
    std::vector<RecordOutcome> outcomes;
    const platform::Status done =
        applyRecords(db, Dialect::postgres, "west", {&record, 1}, outcomes);
    ASSERT_TRUE(done.ok()) << done.reason();
}

constexpr std::string_view lostStart = "The economy's database cannot be reached";
constexpr std::string_view backStart = "The economy's database is back";
constexpr std::string_view unreachableReply =
    "The gold bank cannot be reached just now: nothing was bought and no gold was taken. Try "
    "again in a moment.";

// Awards reach the database once; another host's changes are seen at the
// next poll; a purchase is answered once the database took the price, and
// refused when another host spent the gold first, though the bot had not
// heard of it yet. The database stopped at once and started again: awards go
// on, purchases are refused meanwhile, the console is told once of each, and
// nothing is lost or applied twice.
TEST(DatabaseBot, TheDatabaseSettlesPurchasesAndAnOutageLosesNothing) {
    ThrowawayServer server(ThrowawayServer::Kind::postgres);
    ASSERT_TRUE(server.ready()) << server.why();
    TestArena arena;
    arena.writeFile("quorvel.ini", databaseIni(server.connection()));
    arena.handshake();
    std::vector<Sent> sent = arena.take();
    auto& bob = arena.addPlayer({.name = "Bob", .team = 1, .ship = 1});
    auto& al = arena.addPlayer({.name = "Al", .team = 2, .ship = 2});
    arena.enter(bob);
    arena.enter(al);
    Connection db;
    ASSERT_TRUE(db.open(server.connection(), 5).ok());
    const auto balance = [&] { return arena.spawn().gold.economy->balance("Bob"); };

    arena.kill(al, bob); // Bob +2
    ASSERT_TRUE(tickUntil(arena, sent, [&] { return goldIn(db, "bob") == 2; }));
    applyAsWest(db, {1, false, {line("BOB", "gold", "+500")}});
    ASSERT_TRUE(tickUntil(
        arena, sent, [&] { return balance() == 502; }, 5))
        << "another host's credit unseen: " << balance();

    arena.command(bob, "buy", "inv guns"); // 300
    const std::vector<Sent> atOnce = arena.take();
    EXPECT_TRUE(atOnce.empty()) << describeAll(atOnce); // answered once settled
    ASSERT_TRUE(tickUntil(arena, sent, [&] {
        return saw(sent, privateLine(bob, "Gun Upgrade placed in Inventory"));
    }));
    EXPECT_EQ(goldIn(db, "bob"), 202);
    EXPECT_EQ(number(db, "SELECT guns FROM quorvel_inventory WHERE folded = 'bob'"), 1);
    EXPECT_EQ(balance(), 202u);

    // West spends the last gold; this bot has not polled since, and sells.
    applyAsWest(db, {2, true, {line("Bob", "gold", "-202")}});
    arena.command(bob, "buy", "points"); // 500: refused by the cache already
    arena.command(bob, "buy", "bounty"); // 400
    arena.command(bob, "buy", "reset");  // 50: the cache says yes
    sent.clear();
    ASSERT_TRUE(tickUntil(arena, sent, [&] {
        return saw(sent, privateLine(bob, "You must have 50 Gold in your account to access this "
                                          "command."));
    }));
    EXPECT_FALSE(saw(sent, privateLine(bob, "Score Reset")));
    EXPECT_EQ(goldIn(db, "bob"), 0);
    EXPECT_EQ(number(db, "SELECT COUNT(*) FROM quorvel_ledger WHERE host = 'east' AND outcome = 0"),
              1); // the database refused it
    ASSERT_TRUE(tickUntil(
        arena, sent, [&] { return balance() == 0; }, 5));

    // The database dies.
    applyAsWest(db, {3, false, {line("Bob", "gold", "+1000")}});
    ASSERT_TRUE(tickUntil(
        arena, sent, [&] { return balance() == 1000; }, 5));
    db.close();
    ASSERT_TRUE(server.stopNow());
    sent.clear();
    for (int kill = 0; kill < 5; ++kill) {
        arena.kill(al, bob);
    }
    ASSERT_TRUE(tickUntil(arena, sent, [&] { return countStarting(sent, lostStart) > 0; }));
    EXPECT_EQ(balance(), 1010u); // the awards go on
    arena.command(bob, "buy", "reset");
    EXPECT_TRUE(sentExactly(arena.take(), {privateLine(bob, std::string(unreachableReply))}));
    arena.tick(3);
    arena.kill(al, bob);
    sent.clear();
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(tickUntil(arena, sent, [&] { return countStarting(sent, backStart) > 0; }));
    ASSERT_TRUE(db.open(server.connection(), 5).ok());
    ASSERT_TRUE(tickUntil(arena, sent, [&] { return goldIn(db, "bob") == 1012; }));
    arena.tick(3);
    EXPECT_EQ(goldIn(db, "bob"), 1012);
    EXPECT_EQ(balance(), 1012u);
    EXPECT_EQ(countStarting(sent, lostStart), 0u);
    EXPECT_EQ(countStarting(sent, backStart), 1u);
    EXPECT_EQ(economyOf(arena).waiting(), 0u);
}

// A network that stops answering (every packet dropped, every socket left
// open) never holds up the bot: each tick returns at once, the console hears
// of it within NetworkTimeoutMs, purchases are refused, and once the network
// is back what waited reaches the database once. A host name another live
// process holds is refused until that process gives it up.
TEST(DatabaseBot, ADeadNetworkNeverHoldsUpTheBotAndAHostNameHasOneLiveHolder) {
    PrivateLoopback network; // the worker thread, started later, lives in it too
    ASSERT_TRUE(network.ready()) << network.why();
    ThrowawayServer server(ThrowawayServer::Kind::postgres, ThrowawayServer::Listen::alsoTcp);
    ASSERT_TRUE(server.ready()) << server.why();
    Connection db;
    ASSERT_TRUE(db.open(server.connection(), 5).ok());
    ASSERT_TRUE(prepareSchema(db, Dialect::postgres).ok());
    const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    bool held = false;
    std::string holder;
    ASSERT_TRUE(
        claimHost(db, Dialect::postgres, "east", "another process", now, 15, held, holder).ok());
    ASSERT_TRUE(held);

    TestArena arena;
    arena.writeFile("quorvel.ini", databaseIni(server.tcpConnection(), "NetworkTimeoutMs=1500\n"));
    arena.handshake();
    std::vector<Sent> sent = arena.take();
    auto& bob = arena.addPlayer({.name = "Bob", .team = 1, .ship = 1});
    auto& al = arena.addPlayer({.name = "Al", .team = 2, .ship = 2});
    arena.enter(bob);
    arena.enter(al);
    arena.kill(al, bob);
    ASSERT_TRUE(tickUntil(arena, sent, [&] {
        return countStarting(sent, "Another live host holds the name east") == 1;
    }));
    arena.tick(2);
    EXPECT_EQ(number(db, "SELECT COUNT(*) FROM quorvel_ledger WHERE host = 'east'"), 0);
    ASSERT_TRUE(releaseHost(db, "east", "another process").ok());
    ASSERT_TRUE(tickUntil(arena, sent, [&] { return goldIn(db, "bob") == 2; }));
    EXPECT_EQ(countStarting(sent, backStart), 1u);
    EXPECT_EQ(countStarting(sent, "Another live host"), 1u);
    applyAsWest(db, {1, false, {line("Bob", "gold", "+1000")}});
    ASSERT_TRUE(
        tickUntil(arena, sent, [&] { return arena.spawn().gold.economy->balance("Bob") == 1002; }));

    db.close();
    ASSERT_TRUE(network.cut());
    sent.clear();
    arena.kill(al, bob);
    const auto cutAt = Clock::now();
    auto slowestTick = Clock::duration::zero();
    bool told = false;
    while (!told && Clock::now() - cutAt < std::chrono::seconds(10)) {
        const auto before = Clock::now();
        arena.tick();
        slowestTick = std::max(slowestTick, Clock::now() - before);
        for (Sent& record : arena.take()) {
            told = told || record.text.starts_with(lostStart);
            sent.push_back(std::move(record));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(told) << describeAll(sent);
    EXPECT_LT(Clock::now() - cutAt, std::chrono::milliseconds(1500 + 2000));
    EXPECT_LT(slowestTick, std::chrono::milliseconds(100));
    arena.command(bob, "buy", "reset");
    EXPECT_TRUE(sentExactly(arena.take(), {privateLine(bob, std::string(unreachableReply))}));
    arena.kill(al, bob);

    ASSERT_TRUE(network.mend());
    ASSERT_TRUE(tickUntil(
        arena, sent, [&] { return countStarting(sent, backStart) > 0; }, 30));
    ASSERT_TRUE(db.open(server.connection(), 5).ok());
    ASSERT_TRUE(tickUntil(arena, sent, [&] { return goldIn(db, "bob") == 1006; }));
    arena.tick(2);
    EXPECT_EQ(goldIn(db, "bob"), 1006);
    EXPECT_EQ(countStarting(sent, lostStart), 1u);
}

} // namespace
} // namespace quorvel::testing
