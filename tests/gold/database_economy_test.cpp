// A bot whose folder keeps its economy in a database: the tests play it
// through the module as a host would, against a PostgreSQL of their own, and
// play the other hosts of the network by writing to that database directly.
#include "base/text/text_rules.h"
#include "economy_arena.h"
#include "gold/database_economy.h"
#include "gold/database_schema.h"
#include "gold/journal_format.h"
#include "support/stalling_proxy.h"
#include "support/throwaway_server.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
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
    ASSERT_TRUE(tickUntil(arena, sent, [&] { return economyOf(arena).reachable(); }));
    Connection db;
    ASSERT_TRUE(db.open(server.connection(), 5).ok());
    const auto balance = [&] { return arena.spawn().gold.economy->balance("Bob"); };

    arena.kill(al, bob); // Bob +2
    ASSERT_TRUE(tickUntil(arena, sent, [&] { return goldIn(db, "bob") == 2; }));
    applyAsWest(db, {1, false, {ledgerLine("BOB", "gold", "+500")}});
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
    applyAsWest(db, {2, true, {ledgerLine("Bob", "gold", "-202")}});
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
    applyAsWest(db, {3, false, {ledgerLine("Bob", "gold", "+1000")}});
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
    applyAsWest(db, {1, false, {ledgerLine("Bob", "gold", "+1000")}});
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

#ifdef QUORVEL_HOST_PATH
// One host's folder: its own quorvel.ini section and gold.log.
struct HostFolder {
    std::string name;
    std::string folder;

    // A generated session, played by quorvel-host in a process of its own;
    // the shell command that starts it.
    std::string session(const std::string& args) const {
        return std::string("'") + QUORVEL_HOST_PATH + "' -m '" + QUORVEL_MODULE_PATH + "' -d '" +
               folder + "' --seed none -q --generate --ini-extra '" + folder + ".ini' " + args +
               " >>'" + folder + ".out' 2>&1";
    }
    // The records of gold.log: number -> the gold each account gained.
    std::map<std::uint64_t, std::map<std::string, std::int64_t>> records() const {
        std::map<std::uint64_t, std::map<std::string, std::int64_t>> found;
        std::ifstream journal(folder + "/gold.log");
        std::string text;
        while (std::getline(journal, text)) {
            const std::optional<JournalFields> fields = readJournalLine(text);
            if (!fields || !fields->inRecord()) {
                continue;
            }
            auto& record = found[fields->seq];
            if (fields->field == journalGoldField) {
                record[foldedCopy(journalUnescape(fields->account))] +=
                    readJournalChange(fields->change).value_or(0);
            }
        }
        return found;
    }
};

// Two hosts in two folders (two machines, as far as the database can tell)
// play at once on one database, buying from the same accounts; then one is
// killed while it sends, and started again. Every record either journal
// holds is in the database once, the database's balances are exactly the
// sum of what was applied, and nothing else got there but purchases the
// database settled as the killed host died.
TEST(DatabaseHosts, TwoHostsConvergeAndAKilledHostSendsWhatWasNotConfirmed) {
    ThrowawayServer server(ThrowawayServer::Kind::postgres);
    ASSERT_TRUE(server.ready()) << server.why();
    TestArena place; // a fresh folder for the two hosts' folders
    std::vector<HostFolder> hosts = {{"east", place.directory() + "/east"},
                                     {"west", place.directory() + "/west"}};
    for (const HostFolder& host : hosts) {
        std::filesystem::create_directory(host.folder);
        std::ofstream(host.folder + ".ini")
            << "[Database]\nEconomy=database\nConnection=" << server.connection()
            << "\nHostId=" << host.name << "\nTerminateWaitMs=30000\n";
    }
    {
        // The pilots start rich, so both hosts sell from the same accounts.
        Connection bank;
        ASSERT_TRUE(bank.open(server.connection(), 5).ok());
        ASSERT_TRUE(prepareSchema(bank, Dialect::postgres).ok());
        DatabaseRecord gifts{1, false, {}};
        for (int pilot = 1; pilot <= 200; ++pilot) {
            gifts.lines.push_back(ledgerLine("Pilot" + std::to_string(pilot), "gold", "+1000"));
        }
        std::vector<RecordOutcome> outcomes;
        ASSERT_TRUE(applyRecords(bank, Dialect::postgres, "bank", {&gifts, 1}, outcomes).ok());
    }
    const std::string both =
        "(" + hosts[0].session("--players 30 --seconds 600 --generate-seed 1") + " & " +
        hosts[1].session("--players 30 --seconds 600 --generate-seed 2") + "; wait)";
    ASSERT_EQ(std::system(both.c_str()), 0);

    // East again, killed while its records flow. Whatever fails below, the
    // process does not outlive the test.
    const std::string pidFile = hosts[0].folder + ".pid";
    struct KilledAtTheEnd {
        std::string pidFile;
        ~KilledAtTheEnd() {
            std::system(("kill -KILL $(cat '" + pidFile + "') 2>/dev/null").c_str());
        }
    } killedAtTheEnd{pidFile};
    ASSERT_EQ(std::system((hosts[0].session("--seconds 20000 --players 60 --generate-seed 3") +
                           " & echo $! >'" + pidFile + "'")
                              .c_str()),
              0);
    const std::size_t before = hosts[0].records().size();
    const auto until = Clock::now() + std::chrono::seconds(30);
    while (hosts[0].records().size() < before + 2000 && Clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::string pid;
    std::ifstream(pidFile) >> pid;
    ASSERT_FALSE(pid.empty());
    ASSERT_EQ(std::system(("kill -KILL " + pid).c_str()), 0) << [&] {
        std::ifstream out(hosts[0].folder + ".out");
        return std::string(std::istreambuf_iterator<char>(out), {});
    }();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(std::system(hosts[0].session("--players 30 --seconds 5 --generate-seed 4").c_str()),
              0);

    Connection db;
    ASSERT_TRUE(db.open(server.connection(), 5).ok());
    std::map<std::string, std::int64_t> fromJournals; // the gifts, and what the hosts did
    for (int pilot = 1; pilot <= 200; ++pilot) {
        fromJournals["pilot" + std::to_string(pilot)] = 1000;
    }
    std::size_t onlyInDatabase = 0;
    std::set<std::pair<std::string, std::uint64_t>> settledAsItDied;
    for (const HostFolder& host : hosts) {
        const auto records = host.records();
        std::set<std::uint64_t> applied;
        ASSERT_TRUE(db.query("SELECT seq, cause FROM quorvel_ledger WHERE host = ? AND part = 1 "
                             "AND outcome = 1",
                             {host.name},
                             [&](const Connection::Row& row) {
                                 const std::uint64_t seq = std::stoull(row[0].value_or("0"));
                                 applied.insert(seq);
                                 if (!records.contains(seq)) {
                                     ++onlyInDatabase;
                                     settledAsItDied.insert({host.name, seq});
                                     EXPECT_TRUE(row[1].value_or("").starts_with("purchase"))
                                         << host.name << " " << seq << " " << row[1].value_or("");
                                 }
                             })
                        .ok());
        for (const auto& [seq, gains] : records) {
            EXPECT_TRUE(applied.contains(seq)) << host.name << " record " << seq << " never sent";
            for (const auto& [account, gain] : gains) {
                fromJournals[account] += gain;
            }
        }
        EXPECT_GT(records.size(), 300u) << host.name;
        EXPECT_GT(number(db,
                         "SELECT COUNT(*) FROM quorvel_ledger WHERE host = ? AND part = 1 AND "
                         "cause LIKE 'purchase%'",
                         {host.name}),
                  0)
            << host.name;
    }
    EXPECT_LE(onlyInDatabase, 50u);
    // The accounts are the sum of the applied lines, each once.
    std::map<std::string, std::int64_t> fromLedger;
    ASSERT_TRUE(db.query("SELECT account, change_text, host, seq FROM quorvel_ledger WHERE "
                         "outcome = 1 AND field = 'gold'",
                         {},
                         [&](const Connection::Row& row) {
                             const std::string account = foldedCopy(row[0].value_or(""));
                             const std::int64_t change =
                                 readJournalChange(row[1].value_or("")).value_or(0);
                             fromLedger[account] += change;
                             if (settledAsItDied.contains(
                                     {row[2].value_or(""), std::stoull(row[3].value_or("0"))})) {
                                 fromJournals[account] += change;
                             }
                         })
                    .ok());
    std::map<std::string, std::int64_t> inAccounts;
    ASSERT_TRUE(readAccounts(db, {}, [&](const StoredAccount& account) {
                    inAccounts[foldedCopy(account.name)] = account.gold;
                }).ok());
    std::erase_if(fromLedger, [&](const auto& entry) {
        return entry.second == 0 && !inAccounts.contains(entry.first);
    });
    EXPECT_EQ(inAccounts, fromLedger);
    // And the journals' sum, with the gifts and the purchases settled as
    // the killed host died.
    std::erase_if(fromJournals, [&](const auto& entry) {
        return entry.second == 0 && !inAccounts.contains(entry.first);
    });
    EXPECT_EQ(inAccounts, fromJournals);
    // Nobody holds an item the ledger does not show paid for.
    std::int64_t itemsInLedger = 0;
    ASSERT_TRUE(db.query("SELECT change_text FROM quorvel_ledger WHERE outcome = 1 AND field IN "
                         "('guns', 'bombs', 'multi', 'super', 'shield', 'thor', 'prize', 'portal')",
                         {},
                         [&](const Connection::Row& row) {
                             itemsInLedger += readJournalChange(row[0].value_or("")).value_or(0);
                         })
                    .ok());
    EXPECT_EQ(number(db, "SELECT SUM(guns + bombs + multi + super + shield + thor + prize + "
                         "portal) FROM quorvel_inventory"),
              itemsInLedger);
}
#endif

} // namespace
} // namespace quorvel::testing
