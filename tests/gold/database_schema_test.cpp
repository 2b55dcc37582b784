#include "economy_arena.h"
#include "gold/database_schema.h"
#include "support/throwaway_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <latch>
#include <optional>
#include <span>
#include <string>
#include <thread>

namespace quorvel::testing {
namespace {

using platform::odbc::Connection;

std::optional<std::int64_t> goldIn(Connection& db, const std::string& name) {
    std::optional<std::int64_t> gold;
    EXPECT_TRUE(
        db.queryNumber("SELECT gold FROM quorvel_accounts WHERE folded = ?", {name}, gold).ok());
    return gold;
}

RecordOutcome apply(Connection& db, Dialect dialect, std::string_view host,
                    const DatabaseRecord& record) {
    std::vector<RecordOutcome> outcomes;
    const platform::Status done = applyRecords(db, dialect, host, {&record, 1}, outcomes);
    EXPECT_TRUE(done.ok()) << done.reason();
    return outcomes.empty() ? RecordOutcome::seenBefore : outcomes[0];
}

class DatabaseEconomy : public ::testing::TestWithParam<ThrowawayServer::Kind> {};

// The tables made once whatever the dialect, and a record of a host applied
// exactly once however often it is sent; another host's record of the same
// number is its own. A purchase is made whole or refused whole, and two hosts
// racing for the same last gold: one wins.
TEST_P(DatabaseEconomy, RecordsApplyOnceAndTheLastGoldIsSpentOnce) {
    ThrowawayServer server(GetParam());
    ASSERT_TRUE(server.ready()) << server.why();
    Connection db;
    const platform::Status opened = db.open(server.connection(), 5);
    ASSERT_TRUE(opened.ok()) << opened.reason();
    const Dialect dialect = dialectOf(db.dbmsName());
    ASSERT_NE(dialect, Dialect::unknown) << db.dbmsName();
    for (int twice = 0; twice < 2; ++twice) {
        const platform::Status made = prepareSchema(db, dialect);
        ASSERT_TRUE(made.ok()) << made.reason();
    }
    std::optional<std::int64_t> versions;
    ASSERT_TRUE(db.queryNumber("SELECT COUNT(*) FROM quorvel_schema", versions).ok());
    EXPECT_EQ(versions, 1);

    const DatabaseRecord loan{
        2, false, {ledgerLine("Bob", "gold", "-50"), ledgerLine("Al", "gold", "+50")}};
    EXPECT_EQ(apply(db, dialect, "east", {1, false, {ledgerLine("Bob", "gold", "+150")}}),
              RecordOutcome::applied);
    for (int resent = 0; resent < 2; ++resent) {
        EXPECT_EQ(apply(db, dialect, "east", loan),
                  resent == 0 ? RecordOutcome::applied : RecordOutcome::seenBefore);
    }
    EXPECT_EQ(apply(db, dialect, "west", {2, false, {ledgerLine("al", "gold", "+5")}}),
              RecordOutcome::applied);
    EXPECT_EQ(goldIn(db, "bob"), 100);
    EXPECT_EQ(goldIn(db, "al"), 55);
    std::uint64_t last = 0;
    ASSERT_TRUE(lastRecordOf(db, "east", last).ok());
    EXPECT_EQ(last, 2u);

    // A purchase the account cannot pay leaves no item and no debit, and its
    // number is used: sent again, it is not tried again.
    const DatabaseRecord guns{
        3, true, {ledgerLine("Bob", "guns", "+1"), ledgerLine("Bob", "gold", "-300")}};
    for (int resent = 0; resent < 2; ++resent) {
        EXPECT_EQ(apply(db, dialect, "east", guns),
                  resent == 0 ? RecordOutcome::refused : RecordOutcome::seenBefore);
    }
    EXPECT_EQ(apply(db, dialect, "east",
                    {4,
                     true,
                     {ledgerLine("Bob", "inventory", "new"), ledgerLine("Bob", "guns", "+1"),
                      ledgerLine("Bob", "gold", "-60")}}),
              RecordOutcome::applied);
    EXPECT_EQ(goldIn(db, "bob"), 40);
    std::vector<StoredInventory> bought;
    ASSERT_TRUE(readInventories(db, {"BOB"}, [&](const StoredInventory& record) {
                    bought.push_back(record);
                }).ok());
    ASSERT_EQ(bought.size(), 1u);
    EXPECT_EQ(bought[0].name, "Bob");
    EXPECT_EQ(bought[0].counts[static_cast<int>(ItemKind::Guns)], 1);
    std::vector<std::string> names;
    ASSERT_TRUE(readAccounts(db, {}, [&](const StoredAccount& account) {
                    names.push_back(account.name + "=" + std::to_string(account.gold));
                }).ok());
    EXPECT_EQ(names, (std::vector<std::string>{"Al=55", "Bob=40"}));

    // A batch is applied as its records one by one would be: those seen
    // before are passed over, the others' changes added up by account.
    std::vector<DatabaseRecord> batch;
    for (std::uint64_t seq = 10; seq < 30; ++seq) {
        batch.push_back({seq,
                         false,
                         {ledgerLine("Ann", "gold", "+5"), ledgerLine("ANN", "guns", "+1"),
                          ledgerLine("Zed", "gold", "-2"), ledgerLine("Cy", "inventory", "new")}});
    }
    std::vector<RecordOutcome> outcomes;
    ASSERT_TRUE(applyRecords(db, dialect, "east", std::span(batch).first(10), outcomes).ok());
    EXPECT_EQ(std::ranges::count(outcomes, RecordOutcome::applied), 10);
    ASSERT_TRUE(applyRecords(db, dialect, "east", batch, outcomes).ok());
    EXPECT_EQ(std::ranges::count(outcomes, RecordOutcome::seenBefore), 10);
    EXPECT_EQ(outcomes.back(), RecordOutcome::applied);
    EXPECT_EQ(goldIn(db, "ann"), 100);
    EXPECT_EQ(goldIn(db, "zed"), -40);
    std::vector<std::string> records;
    ASSERT_TRUE(readInventories(db, {"ann", "cy"}, [&](const StoredInventory& record) {
                    records.push_back(record.name + " " + std::to_string(record.counts[0]));
                }).ok());
    EXPECT_EQ(records, (std::vector<std::string>{"Ann 20", "Cy 0"}));
    ASSERT_TRUE(db.execute("DELETE FROM quorvel_accounts WHERE folded IN ('ann', 'zed')").ok());

    // One live process holds a host name; another takes it only when the
    // holder has gone quiet or given it up.
    bool held = false;
    std::string holder;
    ASSERT_TRUE(claimHost(db, dialect, "east", "pid 1", 1000, 15, held, holder).ok());
    EXPECT_TRUE(held);
    ASSERT_TRUE(claimHost(db, dialect, "east", "pid 2", 1010, 15, held, holder).ok());
    EXPECT_FALSE(held);
    EXPECT_EQ(holder, "pid 1");
    ASSERT_TRUE(claimHost(db, dialect, "east", "pid 1", 1010, 15, held, holder).ok());
    EXPECT_TRUE(held);
    ASSERT_TRUE(claimHost(db, dialect, "east", "pid 2", 1026, 15, held, holder).ok());
    EXPECT_TRUE(held);
    ASSERT_TRUE(releaseHost(db, "east", "pid 2").ok());
    ASSERT_TRUE(claimHost(db, dialect, "east", "pid 3", 1027, 15, held, holder).ok());
    EXPECT_TRUE(held);

    ASSERT_TRUE(db.execute("UPDATE quorvel_schema SET version = 99").ok());
    EXPECT_TRUE(prepareSchema(db, dialect).isFailed());
    ASSERT_TRUE(db.execute("UPDATE quorvel_schema SET version = 1").ok());

    if (GetParam() == ThrowawayServer::Kind::sqlite) {
        return; // one file, one host: nobody races
    }
    Connection east;
    Connection west;
    ASSERT_TRUE(east.open(server.connection(), 5).ok());
    ASSERT_TRUE(west.open(server.connection(), 5).ok());
    int singleWinners = 0;
    for (int round = 0; round < 200; ++round) {
        ASSERT_TRUE(db.execute("UPDATE quorvel_accounts SET gold = 100 WHERE folded = 'bob'").ok());
        std::latch go(2);
        RecordOutcome eastGot = RecordOutcome::seenBefore;
        RecordOutcome westGot = RecordOutcome::seenBefore;
        const auto purchase = [&](std::uint64_t seq) {
            return DatabaseRecord{
                seq, true, {ledgerLine("Bob", "bombs", "+1"), ledgerLine("Bob", "gold", "-100")}};
        };
        std::thread first([&] {
            go.arrive_and_wait();
            eastGot = apply(east, dialect, "east", purchase(100 + round));
        });
        std::thread second([&] {
            go.arrive_and_wait();
            westGot = apply(west, dialect, "west", purchase(100 + round));
        });
        first.join();
        second.join();
        singleWinners +=
            (eastGot == RecordOutcome::applied) != (westGot == RecordOutcome::applied) ? 1 : 0;
        ASSERT_EQ(goldIn(db, "bob"), 0) << "round " << round;
    }
    EXPECT_EQ(singleWinners, 200);
    std::optional<std::int64_t> bombs;
    ASSERT_TRUE(
        db.queryNumber("SELECT bombs FROM quorvel_inventory WHERE folded = 'bob'", bombs).ok());
    EXPECT_EQ(bombs, 200); // nobody got an item unpaid
}

INSTANTIATE_TEST_SUITE_P(Dialects, DatabaseEconomy,
                         ::testing::Values(ThrowawayServer::Kind::postgres,
                                           ThrowawayServer::Kind::mariadb,
                                           ThrowawayServer::Kind::sqlite),
                         [](const ::testing::TestParamInfo<ThrowawayServer::Kind>& kind) {
                             switch (kind.param) {
                             case ThrowawayServer::Kind::postgres:
                                 return std::string("PostgreSQL");
                             case ThrowawayServer::Kind::mariadb:
                                 return std::string("MariaDB");
                             default:
                                 return std::string("SQLite");
                             }
                         });

} // namespace
} // namespace quorvel::testing
