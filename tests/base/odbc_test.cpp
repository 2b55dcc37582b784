#include "base/platform/odbc.h"
#include "support/stalling_proxy.h"
#include "support/throwaway_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <iostream>
#include <optional>
#include <string>

namespace quorvel::testing {
namespace {

using platform::odbc::Connection;
using platform::odbc::withNetworkBounds;
using namespace std::chrono_literals;

// What a dead network needs is added for the drivers that know it, in their
// own words, and never over what the operator wrote.
TEST(OdbcNetworkBounds, EachDriverGetsItsOwnTimeoutsAndTheOperatorsWordsStand) {
    const std::string postgres = "Driver={PostgreSQL Unicode};Servername=db;Port=5432;";
    EXPECT_EQ(withNetworkBounds(postgres, 5000),
              postgres + "pqopt={keepalives=1 keepalives_idle=1 keepalives_interval=1 "
                         "keepalives_count=2 tcp_user_timeout=3000};");
    EXPECT_EQ(withNetworkBounds(postgres, 60000),
              postgres + "pqopt={keepalives=1 keepalives_idle=12 keepalives_interval=12 "
                         "keepalives_count=2 tcp_user_timeout=36000};");
    // The driver named by its library, and a string with no closing ';'.
    EXPECT_EQ(withNetworkBounds("DRIVER=/usr/lib/odbc/psqlodbcw.so;Servername=db", 2000),
              "DRIVER=/usr/lib/odbc/psqlodbcw.so;Servername=db;pqopt={keepalives=1 "
              "keepalives_idle=1 keepalives_interval=1 keepalives_count=2 "
              "tcp_user_timeout=1200};");
    // The operator's own pqopt keeps its keys and values; the missing join it.
    EXPECT_EQ(withNetworkBounds("Driver={PostgreSQL ANSI};PQOPT={sslmode=require "
                                "Keepalives_Idle=30};Port=5432;",
                                5000),
              "Driver={PostgreSQL ANSI};PQOPT={sslmode=require Keepalives_Idle=30 keepalives=1 "
              "keepalives_interval=1 keepalives_count=2 tcp_user_timeout=3000};Port=5432;");
    EXPECT_EQ(withNetworkBounds("Driver={PostgreSQL Unicode};pqopt={keepalives=0 "
                                "keepalives_idle=9 keepalives_interval=9 keepalives_count=9 "
                                "tcp_user_timeout=9};",
                                5000),
              "Driver={PostgreSQL Unicode};pqopt={keepalives=0 keepalives_idle=9 "
              "keepalives_interval=9 keepalives_count=9 tcp_user_timeout=9};");
    // psqlODBC's own keepalive keywords are libpq's under another name.
    EXPECT_EQ(withNetworkBounds("Driver={PostgreSQL Unicode};KeepaliveTime=20;", 5000),
              "Driver={PostgreSQL Unicode};KeepaliveTime=20;pqopt={keepalives_interval=1 "
              "keepalives_count=2 tcp_user_timeout=3000};");

    const std::string mariadb = "Driver={MariaDB Unicode};Server=db;Port=3306;";
    EXPECT_EQ(withNetworkBounds(mariadb, 5000), mariadb + "READ_TIMEOUT=5;WRITE_TIMEOUT=5;");
    EXPECT_EQ(withNetworkBounds(mariadb, 2500), mariadb + "READ_TIMEOUT=2;WRITE_TIMEOUT=2;");
    EXPECT_EQ(withNetworkBounds(mariadb, 400), mariadb + "READ_TIMEOUT=1;WRITE_TIMEOUT=1;");
    EXPECT_EQ(withNetworkBounds("Driver=/usr/lib/odbc/libmaodbc.so;read_timeout=30;", 5000),
              "Driver=/usr/lib/odbc/libmaodbc.so;read_timeout=30;WRITE_TIMEOUT=5;");

    // Nothing for a driver without such settings, a data source known by name
    // only, or no bound at all.
    for (const std::string& untouched :
         {std::string("Driver={SQLite3};Database=/tmp/x.db;"), std::string("DSN=economy;"),
          std::string("Servername=db;pqopt={a=1};")}) {
        EXPECT_EQ(withNetworkBounds(untouched, 5000), untouched);
    }
    EXPECT_EQ(withNetworkBounds(postgres, 0), postgres);
}

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

// How long `call` took. A call still blocked after `limit` has failed the
// bound: `release` then lets the network go, so that the call returns and
// the test ends instead of hanging.
template <typename Call>
std::chrono::milliseconds timed(Call call, std::chrono::milliseconds limit,
                                const std::function<void()>& release) {
    const auto before = std::chrono::steady_clock::now();
    std::future<void> done = std::async(std::launch::async, call);
    if (done.wait_for(limit) != std::future_status::ready) {
        ADD_FAILURE() << "still blocked after " << limit.count() << " ms";
        release();
    }
    done.get();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 before);
}

// A network that stops answering, as a pulled cable: the relay forwards
// nothing and the kernel drops every packet, yet nothing closes. A statement
// fails within the bound (not after the drivers' minutes), and once the
// network is back a new connection works; a connect that meets only silence
// fails within the login timeout.
TEST_P(Odbc, ADeadNetworkFailsACallWithinTheBoundAndAReconnectWorks) {
    PrivateLoopback network;
    ASSERT_TRUE(network.ready()) << network.why();
    ThrowawayServer server(GetParam(), ThrowawayServer::Listen::alsoTcp);
    ASSERT_TRUE(server.ready()) << server.why();
    StallingProxy relay(server.tcpPort());
    ASSERT_TRUE(relay.ready());
    const std::int32_t boundMs = 2000;
    const auto slack = 3000ms;
    const std::string through = withNetworkBounds(server.tcpConnection(relay.port()), boundMs);
    const std::function<void()> release = [&] {
        network.mend();
        relay.resume();
        relay.dropAll();
    };

    Connection db;
    const platform::Status opened = db.open(through, 5);
    ASSERT_TRUE(opened.ok()) << opened.reason();
    ASSERT_TRUE(db.execute("CREATE TABLE wallet (name VARCHAR(20) PRIMARY KEY, gold BIGINT)").ok());
    ASSERT_TRUE(db.execute("INSERT INTO wallet VALUES ('bob', 100)").ok());
    EXPECT_EQ(relay.connections(), 1);

    relay.stall();
    ASSERT_TRUE(network.cut());
    platform::Status during;
    std::optional<std::int64_t> gold;
    const auto took =
        timed([&] { during = db.queryNumber("SELECT gold FROM wallet WHERE name = 'bob'", gold); },
              std::chrono::milliseconds(boundMs) + slack, release);
    EXPECT_TRUE(during.isFailed());
    std::cout << "[ measured ] a statement on a dead network failed after " << took.count()
              << " ms (bound " << boundMs << " ms): " << during.reason() << "\n";

    ASSERT_TRUE(network.mend());
    relay.resume();
    relay.dropAll();
    const platform::Status again = db.open(through, 5);
    ASSERT_TRUE(again.ok()) << again.reason();
    ASSERT_TRUE(db.queryNumber("SELECT gold FROM wallet WHERE name = 'bob'", gold).ok());
    EXPECT_EQ(gold, 100);

    // The kernel takes the connection, the relay forwards nothing.
    relay.stall();
    const std::int32_t loginSeconds = 2;
    Connection late;
    platform::Status login;
    const auto connecting = timed([&] { login = late.open(through, loginSeconds); },
                                  std::chrono::seconds(loginSeconds) + slack, release);
    EXPECT_TRUE(login.isFailed());
    std::cout << "[ measured ] a connect through a silent relay failed after " << connecting.count()
              << " ms (login timeout " << loginSeconds << " s): " << login.reason() << "\n";
    relay.resume();
    ASSERT_TRUE(db.queryNumber("SELECT 1", gold).ok());
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
