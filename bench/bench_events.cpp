// Events through the module's real entry point, in a release build.
//
//   quorvel-bench-events [benchmark flags]       the Google Benchmark suite
//   quorvel-bench-events --count EVENT N         EVENT (kill, entry, move, tick)
//                                                N times inside measuredEvents,
//                                                for callgrind's --toggle-collect
#include "scenes.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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
