#include "base/platform/odbc.h"
#include "support/throwaway_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

namespace quorvel::testing {
namespace {

using platform::odbc::Connection;

// The wrapper on a real server: statements and their row counts, the
// conditional debit that settles a purchase, and a server that dies: a
// failure with the driver's reason, soon, never a hang; and back again.
class Odbc : public ::testing::TestWithParam<ThrowawayServer::Kind> {};

TEST_P(Odbc, AConnectionToARealServerAnswersAndFailsPlainly) {
    ThrowawayServer server(GetParam());
    ASSERT_TRUE(server.ready()) << server.why();
    Connection db;
    const platform::Status opened = db.open(server.connection(), 5);
    ASSERT_TRUE(opened.ok()) << opened.reason();
    EXPECT_EQ(db.dbmsName(),
              GetParam() == ThrowawayServer::Kind::postgres ? "PostgreSQL" : "MariaDB");
    ASSERT_TRUE(db.execute("CREATE TABLE wallet (name VARCHAR(20) PRIMARY KEY, gold BIGINT)").ok());
    std::int64_t rows = -1;
    ASSERT_TRUE(db.execute("INSERT INTO wallet VALUES ('bob', 100)", &rows).ok());
    EXPECT_EQ(rows, 1);
    ASSERT_TRUE(
        db.execute("UPDATE wallet SET gold = gold - 100 WHERE name = 'bob' AND gold >= 100", &rows)
            .ok());
    EXPECT_EQ(rows, 1);
    ASSERT_TRUE(
        db.execute("UPDATE wallet SET gold = gold - 100 WHERE name = 'bob' AND gold >= 100", &rows)
            .ok());
    EXPECT_EQ(rows, 0); // the same last gold is spent once
    std::optional<std::int64_t> gold;
    ASSERT_TRUE(db.queryNumber("SELECT gold FROM wallet WHERE name = 'bob'", gold).ok());
    EXPECT_EQ(gold, 0);
    ASSERT_TRUE(db.queryNumber("SELECT gold FROM wallet WHERE name = 'al'", gold).ok());
    EXPECT_FALSE(gold.has_value());

    const platform::Status wrong = db.execute("SELEKT 1");
    EXPECT_TRUE(wrong.isFailed());
    EXPECT_NE(wrong.reason().find("syntax"), std::string::npos) << wrong.reason();

    ASSERT_TRUE(server.stopNow());
    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(db.queryNumber("SELECT 1", gold).isFailed());
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(db.open(server.connection(), 5).ok());
    ASSERT_TRUE(db.queryNumber("SELECT gold FROM wallet WHERE name = 'bob'", gold).ok());
    EXPECT_EQ(gold, 0);
}

INSTANTIATE_TEST_SUITE_P(Servers, Odbc,
                         ::testing::Values(ThrowawayServer::Kind::postgres,
                                           ThrowawayServer::Kind::mariadb),
                         [](const ::testing::TestParamInfo<ThrowawayServer::Kind>& server) {
                             return std::string(server.param == ThrowawayServer::Kind::postgres
                                                    ? "PostgreSQL"
                                                    : "MariaDB");
                         });

} // namespace
} // namespace quorvel::testing
