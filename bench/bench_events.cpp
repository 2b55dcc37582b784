// Events through the module's real entry point, in a release build.
//
//   quorvel-bench-events [benchmark flags]       the Google Benchmark suite
//   quorvel-bench-events --count EVENT N         EVENT (kill, entry, move, tick)
//                                                N times inside measuredEvents,
//                                                for callgrind's --toggle-collect
#include "scenes.h"

#include "base/platform/odbc.h"
#include "support/throwaway_server.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

namespace quorvel::bench {
namespace {

void BM_PlayerKilled(benchmark::State& state) {
    Scene scene = storeScene(static_cast<std::size_t>(state.range(0)));
    BenchHost& host = *scene.host;
    int batch = 0;
    for (auto _ : state) {
        host.kill(*scene.other, *scene.actor);
        if (++batch == journalBatch) {
            state.PauseTiming();
            host.emptyJournal();
            batch = 0;
            state.ResumeTiming();
        }
    }
    state.counters["accounts"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_PlayerKilled)->Arg(10)->Arg(1000)->Arg(100000);

// One PostgreSQL of the program's own, started at the first benchmark that
// needs it and stopped at the program's end.
testing::ThrowawayServer& database() {
    static testing::ThrowawayServer server(testing::ThrowawayServer::Kind::postgres);
    return server;
}

// Whether the database holds a record of `hostId` within `seconds`: the
// economy's link has connected and sends.
bool recordArrives(const std::string& hostId, int seconds) {
    platform::odbc::Connection db;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < until) {
        std::optional<std::int64_t> records;
        if ((db.isOpen() || db.open(database().connection(), 5).ok()) &&
            db.queryNumber("SELECT COUNT(*) FROM quorvel_ledger WHERE host = ?", {hostId}, records)
                .ok() &&
            records.value_or(0) > 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// The kill of BM_PlayerKilled with the economy kept in the database: the
// event writes its record to gold.log and hands it to the link, whose thread
// sends it to PostgreSQL beside the timed events. A second's tick between
// batches takes the link's reports, as the bot does each second.
void BM_PlayerKilledDatabase(benchmark::State& state) {
    if (!database().ready()) {
        state.SkipWithError(("no PostgreSQL: " + database().why()).c_str());
        return;
    }
    static int scenes = 0; // a host name per scene: a stopped one may still hold its own
    const std::string hostId = "bench-" + std::to_string(++scenes);
    Scene scene = databaseStoreScene(static_cast<std::size_t>(state.range(0)),
                                     database().connection(), hostId);
    BenchHost& host = *scene.host;
    host.kill(*scene.other, *scene.actor);
    if (!recordArrives(hostId, 30)) {
        state.SkipWithError("the economy's link sent nothing to the database in 30 s");
        return;
    }
    int batch = 0;
    for (auto _ : state) {
        host.kill(*scene.other, *scene.actor);
        if (++batch == journalBatch) {
            state.PauseTiming();
            host.emptyJournal();
            host.tick();
            batch = 0;
            state.ResumeTiming();
        }
    }
    host.terminate(); // past the loop: no longer timed
    state.counters["accounts"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_PlayerKilledDatabase)->Arg(10);

void BM_PlayerEntering(benchmark::State& state) {
    Scene scene = storeScene(static_cast<std::size_t>(state.range(0)));
    BenchHost& host = *scene.host;
    for (auto _ : state) {
        host.enter(*scene.actor);
    }
    state.counters["accounts"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_PlayerEntering)->Arg(10)->Arg(1000)->Arg(100000);

// Arg 1: area warping over the 20 areas of WarpArea.ini; 0: the same move
// with area warping off.
void BM_PlayerMoved(benchmark::State& state) {
    Scene scene = moveScene(state.range(0) != 0);
    BenchHost& host = *scene.host;
    for (auto _ : state) {
        host.move(*scene.actor);
    }
}
BENCHMARK(BM_PlayerMoved)->Arg(1)->Arg(0);

void BM_Tick(benchmark::State& state) {
    Scene scene = tickScene();
    BenchHost& host = *scene.host;
    for (auto _ : state) {
        host.tick();
    }
}
BENCHMARK(BM_Tick);

void BM_CommandGold(benchmark::State& state) {
    Scene scene = storeScene(1000);
    BenchHost& host = *scene.host;
    for (auto _ : state) {
        host.command(*scene.actor, "gold", "");
    }
}
BENCHMARK(BM_CommandGold);

void BM_CommandBuyList(benchmark::State& state) {
    Scene scene = storeScene(1000);
    BenchHost& host = *scene.host;
    for (auto _ : state) {
        host.command(*scene.actor, "buy", "");
    }
}
BENCHMARK(BM_CommandBuyList);

// Kept out of line so callgrind counts exactly the events inside it.
[[gnu::noinline]] void measuredEvents(const std::string& event, Scene& scene, long count) {
    BenchHost& host = *scene.host;
    for (long i = 0; i < count; ++i) {
        if (event == "kill") {
            host.kill(*scene.other, *scene.actor);
        } else if (event == "entry") {
            host.enter(*scene.actor);
        } else if (event == "move") {
            host.move(*scene.actor);
        } else {
            host.tick();
        }
    }
}

int countEvents(const std::string& event, long count, std::size_t accounts) {
    Scene scene = event == "move"   ? moveScene(true)
                  : event == "tick" ? tickScene()
                                    : storeScene(accounts);
    measuredEvents(event, scene, count);
    std::printf("%s x %ld done\n", event.c_str(), count);
    return 0;
}

} // namespace
} // namespace quorvel::bench

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--count") == 0) {
        const std::size_t accounts = argc >= 5 ? std::strtoul(argv[4], nullptr, 10) : 10;
        return quorvel::bench::countEvents(argv[2], std::strtol(argv[3], nullptr, 10), accounts);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
