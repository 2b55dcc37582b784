#include "gold/database_schema.h"
#include "support/throwaway_server.h"

#include <gtest/gtest.h>

#include <latch>
#include <optional>
#include <string>
#include <thread>

namespace quorvel::testing {
namespace {

using platform::odbc::Connection;

std::optional<std::int64_t> goldIn(Connection& db, const std::string& name) {
    std::optional<std::int64_t> gold;
    EXPECT_TRUE(
        db.queryNumber("SELECT gold FROM quorvel_accounts WHERE name = ?", {name}, gold).ok());
    return gold;
}

class DatabaseEconomy : public ::testing::TestWithParam<ThrowawayServer::Kind> {};

// The tables made once whatever the dialect, and a record of a host applied
// exactly once however often it is sent; another host's record of the same
// number is its own. Two hosts racing for the same last gold: one wins.
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

    const std::vector<GoldDelta> loan = {{"bob", -50}, {"al", 50}};
    bool applied = false;
    ASSERT_TRUE(applyRecord(db, dialect, "east", 1, {{"bob", 150}}, applied).ok());
    EXPECT_TRUE(applied);
    for (int resent = 0; resent < 2; ++resent) {
        ASSERT_TRUE(applyRecord(db, dialect, "east", 2, loan, applied).ok());
        EXPECT_EQ(applied, resent == 0);
    }
    ASSERT_TRUE(applyRecord(db, dialect, "west", 2, {{"al", 5}}, applied).ok());
    EXPECT_TRUE(applied);
    EXPECT_EQ(goldIn(db, "bob"), 100);
    EXPECT_EQ(goldIn(db, "al"), 55);

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
        ASSERT_TRUE(db.execute("UPDATE quorvel_accounts SET gold = 100 WHERE name = 'bob'").ok());
        std::latch go(2);
        bool eastWon = false;
        bool westWon = false;
        std::thread first([&] {
            go.arrive_and_wait();
            EXPECT_TRUE(settleDebit(east, "bob", 100, eastWon).ok());
        });
        std::thread second([&] {
            go.arrive_and_wait();
            EXPECT_TRUE(settleDebit(west, "bob", 100, westWon).ok());
        });
        first.join();
        second.join();
        singleWinners += eastWon != westWon ? 1 : 0;
        ASSERT_EQ(goldIn(db, "bob"), 0) << "round " << round;
    }
    EXPECT_EQ(singleWinners, 200);
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
