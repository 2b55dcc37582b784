// The economy's link to a database, timed against a PostgreSQL of the
// program's own (started in a temporary folder, as the tests start theirs):
//
//   how many records a second the link's thread applies in the database,
//     in the batches it makes, from a queue of RATE_RECORDS awards;
//   how long DRAIN_RECORDS awards queued while the database was down take
//     to be confirmed once it is started again, from the moment it is asked
//     to start (the server's start and the link's next try included).
//
//   quorvel-bench-database [RATE_RECORDS [DRAIN_RECORDS]]
//
// Prints one JSON object: the figures, and whether each run confirmed every
// record.
#include "base/platform/odbc.h"
#include "base/platform/worker_thread.h"
#include "gold/database_link.h"
#include "gold/database_schema.h"
#include "support/throwaway_server.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <variant>

namespace quorvel::bench {
namespace {

using Clock = std::chrono::steady_clock;
using testing::ThrowawayServer;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A kill's award as gold.log holds it: one line, to one of a thousand
// accounts.
DatabaseRecord award(std::uint64_t seq) {
    JournalEntry line;
    line.cause = {"kill", "Pilot " + std::to_string(seq % 997), 1};
    line.account = "Pilot " + std::to_string(seq % 1000);
    line.field = "gold";
    line.change = "+2";
    line.after = std::to_string(1000 + 2 * (seq / 1000));
    line.time = "2026-12-09T05:00:00Z";
    return {seq, false, {line}};
}

// A link and its thread, as the economy runs them, under a host name of its
// own; the reports are counted as the economy takes them.
class LinkRun {
public:
    LinkRun(const std::string& connection, const std::string& hostId) {
        DatabaseLinkSettings settings;
        settings.connection = platform::odbc::withNetworkBounds(connection, 5000);
        settings.hostId = hostId;
        settings.owner = "bench folder " + hostId;
        settings.terminateWaitMs = 0;
        link_ = std::make_shared<DatabaseLink>(settings);
        started_ = worker_
                       .start([link = link_](platform::WorkerThread::Control& control) {
                           link->run(control);
                       })
                       .ok();
    }
    ~LinkRun() { static_cast<void>(worker_.stop(10000)); }
    LinkRun(const LinkRun&) = delete;
    LinkRun& operator=(const LinkRun&) = delete;

    bool started() const { return started_; }
    void send(DatabaseRecord record) { link_->send(std::move(record)); }
    void wake() { worker_.wake(); }

    // Takes the reports until `done` holds or `seconds` pass.
    template <typename Done> bool takeUntil(Done done, int seconds) {
        const auto until = Clock::now() + std::chrono::seconds(seconds);
        while (!done()) {
            if (Clock::now() >= until) {
                return false;
            }
            for (DatabaseLink::Report& report : link_->take()) {
                if (std::holds_alternative<DatabaseLink::Connected>(report)) {
                    connected_ = true;
                } else if (std::holds_alternative<DatabaseLink::Lost>(report)) {
                    connected_ = false;
                    ++losses_;
                } else if (auto* outcomes = std::get_if<DatabaseLink::Outcomes>(&report)) {
                    for (const auto& [seq, outcome] : outcomes->records) {
                        (outcome == RecordOutcome::applied ? applied_ : other_) += 1;
                    }
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    bool connected() const { return connected_; }
    int losses() const { return losses_; }
    std::size_t applied() const { return applied_; }
    std::size_t confirmed() const { return applied_ + other_; }

private:
    std::shared_ptr<DatabaseLink> link_;
    platform::WorkerThread worker_;
    bool started_ = false;
    bool connected_ = false;
    int losses_ = 0;
    std::size_t applied_ = 0;
    std::size_t other_ = 0;
};

int run(std::size_t rateRecords, std::size_t drainRecords) {
    ThrowawayServer server(ThrowawayServer::Kind::postgres);
    if (!server.ready()) {
        std::fprintf(stderr, "no PostgreSQL: %s\n", server.why().c_str());
        return 1;
    }

    // Throughput: the link connected and idle, then the whole queue at once.
    double rateSeconds = 0;
    std::size_t rateApplied = 0;
    bool rateDone = false;
    {
        LinkRun link(server.connection(), "bench-rate");
        if (!link.started() || !link.takeUntil([&] { return link.connected(); }, 30)) {
            std::fprintf(stderr, "the link did not connect\n");
            return 1;
        }
        for (std::uint64_t seq = 1; seq <= rateRecords; ++seq) {
            link.send(award(seq));
        }
        const auto start = Clock::now();
        link.wake();
        rateDone = link.takeUntil([&] { return link.confirmed() == rateRecords; }, 300);
        rateSeconds = secondsSince(start);
        rateApplied = link.applied();
    }

    // An outage: the database dies, the awards wait in the link's queue, the
    // database comes back.
    double drainSeconds = 0;
    double serverStartSeconds = 0;
    std::size_t drainApplied = 0;
    bool drainDone = false;
    int drainLosses = 0;
    {
        if (!server.stopNow()) {
            std::fprintf(stderr, "the database did not stop\n");
            return 1;
        }
        LinkRun link(server.connection(), "bench-drain");
        if (!link.started() || !link.takeUntil([&] { return link.losses() > 0; }, 30)) {
            std::fprintf(stderr, "the link did not find the database gone\n");
            return 1;
        }
        for (std::uint64_t seq = 1; seq <= drainRecords; ++seq) {
            link.send(award(seq));
        }
        link.wake();
        const auto start = Clock::now();
        if (!server.start()) {
            std::fprintf(stderr, "the database did not start again\n");
            return 1;
        }
        serverStartSeconds = secondsSince(start);
        drainDone = link.takeUntil([&] { return link.confirmed() == drainRecords; }, 600);
        drainSeconds = secondsSince(start);
        drainApplied = link.applied();
        drainLosses = link.losses();
    }

    std::printf("{\"rate_records\": %zu, \"rate_applied\": %zu, \"rate_all_confirmed\": %s, "
                "\"rate_seconds\": %.3f, \"records_per_second\": %.0f,\n"
                " \"drain_records\": %zu, \"drain_applied\": %zu, \"drain_all_confirmed\": %s, "
                "\"drain_seconds\": %.3f, \"server_start_seconds\": %.3f, "
                "\"drain_losses\": %d}\n",
                rateRecords, rateApplied, rateDone ? "true" : "false", rateSeconds,
                static_cast<double>(rateApplied) / rateSeconds, drainRecords, drainApplied,
                drainDone ? "true" : "false", drainSeconds, serverStartSeconds, drainLosses);
    return rateDone && drainDone ? 0 : 1;
}

} // namespace
} // namespace quorvel::bench

int main(int argc, char** argv) {
    const std::size_t rate = argc >= 2 ? std::strtoul(argv[1], nullptr, 10) : 20000;
    const std::size_t drain = argc >= 3 ? std::strtoul(argv[2], nullptr, 10) : 100000;
    return quorvel::bench::run(rate, drain);
}
