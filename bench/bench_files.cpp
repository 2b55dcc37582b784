// The gold files and the ledger lookup, called directly in the module's
// code: loading and saving gold.dat and inv.dat of 100,000 accounts beside
// one plain read and one plain write of the same bytes, and the ledger's
// lookup beside a plain loop over the accounts.
//
// fsync is wrapped here (the executable's definition wins over the C
// library's) so the time a crash-safe save spends flushing to the disk is
// counted on its own and reported as the flush_us counter.
#include "generated_files.h"

#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/file_economy.h"
#include "gold/repeat_kills.h"
#include "warps/warp_files.h"

#include <benchmark/benchmark.h>

#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::chrono::nanoseconds flushTime{0};

} // namespace

extern "C" int fsync(int fd) {
    using Fsync = int (*)(int);
    static Fsync real = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
    const auto start = std::chrono::steady_clock::now();
    const int result = real(fd);
    flushTime += std::chrono::steady_clock::now() - start;
    return result;
}

namespace quorvel::bench {
namespace {

constexpr std::size_t largeBook = 100000;

// A folder with gold.dat, inv.dat and WarpArea.ini, and the store over its
// files that the module's bots share.
struct Folder {
    std::string previous = std::filesystem::current_path().string();
    std::string path;
    std::unique_ptr<FileEconomy> economy;

    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvel-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a working directory");
        }
        path = pattern;
        std::filesystem::current_path(path);
        write("gold.dat", goldFileBytes(largeBook));
        write("inv.dat", inventoryFileBytes(largeBook));
        economy = std::make_unique<FileEconomy>(platform::realPlatform());
    }
    ~Folder() {
        economy.reset();
        std::error_code ignored;
        std::filesystem::current_path(previous, ignored);
        std::filesystem::remove_all(path, ignored);
    }
    void write(const char* name, const std::string& bytes) const {
        std::ofstream out(name, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
};

// 64 names spread evenly over the ledger, in a different case than stored.
std::vector<std::string> spreadNames(std::size_t accounts) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < 64; ++i) {
        std::string name = accountName(i * accounts / 64 + accounts / 128);
        for (char& c : name) {
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        }
        names.push_back(name);
    }
    return names;
}

// The lookup as a plain loop: every account's folded name against the
// folded name looked for, first match wins.
const GoldAccount* linearFind(const GoldLedger& ledger, std::string_view name) {
    const std::string wanted = foldedCopy(storableName(name));
    for (const GoldAccount& account : ledger.accounts()) {
        if (foldedCopy(fieldText(account.name, sizeof account.name)) == wanted) {
            return &account;
        }
    }
    return nullptr;
}

void BM_LedgerLookup(benchmark::State& state) {
    Folder folder;
    static_cast<void>(folder.economy->loadGold(LoadMode::append));
    const std::vector<std::string> names = spreadNames(largeBook);
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(folder.economy->ledger().find(names[next]));
        next = (next + 1) % names.size();
    }
}
BENCHMARK(BM_LedgerLookup);

void BM_LedgerLinearBaseline(benchmark::State& state) {
    Folder folder;
    static_cast<void>(folder.economy->loadGold(LoadMode::append));
    const std::vector<std::string> names = spreadNames(largeBook);
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(linearFind(folder.economy->ledger(), names[next]));
        next = (next + 1) % names.size();
    }
}
BENCHMARK(BM_LedgerLinearBaseline);

void BM_LoadGold(benchmark::State& state) {
    Folder folder;
    for (auto _ : state) {
        state.PauseTiming();
        folder.economy->ledger().clear();
        state.ResumeTiming();
        static_cast<void>(folder.economy->loadGold(LoadMode::append));
    }
    if (folder.economy->ledger().size() != largeBook) {
        state.SkipWithError("gold.dat did not load whole");
    }
}
BENCHMARK(BM_LoadGold)->Unit(benchmark::kMicrosecond);

void BM_LoadInventory(benchmark::State& state) {
    Folder folder;
    for (auto _ : state) {
        state.PauseTiming();
        folder.economy->book().clear();
        state.ResumeTiming();
        static_cast<void>(folder.economy->loadInventory(LoadMode::append));
    }
    if (folder.economy->book().size() != largeBook) {
        state.SkipWithError("inv.dat did not load whole");
    }
}
BENCHMARK(BM_LoadInventory)->Unit(benchmark::kMicrosecond);

// The first lookup after a load takes in every name of the file: a cost paid
// once per load, by whichever event looks a name up first.
template <typename Book, typename Load>
void firstLookupAfterLoad(benchmark::State& state, Book& (FileEconomy::*book)(), const Load& load) {
    Folder folder;
    FileEconomy& economy = *folder.economy;
    for (auto _ : state) {
        state.PauseTiming();
        (economy.*book)().clear();
        load(economy);
        state.ResumeTiming();
        benchmark::DoNotOptimize((economy.*book)().find("Nobody Of That Name"));
    }
}
void BM_FirstLookupAfterLoadGold(benchmark::State& state) {
    firstLookupAfterLoad<GoldLedger>(state, &FileEconomy::ledger, [](FileEconomy& economy) {
        static_cast<void>(economy.loadGold(LoadMode::append));
    });
}
void BM_FirstLookupAfterLoadInventory(benchmark::State& state) {
    firstLookupAfterLoad<InventoryBook>(state, &FileEconomy::book, [](FileEconomy& economy) {
        static_cast<void>(economy.loadInventory(LoadMode::append));
    });
}
BENCHMARK(BM_FirstLookupAfterLoadGold)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstLookupAfterLoadInventory)->Unit(benchmark::kMicrosecond);

// One fread of the whole file into a buffer of its size.
void plainRead(benchmark::State& state, const char* name) {
    Folder folder;
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(name));
    std::vector<char> buffer(size);
    for (auto _ : state) {
        std::FILE* file = std::fopen(name, "rb");
        const std::size_t got = std::fread(buffer.data(), 1, size, file);
        std::fclose(file);
        benchmark::DoNotOptimize(got);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
void BM_PlainReadGoldBytes(benchmark::State& state) {
    plainRead(state, "gold.dat");
}
void BM_PlainReadInventoryBytes(benchmark::State& state) {
    plainRead(state, "inv.dat");
}
BENCHMARK(BM_PlainReadGoldBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainReadInventoryBytes)->Unit(benchmark::kMicrosecond);

void reportFlush(benchmark::State& state) {
    state.counters["flush_us"] = benchmark::Counter(
        static_cast<double>(flushTime.count()) / 1000.0 / static_cast<double>(state.iterations()));
}

// A start after a crash: gold.dat and inv.dat of 100,000 accounts, then a
// gold.log of a million records since their save (kills, and a purchase
// with its item every tenth), each applied once.
void BM_RecoverJournal(benchmark::State& state) {
    Folder folder;
    const auto records = static_cast<std::size_t>(state.range(0));
    std::string journal;
    journal.reserve(records * 80);
    for (std::size_t seq = 1; seq <= records; ++seq) {
        const std::string name = accountName(seq * 7919 % largeBook);
        const std::string number = std::to_string(seq);
        if (seq % 10 == 0) {
            journal += "2026-12-08T20:14:15Z\tpurchase guns\t" + name + "\t" + name +
                       "\tguns\t+1\t1\t1\t" + number + "\t1/2\n";
            journal += "2026-12-08T20:14:15Z\tpurchase guns\t" + name + "\t" + name +
                       "\tgold\t-3\t0\t1\t" + number + "\t2/2\n";
        } else {
            journal += "2026-12-08T20:14:09Z\tkill Al\t" + name + "\t" + name +
                       "\tgold\t+2\t2\t1\t" + number + "\t1/1\n";
        }
    }
    folder.write("gold.log", journal);
    for (auto _ : state) {
        FileEconomy economy(platform::realPlatform());
        economy.inspectOnly();
        economy.load();
        benchmark::DoNotOptimize(economy.ledger().size());
    }
    state.counters["records"] = static_cast<double>(records);
}
BENCHMARK(BM_RecoverJournal)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SaveGold(benchmark::State& state) {
    Folder folder;
    static_cast<void>(folder.economy->loadGold(LoadMode::append));
    flushTime = {};
    for (auto _ : state) {
        if (!folder.economy->saveGold().ok()) {
            state.SkipWithError("gold.dat could not be saved");
        }
    }
    reportFlush(state);
}
BENCHMARK(BM_SaveGold)->Unit(benchmark::kMicrosecond);

void BM_SaveInventory(benchmark::State& state) {
    Folder folder;
    static_cast<void>(folder.economy->loadInventory(LoadMode::append));
    flushTime = {};
    for (auto _ : state) {
        if (!folder.economy->saveInventory().ok()) {
            state.SkipWithError("inv.dat could not be saved");
        }
    }
    reportFlush(state);
}
BENCHMARK(BM_SaveInventory)->Unit(benchmark::kMicrosecond);

// One fwrite of the same bytes to a new file, no flush to the disk.
void plainWrite(benchmark::State& state, const char* name) {
    Folder folder;
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(name));
    const std::vector<char> bytes(size, 'q');
    for (auto _ : state) {
        std::FILE* file = std::fopen("plain.out", "wb");
        const std::size_t put = std::fwrite(bytes.data(), 1, size, file);
        std::fclose(file);
        benchmark::DoNotOptimize(put);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
void BM_PlainWriteGoldBytes(benchmark::State& state) {
    plainWrite(state, "gold.dat");
}
void BM_PlainWriteInventoryBytes(benchmark::State& state) {
    plainWrite(state, "inv.dat");
}
BENCHMARK(BM_PlainWriteGoldBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainWriteInventoryBytes)->Unit(benchmark::kMicrosecond);

// What a move report with area warping spends on WarpArea.ini: the look at
// its size and modification time at every move, and the read and the parse
// of its 20 areas that follow when it has changed.
void BM_WarpAreaStamp(benchmark::State& state) {
    Folder folder;
    folder.write("WarpArea.ini", warpAreaText());
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::realPlatform().fileStamp(warpAreaFileName));
    }
}
BENCHMARK(BM_WarpAreaStamp);

void BM_WarpAreaRead(benchmark::State& state) {
    Folder folder;
    folder.write("WarpArea.ini", warpAreaText());
    std::string bytes;
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::realPlatform().readFile(warpAreaFileName, bytes));
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_WarpAreaRead);

void BM_WarpAreaParse(benchmark::State& state) {
    const std::string text = warpAreaText();
    for (auto _ : state) {
        benchmark::DoNotOptimize(readWarpAreaFile(text, 20));
    }
}
BENCHMARK(BM_WarpAreaParse);

} // namespace
} // namespace quorvel::bench

// A kill judged by [Gold] RepeatKillWindow while `pairs` other pairs of
// players are remembered within the window: the same pair again, unpaid.
void BM_RepeatKill(benchmark::State& state) {
    quorvel::RepeatKills kills;
    constexpr std::int64_t window = 3600;
    const auto pairs = static_cast<std::size_t>(state.range(0));
    for (std::size_t i = 0; i < pairs; ++i) {
        kills.judge("Killer" + std::to_string(i % 317), "Killed" + std::to_string(i / 317), 0,
                    window);
    }
    kills.judge("Actor", "Other", 0, window);
    for (auto _ : state) {
        benchmark::DoNotOptimize(kills.judge("Actor", "Other", 1, window));
    }
    state.counters["pairs"] = static_cast<double>(pairs);
}
BENCHMARK(BM_RepeatKill)->Arg(10)->Arg(100000);

BENCHMARK_MAIN();
